// The AVX2 kernels (this file alone is built with -mavx2 and -mfma): float
// rows 32 pixels at a time (eight vectors of four lanes a channel), with fused
// multiply-adds. 8-bit and 16-bit rows take the plain lookups: eight-lane
// gathers from the 16-bit tables measured slower than them, and CPUs with the
// gather-data-sampling mitigation make gathers slower still.
#include "render/cpu/CpuKernels.h"

#if defined(__AVX2__)
#define ZANTH_OPS_AVX2 1
#include "render/cpu/CpuKernelBody.h"
#include "render/cpu/CpuKernelOps.h"

namespace Ombrix::Levels {
namespace {

// Float rows: eight vectors side by side for each channel.
using FloatKernel = Kernel<Wide2<Wide2<Wide2<Avx2Ops>>>>;

}  // namespace

const CpuKernels* avx2Kernels() {
    static const CpuKernels kernels = {SimdLevel::Avx2, FloatKernel::floatRow,
                                       bytesRowScalar, codesRowScalar};
    return &kernels;
}

}  // namespace Ombrix::Levels
#else
namespace Ombrix::Levels {
const CpuKernels* avx2Kernels() { return nullptr; }
}  // namespace Ombrix::Levels
#endif
