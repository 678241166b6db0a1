#include "render/cpu/SimdLevel.h"

#include "render/cpu/CpuKernels.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <string>

namespace Ombrix::Levels {
namespace {

#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#define ZANTH_X86_DETECT 1
#endif

SimdLevel detectOnce() {
#ifdef ZANTH_X86_DETECT
    __builtin_cpu_init();
    // __builtin_cpu_supports also checks that the operating system saves the
    // wide registers (XCR0), so a level it reports can run.
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl")) {
        return SimdLevel::Avx512;
    }
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return SimdLevel::Avx2;
    if (__builtin_cpu_supports("sse4.1")) return SimdLevel::Sse4;
#endif
    return SimdLevel::Scalar;
}

std::atomic<int> gActive{-1};

// The one place a level is held to what the CPU has.
SimdLevel usable(SimdLevel level) {
    const SimdLevel widest = detectedSimdLevel();
    return static_cast<int>(level) < static_cast<int>(widest) ? level : widest;
}

}  // namespace

SimdLevel detectedSimdLevel() {
    static const SimdLevel level = detectOnce();
    return level;
}

bool hasBytePermute() {
#ifdef ZANTH_X86_DETECT
    static const bool vbmi = detectedSimdLevel() == SimdLevel::Avx512 && __builtin_cpu_supports("avx512vbmi");
    return vbmi;
#else
    return false;
#endif
}

SimdLevel parseSimdLevel(const char* value) {
    std::string text(value ? value : "");
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    SimdLevel asked = SimdLevel::Avx512;  // the widest there is
    if (text == "avx2") asked = SimdLevel::Avx2;
    else if (text == "sse4") asked = SimdLevel::Sse4;
    else if (text == "scalar") asked = SimdLevel::Scalar;
    return usable(asked);
}

void setActiveSimdLevel(SimdLevel level) { gActive.store(static_cast<int>(usable(level))); }

SimdLevel activeSimdLevel() {
    const int level = gActive.load();
    return level < 0 ? detectedSimdLevel() : static_cast<SimdLevel>(level);
}

const CpuKernels& cpuKernels(SimdLevel level) {
    const SimdLevel at = usable(level);
    const CpuKernels* kernels = nullptr;
    switch (at) {
        case SimdLevel::Avx512: kernels = avx512Kernels(); break;
        case SimdLevel::Avx2: kernels = avx2Kernels(); break;
        case SimdLevel::Sse4: kernels = sse4Kernels(); break;
        case SimdLevel::Scalar: break;
    }
    if (!kernels && at >= SimdLevel::Avx2) kernels = avx2Kernels();
    if (!kernels && at >= SimdLevel::Sse4) kernels = sse4Kernels();
    return kernels ? *kernels : *scalarKernels();
}

}  // namespace Ombrix::Levels
