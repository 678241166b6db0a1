// The levels pass of 16-bit frames on the GPU path.
//
// Host 16-bit channels run 0..32768 (white is 32768, not 65535). GL would
// normalise a 16-bit texel by 65535, and taking k / 65535 back to k / 32768
// with the multiplier 65535/32768 is not exact in 32-bit float (k = 32767
// comes out one unit in the last place off, and the rounding of the result
// then differs from the CPU renderer). So no normalisation happens at all:
// the frame goes up as integers (GL_RGBA16UI, GL_RGBA_INTEGER), the program
// reads the code k with texelFetch from a usampler2D, holds it at 32768 and
// multiplies it by 1/32768 (a power of two, so k / 32768 is exact), which is
// the sample the levels map takes: the map then works at k * 255 / 32768 in
// the settings' 0..255 units. The result v (0..1) goes back as the integer
// roundEven(v * 32768) into a GL_RGBA16UI renderbuffer, in the host's
// alpha-first order, and is read back as GL_RGBA_INTEGER straight into the
// output rows: the same codes as lrintf(v * 32768) on the CPU, whatever the
// GPU does with normalised formats.
//
// The program and the quad's buffer are shared by the contexts and kept.
// Each context keeps its own input texture, output renderbuffer, framebuffer
// and vertex array (16 bytes a pixel: 8 in, 8 out), made on its first 16-bit
// frame and given new storage only when the frame size changes, so steady
// frames make no GL object; they go with the context (its thread's end) or
// at global set-down. Used only under the context registry's lock.
#pragma once

#include <memory>

#include "gl/GlName.h"
#include "gl/OpenglShader.h"
#include "gl/PerContext.h"
#include "render/LevelsSettings.h"
#include "render/PixelTransfer.h"

namespace Ombrix::Levels {

class AEOpenGLContext;

class DeepLevelsPass {
public:
    DeepLevelsPass();
    ~DeepLevelsPass();  // gives up the program's name: no context may be current at unload
    DeepLevelsPass(const DeepLevelsPass&) = delete;
    DeepLevelsPass& operator=(const DeepLevelsPass&) = delete;

    // Renders a 16-bit frame, input and output of at least width x height
    // pixels, in `context`, which is current. Throws int host codes.
    void render(const AEOpenGLContext& context, const LevelsSettings& settings, const PF_EffectWorld& input,
                PF_EffectWorld& output, int width, int height);

    // Global set-down with a context of the share group current: deletes
    // every context's objects in that context, then, with the root current
    // again, the program and the quad's buffer. forgetGl gives up every name
    // without a GL call.
    void releaseGl();
    void forgetGl();

    // GPU memory a context keeps for 16-bit frames, in bytes (0 if none).
    long long keptBytes(const AEOpenGLContext& context);

private:
    // What a context keeps for 16-bit frames of one size.
    struct DeepFrame {
        GlTexture input;        // GL_RGBA16UI
        GlRenderbuffer output;  // GL_RGBA16UI
        GlFramebuffer framebuffer;
        GlVertexArray vertexArray;
        int width = 0, height = 0;
        TransferScratch scratch;  // rows that cannot go straight
        void release();           // with its context current
        void forget();
    };
    // Makes `frame` ready for width x height and binds its framebuffer;
    // false when that is not complete.
    bool prepare(DeepFrame& frame, int width, int height);

    std::unique_ptr<OpenglShader> program_;
    GlBuffer vertexBuffer_;  // the quad; shared by the contexts
    PerContext<DeepFrame> frames_;
};

// The process's 16-bit pass.
DeepLevelsPass& deepLevelsPass();


}  // namespace Ombrix::Levels
