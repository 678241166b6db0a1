#include "tool/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <vector>

#include "tool/ToolCommon.h"

#if defined(_WIN32)
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <climits>
#include <unistd.h>
#endif

namespace zanth {
namespace {

// The folder a path names its file in, with a trailing separator ("" for the current one).
std::string folderOf(const std::string& path) {
#if defined(_WIN32)
    const size_t slash = path.find_last_of("/\\:");
#else
    const size_t slash = path.rfind('/');
#endif
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

int closeDescriptor(int descriptor) {
#if defined(_WIN32)
    return _close(descriptor);
#else
    return close(descriptor);
#endif
}

#if !defined(_WIN32)
// Where a chain of symbolic links ends, whether or not a file is there: each
// link's text is taken relative to the folder of the link. Empty when the
// chain is longer than the system follows (a loop).
std::string linkEnd(const std::string& path) {
    std::string at = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info;
        if (lstat(at.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return at;
        std::vector<char> text(static_cast<size_t>(info.st_size > 0 ? info.st_size : PATH_MAX) + 1);
        const ssize_t n = readlink(at.c_str(), text.data(), text.size());
        if (n < 0 || static_cast<size_t>(n) >= text.size()) return std::string();
        const std::string link(text.data(), static_cast<size_t>(n));
        at = (!link.empty() && link[0] == '/') ? link : folderOf(at) + link;
    }
    return std::string();
}

// True when the file's permissions let nobody of the writer's kind write it:
// a file the writer may not write, or (for a writer whom permissions do not
// stop, such as root) a file with no write permission at all.
bool writeProtected(const std::string& path, const struct stat& info) {
    return access(path.c_str(), W_OK) != 0 || (info.st_mode & 0222) == 0;
}
#endif

}  // namespace

void checkReplaceable(const std::string& path, bool force) {
    if (force || path == "-") return;
#if defined(_WIN32)
    struct _stat64 info;
    const bool protectedFile = _stat64(path.c_str(), &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFREG &&
                               (info.st_mode & _S_IWRITE) == 0;
#else
    // Through symbolic links: the file they lead to is the one replaced.
    struct stat info;
    const bool protectedFile =
        stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && writeProtected(path, info);
#endif
    if (protectedFile) throw UsageError(path + " is write-protected: it is not replaced without --force");
}

OutputFile::OutputFile(const std::string& path, bool force) : path_(path), target_(path) {
    if (path == "-") {
        standardOutput_ = true;
        return;
    }
#if defined(_WIN32)
    struct _stat64 info;
    const bool exists = _stat64(path.c_str(), &info) == 0;
    if (exists && (info.st_mode & _S_IFMT) != _S_IFREG) {
        descriptor_ = _open(path.c_str(), _O_WRONLY | _O_BINARY);
        if (descriptor_ < 0) fail(std::strerror(errno));
        return;
    }
    checkReplaceable(path, force);
    const SignalsHeld held;
    for (int attempt = 0; descriptor_ < 0; ++attempt) {
        temporary_ = folderOf(path) + ".zanth-levels-" + std::to_string(_getpid()) + "-" + std::to_string(attempt);
        descriptor_ = _open(temporary_.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (descriptor_ < 0 && (errno != EEXIST || attempt >= 100)) {
            const std::string why = std::strerror(errno);
            temporary_.clear();
            fail(why);
        }
    }
    InterruptCleanup::watch(temporary_);
#else
    struct stat info;
    bool exists = lstat(path.c_str(), &info) == 0;
    if (exists && S_ISLNK(info.st_mode)) {
        // A symbolic link: the file it points to is replaced, the link stays;
        // a link to nothing yet gets its file there.
        exists = stat(path.c_str(), &info) == 0;
        if (exists) {
            char* resolved = realpath(path.c_str(), nullptr);
            if (!resolved) fail(std::strerror(errno));
            target_ = resolved;
            std::free(resolved);
        } else {
            target_ = linkEnd(path);
            if (target_.empty()) fail("its symbolic links lead nowhere");
        }
    }
    if (exists && !S_ISREG(info.st_mode)) {
        descriptor_ = open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (descriptor_ < 0) fail(std::strerror(errno));
        struct stat opened;
        if (fstat(descriptor_, &opened) != 0 || S_ISREG(opened.st_mode)) fail("it changed while being opened");
        return;
    }
    checkReplaceable(path, force);
    {
        // The name is short and fixed in length: it fits wherever the output's name fits.
        const SignalsHeld held;
        std::string name = folderOf(target_) + ".zanth-levels-XXXXXX";
        std::vector<char> buffer(name.begin(), name.end());
        buffer.push_back('\0');
        descriptor_ = mkostemp(buffer.data(), O_CLOEXEC);
        if (descriptor_ < 0) fail(std::strerror(errno));
        temporary_ = buffer.data();
        if (!InterruptCleanup::watch(temporary_)) fail("the folder's name is too long");
    }
    if (exists) {
        // The owner and group stay: only root may give a file to another
        // owner, so others keep at least the group where they belong to it.
        if (fchown(descriptor_, info.st_uid, info.st_gid) != 0 && fchown(descriptor_, static_cast<uid_t>(-1), info.st_gid) != 0) {
            // The file stays the writer's.
        }
        if (fchmod(descriptor_, info.st_mode & 07777) != 0) fail(std::strerror(errno));
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        if (fchmod(descriptor_, 0666 & ~mask) != 0) fail(std::strerror(errno));
    }
#endif
}

OutputFile::~OutputFile() { discard(); }

void OutputFile::discard() {
    if (descriptor_ >= 0) {
        closeDescriptor(descriptor_);
        descriptor_ = -1;
    }
    if (!temporary_.empty() && !committed_) {
        std::remove(temporary_.c_str());
        InterruptCleanup::watch("");
        temporary_.clear();
    }
}

void OutputFile::fail(const std::string& why) {
    discard();
    throw std::runtime_error("cannot write " + path_ + ": " + why);
}

void OutputFile::write(const void* data, size_t size) {
    if (standardOutput_) {
        std::cout.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!std::cout) fail("standard output refused the data");
        return;
    }
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
#if defined(_WIN32)
        const int chunk = size > (1u << 30) ? (1 << 30) : static_cast<int>(size);
        const int n = _write(descriptor_, p, static_cast<unsigned>(chunk));
#else
        const ssize_t n = ::write(descriptor_, p, size);
#endif
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fail(n < 0 ? std::strerror(errno) : "nothing was written");
        p += n;
        size -= static_cast<size_t>(n);
    }
}

void OutputFile::commit() {
    if (standardOutput_) {
        std::cout.flush();
        if (!std::cout) fail("standard output refused the data");
        committed_ = true;
        return;
    }
    if (temporary_.empty()) {
        const int descriptor = descriptor_;
        descriptor_ = -1;
        if (closeDescriptor(descriptor) != 0) fail(std::strerror(errno));
        committed_ = true;
        return;
    }
#if defined(_WIN32)
    if (_commit(descriptor_) != 0) fail(std::strerror(errno));
#else
    if (fsync(descriptor_) != 0) fail(std::strerror(errno));
#endif
    const int descriptor = descriptor_;
    descriptor_ = -1;
    if (closeDescriptor(descriptor) != 0) fail(std::strerror(errno));
#if defined(_WIN32)
    if (!MoveFileExA(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        fail("the file could not be replaced (Windows error " + std::to_string(GetLastError()) + ")");
    }
#else
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) fail(std::strerror(errno));
#endif
    committed_ = true;
    InterruptCleanup::watch("");
}

bool OutputFile::seekable() const { return !temporary_.empty() && descriptor_ >= 0; }

void OutputFile::seek(uint64_t position) {
#if defined(_WIN32)
    const bool moved = _lseeki64(descriptor_, static_cast<__int64>(position), SEEK_SET) >= 0;
#else
    const bool moved = lseek(descriptor_, static_cast<off_t>(position), SEEK_SET) >= 0;
#endif
    if (!moved) fail(std::strerror(errno));
}

void writeOutputFile(const std::string& path, const void* data, size_t size, bool force) {
    OutputFile file(path, force);
    file.write(data, size);
    file.commit();
}

}  // namespace zanth
