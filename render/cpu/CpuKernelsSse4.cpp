// The SSE4.1 kernels (this file alone is built with -msse4.1).
#include "render/cpu/CpuKernels.h"

#if defined(__SSE4_1__)
#define ZANTH_OPS_SSE4 1
#include "render/cpu/CpuKernelBody.h"
#include "render/cpu/CpuKernelOps.h"

namespace Ombrix::Levels {

namespace {
// Float rows: four vectors side by side for each channel (eight pixels; with
// sixteen registers, more chains spill).
using FloatKernel = Kernel<Wide2<Wide2<Sse4Ops>>>;

}  // namespace

const CpuKernels* sse4Kernels() {
    static const CpuKernels kernels = {SimdLevel::Sse4, FloatKernel::floatRow,
                                       bytesRowScalar, codesRowScalar};
    return &kernels;
}

}  // namespace Ombrix::Levels
#else
namespace Ombrix::Levels {
const CpuKernels* sse4Kernels() { return nullptr; }
}  // namespace Ombrix::Levels
#endif
