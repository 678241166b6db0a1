// The SSE4.1 kernels (this file alone is built with -msse4.1).
#include "render/CpuKernels.h"

#if defined(__SSE4_1__)
#define ZANTH_OPS_SSE4 1
#include "render/CpuKernelOps.h"
#include "render/CpuKernelBody.h"

namespace Ombrix::Levels {

const CpuKernels* sse4Kernels() {
    static const CpuKernels kernels = {SimdLevel::Sse4, Kernel<Wide2<Wide2<Wide2<Sse4Ops>>>>::floatRow, Kernel<Wide2<Wide2<Wide2<Sse4Ops>>>>::powFloats,
                                       bytesRowScalar, codesRowScalar};
    return &kernels;
}

}  // namespace Ombrix::Levels
#else
namespace Ombrix::Levels {
const CpuKernels* sse4Kernels() { return nullptr; }
}  // namespace Ombrix::Levels
#endif
