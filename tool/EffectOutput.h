// The effect writes its GL diagnostics (the context description, shader
// errors) to the process's standard output, where the tool writes its
// results. While a SeparateEffectOutput lives, whatever is written to the
// standard output descriptor is discarded, or goes to standard error once
// showOnStandardError() was called (the tool's --verbose), and std::cout
// writes to the real standard output, so the tool's output stays its own.
#pragma once

#include <memory>
#include <streambuf>

namespace zanth {

class SeparateEffectOutput {
public:
    SeparateEffectOutput();
    ~SeparateEffectOutput();
    void showOnStandardError();
    SeparateEffectOutput(const SeparateEffectOutput&) = delete;
    SeparateEffectOutput& operator=(const SeparateEffectOutput&) = delete;

private:
    int toolDescriptor_ = -1;
    std::unique_ptr<std::streambuf> buffer_;
    std::streambuf* previous_ = nullptr;
};

}  // namespace zanth
