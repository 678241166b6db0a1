// The name of a SIMD level as ZANTH_LEVELS_SIMD spells it, for test logs and
// benchmark labels.
#pragma once

#include "render/cpu/SimdLevel.h"

namespace zanth_test {

inline const char* simdLevelName(Ombrix::Levels::SimdLevel level) {
    switch (level) {
        case Ombrix::Levels::SimdLevel::Avx512: return "avx512";
        case Ombrix::Levels::SimdLevel::Avx2: return "avx2";
        case Ombrix::Levels::SimdLevel::Sse4: return "sse4";
        case Ombrix::Levels::SimdLevel::Scalar: break;
    }
    return "scalar";
}

}  // namespace zanth_test
