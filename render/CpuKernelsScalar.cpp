// The scalar kernels: the reference every wider level matches, and the level
// for CPUs without SSE4.1.
#define ZANTH_OPS_SCALAR 1
#include "render/CpuKernelOps.h"
#include "render/CpuKernelBody.h"

namespace Ombrix::Levels {

const CpuKernels* scalarKernels() {
    static const CpuKernels kernels = {SimdLevel::Scalar, Kernel<Wide2<Wide2<ScalarOps>>>::floatRow,
                                       Kernel<Wide2<Wide2<ScalarOps>>>::powFloats,
                                       bytesRowScalar, codesRowScalar};
    return &kernels;
}

}  // namespace Ombrix::Levels
