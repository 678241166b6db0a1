// Moving host pixels in and out of OpenGL at three depths. Host pixels are
// alpha-first (alpha, red, green, blue) at every depth; uploaded as GL_RGBA
// they land in the texture's (R, G, B, A) components, and the programs'
// swizzles turn them back, so the read-back bytes are in host order again.
//
// Pixels are addressed through the world's own `data` and `rowbytes`; the
// transfer makes no host call, so it may run under the effect's GL lock on
// any thread.
#pragma once

#include <glbinding/gl/types.h>

#include <cstdint>
#include <vector>

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

// Rows whose distance is no whole number of pixels cannot go straight
// between host memory and GL; they are packed in here first. A frame's
// caller keeps one from frame to frame.
using TransferScratch = std::vector<uint8_t>;

// A new GL_TEXTURE_2D (32-bit float RGBA, nearest filtering) holding the
// world's pixels; rows `rowbytes` apart (padded rows are fine). Throws the
// host code 516 for an unknown code or a world that cannot hold its pixels.
GlTexture uploadWorld(PixelFormatCode code, const PF_EffectWorld* world, TransferFormat& format);

// The same into `texture`, an existing GL_TEXTURE_2D with RGBA storage of at
// least the world's size (a frame's kept input texture).
void uploadWorldInto(unsigned int texture, PixelFormatCode code, const PF_EffectWorld* world, TransferFormat& format,
                     TransferScratch& scratch);

// Reads colour attachment 0 of the bound read framebuffer (width x height,
// row 0 = the host's first row) into the output world, straight into its rows
// where their distance is a whole number of pixels. Only the rows and pixels
// that both the frame and the output world have are written. Throws the host
// code 516 for an unknown code or an unusable output world.
void readBackWorld(int width, int height, PF_EffectWorld* output, PixelFormatCode code, const TransferFormat& format,
                   TransferScratch& scratch);
void readBackWorld(int width, int height, PF_EffectWorld* output, PixelFormatCode code, const TransferFormat& format);

}  // namespace Ombrix::Levels
