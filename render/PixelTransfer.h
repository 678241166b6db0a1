// Moving host pixels in and out of OpenGL at three depths. Host pixels are
// alpha-first (alpha, red, green, blue) at every depth; uploaded as GL_RGBA
// they land in the texture's (R, G, B, A) components, and the programs'
// swizzles turn them back, so the read-back bytes are in host order again.
#pragma once

#include <glbinding/gl/types.h>

#include <cstdint>

#include "gl/GlName.h"
#include "host/ae_effect.h"

namespace Ombrix::Levels {

// The host's own pixel-format codes select the depth.
enum PixelFormatCode : int32_t {
    kPixelFormat8 = PF_PixelFormat_ARGB32,     // 4 x 8-bit, 0..255
    kPixelFormat16 = PF_PixelFormat_ARGB64,    // 4 x 16-bit, 0..32768
    kPixelFormat32 = PF_PixelFormat_ARGB128,   // 4 x 32-bit float, nominal 0..1
};

// What an upload tells the rest of the frame about its depth.
struct TransferFormat {
    int64_t bytesPerPixel = 4;
    gl::GLenum pixelType{};  // GL_UNSIGNED_BYTE, GL_UNSIGNED_SHORT or GL_FLOAT
    float multiplier = 1.0f;  // handed to the pixel-order pass, which ignores it
};

// A new GL_TEXTURE_2D (32-bit float RGBA) holding the world's pixels; rows
// `rowbytes` apart (padded rows are fine). Throws a host code: 516 for an
// unknown code or a world that cannot hold its pixels, a failing host
// callback's own code, 13 for a refused "PF iterateFloat Suite".
GlTexture uploadWorld(PixelFormatCode code, PF_EffectWorld* world, PF_InData* in_data, TransferFormat& format);

// The same into `texture`, an existing GL_TEXTURE_2D with 32-bit float RGBA
// storage of at least the world's size (a frame's kept input texture).
void uploadWorldInto(unsigned int texture, PixelFormatCode code, PF_EffectWorld* world, PF_InData* in_data,
                     TransferFormat& format);

// Reads colour attachment 0 of the bound framebuffer (width x height, row 0
// = the host's first row) through a "PF Handle Suite" buffer into the output
// world. Only the rows and pixels that both the frame and the output world
// have are written. Throws a host code: 13 for a refused suite, 4 when the
// handle cannot be had, 516 for an unknown code or an unusable output world.
void readBackWorld(int width, int height, PF_EffectWorld* input, PF_EffectWorld* output, PF_InData* in_data,
                   PixelFormatCode code, const TransferFormat& format);

}  // namespace Ombrix::Levels
