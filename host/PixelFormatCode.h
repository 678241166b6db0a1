// The depth of a host world, as the host's own pixel-format codes name it.
// Host pixels are alpha-first (alpha, red, green, blue) at every depth.
#pragma once

#include <cstdint>

#include "host/ae_effect.h"

namespace Ombrix::Levels {

enum PixelFormatCode : int32_t {
    kPixelFormat8 = PF_PixelFormat_ARGB32,    // 4 x 8-bit, 0..255
    kPixelFormat16 = PF_PixelFormat_ARGB64,   // 4 x 16-bit, 0..32768
    kPixelFormat32 = PF_PixelFormat_ARGB128,  // 4 x 32-bit float, nominal 0..1
};

}  // namespace Ombrix::Levels
