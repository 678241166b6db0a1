// The float rows' power function (CpuKernelBody.h) over arrays of bases and
// exponents, at each SIMD level, for the tests of its accuracy and bits:
// out[i] = x[i]^e[i] for x > 0 finite, e > 0 finite (x == 0: 0; x = +inf: +inf).
// tests/LevelPowers.cpp is built once per level with that level's
// instruction set, as the kernels are.
#pragma once

#include "render/cpu/SimdLevel.h"

namespace zanth_test {

using PowFloats = void (*)(const float* x, const float* e, float* out, int count);

void scalarPowers(const float* x, const float* e, float* out, int count);
void sse4Powers(const float* x, const float* e, float* out, int count);
void avx2Powers(const float* x, const float* e, float* out, int count);
void avx512Powers(const float* x, const float* e, float* out, int count);

inline PowFloats levelPowers(Ombrix::Levels::SimdLevel level) {
    switch (level) {
        case Ombrix::Levels::SimdLevel::Avx512: return avx512Powers;
        case Ombrix::Levels::SimdLevel::Avx2: return avx2Powers;
        case Ombrix::Levels::SimdLevel::Sse4: return sse4Powers;
        case Ombrix::Levels::SimdLevel::Scalar: break;
    }
    return scalarPowers;
}

}  // namespace zanth_test
