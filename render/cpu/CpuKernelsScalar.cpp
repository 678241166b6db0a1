// The scalar kernels: the reference implementation of every level's
// algorithm (SSE4.1 gives its bits; AVX2 and AVX-512 fuse multiply-adds,
// CpuKernels.h), and the level for CPUs without SSE4.1.
#define ZANTH_OPS_SCALAR 1
#include "render/cpu/CpuKernelBody.h"
#include "render/cpu/CpuKernelOps.h"

namespace Ombrix::Levels {

namespace {
// Float rows: four pixels a step, four chains for each channel.
using FloatKernel = Kernel<Wide2<Wide2<ScalarOps>>>;

}  // namespace

const CpuKernels* scalarKernels() {
    static const CpuKernels kernels = {SimdLevel::Scalar, FloatKernel::floatRow,
                                       bytesRowScalar, codesRowScalar};
    return &kernels;
}

}  // namespace Ombrix::Levels
