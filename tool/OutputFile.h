// A file the tool writes its result to.
//
// A regular file, or a name that does not exist yet, is written through a
// private temporary file created exclusively in the same folder and renamed
// over the name only by commit(), so the name holds either the old file or the
// whole new one. The replacement keeps an existing file's permissions (new
// files get 0666 less the umask), and its owner and group where the process
// may give them (root: both; others: the group, if they belong to it). A
// write-protected file (one the writer may not write, or one without any write
// permission) is refused with a UsageError unless `force` is given. A
// symbolic link stays and the file it leads to is written, also when that
// file does not exist yet. Until commit() succeeds, the temporary file is
// removed when the OutputFile goes, when a write fails, and when a signal
// that ends the tool arrives (InterruptCleanup.h).
//
// Anything else that exists under the name (a device such as /dev/null, a
// pipe) is written straight, and "-" is standard output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "tool/InterruptCleanup.h"

namespace zanth {

class OutputFile {
public:
    // Throws std::runtime_error naming the file and the problem.
    explicit OutputFile(const std::string& path, bool force = false);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(const void* data, size_t size);  // throws std::runtime_error
    void commit();                              // throws std::runtime_error
    // A temporary file can be written anywhere again (seek(), then write());
    // a device, a pipe or standard output cannot.
    bool seekable() const;
    void seek(uint64_t position);  // throws std::runtime_error

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

// Throws UsageError when `path` names a write-protected file (through its
// symbolic links) and `force` is not given: a command checks its outputs so
// before it renders.
void checkReplaceable(const std::string& path, bool force);

// Writes `size` bytes to `path` through an OutputFile.
void writeOutputFile(const std::string& path, const void* data, size_t size, bool force = false);

}  // namespace zanth
