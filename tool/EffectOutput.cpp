#include "tool/EffectOutput.h"

#include <cstdio>
#include <iostream>
#include <vector>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#define dup _dup
#define dup2 _dup2
#define close _close
#define open _open
#define O_WRONLY _O_WRONLY
constexpr const char* kNullDevice = "NUL";
#else
#include <fcntl.h>
constexpr const char* kNullDevice = "/dev/null";
#include <unistd.h>
#endif

namespace zanth {
namespace {

// A buffered output stream over a file descriptor.
class DescriptorBuffer : public std::streambuf {
public:
    explicit DescriptorBuffer(int descriptor) : descriptor_(descriptor), space_(1 << 16) {
        setp(space_.data(), space_.data() + space_.size());
    }
    ~DescriptorBuffer() override { sync(); }

protected:
    int_type overflow(int_type c) override {
        if (sync() != 0) return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    int sync() override {
        const char* p = pbase();
        while (p < pptr()) {
#if defined(_WIN32)
            const int n = _write(descriptor_, p, static_cast<unsigned>(pptr() - p));
#else
            const ssize_t n = write(descriptor_, p, static_cast<size_t>(pptr() - p));
#endif
            if (n <= 0) return -1;
            p += n;
        }
        setp(space_.data(), space_.data() + space_.size());
        return 0;
    }

private:
    int descriptor_;
    std::vector<char> space_;
};

}  // namespace

SeparateEffectOutput::SeparateEffectOutput() {
    std::cout.flush();
    std::fflush(stdout);
    toolDescriptor_ = dup(1);
    if (toolDescriptor_ < 0) return;  // no separation possible: both share the stream
    const int discard = open(kNullDevice, O_WRONLY);
    const int moved = dup2(discard >= 0 ? discard : 2, 1);
    if (discard >= 0) close(discard);
    if (moved < 0) {
        close(toolDescriptor_);
        toolDescriptor_ = -1;
        return;
    }
#if defined(_WIN32)
    _setmode(toolDescriptor_, _O_BINARY);
#endif
    buffer_ = std::make_unique<DescriptorBuffer>(toolDescriptor_);
    previous_ = std::cout.rdbuf(buffer_.get());
}

void SeparateEffectOutput::showOnStandardError() {
    if (toolDescriptor_ < 0) return;
    std::fflush(stdout);
    dup2(2, 1);
}

SeparateEffectOutput::~SeparateEffectOutput() {
    if (toolDescriptor_ < 0) return;
    if (buffer_) {
        std::cout.flush();
        std::cout.rdbuf(previous_);
        buffer_.reset();
    }
    std::fflush(stdout);
    dup2(toolDescriptor_, 1);
    close(toolDescriptor_);
}

}  // namespace zanth
