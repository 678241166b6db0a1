#include "render/cpu/CpuKernels.h"

namespace Ombrix::Levels {

const CpuKernels& cpuKernels(SimdLevel level) {
    const SimdLevel widest = detectedSimdLevel();
    if (static_cast<int>(level) > static_cast<int>(widest)) level = widest;
    const CpuKernels* kernels = nullptr;
    switch (level) {
        case SimdLevel::Avx512: kernels = avx512Kernels(); break;
        case SimdLevel::Avx2: kernels = avx2Kernels(); break;
        case SimdLevel::Sse4: kernels = sse4Kernels(); break;
        case SimdLevel::Scalar: break;
    }
    if (!kernels && level >= SimdLevel::Avx2) kernels = avx2Kernels();
    if (!kernels && level >= SimdLevel::Sse4) kernels = sse4Kernels();
    return kernels ? *kernels : *scalarKernels();
}

}  // namespace Ombrix::Levels
