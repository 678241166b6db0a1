// A file the tool writes its result to.
//
// A regular file, or a name that does not exist yet, is written through a
// private temporary file created exclusively in the same folder and renamed
// over the name only by commit(), so the name holds either the old file or the
// whole new one. The replacement keeps an existing file's permissions (new
// files get 0666 less the umask). Until commit() succeeds, the temporary file
// is removed when the OutputFile goes, when a write fails, and when SIGINT,
// SIGTERM or SIGHUP interrupts the tool.
//
// Anything else that exists under the name (a device such as /dev/null, a
// pipe) is written straight, and "-" is standard output.
#pragma once

#include <cstddef>
#include <string>

#include "tool/InterruptCleanup.h"

namespace zanth {

class OutputFile {
public:
    // Throws std::runtime_error naming the file and the problem.
    explicit OutputFile(const std::string& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(const void* data, size_t size);  // throws std::runtime_error
    void commit();                              // throws std::runtime_error

private:
    [[noreturn]] void fail(const std::string& why);
    void discard();

    InterruptCleanup cleanup_;  // installed before the temporary file exists
    std::string path_;       // as the user named it
    std::string target_;     // the file replaced: path_, or where a symbolic link to a file points
    std::string temporary_;  // empty when writing straight
    int descriptor_ = -1;
    bool standardOutput_ = false;
    bool committed_ = false;
};

// Writes `size` bytes to `path` through an OutputFile.
void writeOutputFile(const std::string& path, const void* data, size_t size);

}  // namespace zanth
