// The levels pass of 16-bit frames on the GPU path.
//
// Host 16-bit channels run 0..32768 (white is 32768, not 65535). A 16-bit
// frame has 32769 codes a channel, so the map is not computed per pixel:
// every code is mapped once per settings (LevelsTables.h, as the CPU renderer
// maps it) into a table of 32769 entries (alpha, red, green, blue), and the
// lookup program takes every pixel through it. The frame goes up and comes back as integers
// (GL_RGBA16UI, GL_RGBA_INTEGER) and no GPU arithmetic touches a code, so the
// result is the CPU renderer's, code for code, whatever the settings and
// whatever the GPU's float arithmetic. Codes above 32768 are taken as 32768.
//
// The program is shared by the contexts and kept. Each context keeps its own
// input texture, output renderbuffer and framebuffer (16 bytes a pixel: 8 in,
// 8 out), given new storage only when the frame size changes, and its table
// texture (256 x 129 texels), filled again only when the settings change; so
// steady frames make no GL object. They go with the context (its thread's end)
// or at global set-down. The table itself (264 KB) is kept by the pass for the
// last settings. Used only under the context registry's lock.
#pragma once

#include <cstdint>
#include <vector>

#include "gl/Framebuffer.h"
#include "gl/GlName.h"
#include "gl/GlQuad.h"
#include "gl/OpenglShader.h"
#include "gl/PerContext.h"
#include "gl/RowTransfer.h"
#include "host/ae_effect.h"
#include "render/LevelsSettings.h"

namespace Ombrix::Levels {

class AEOpenGLContext;

class LevelsPass16 {
public:
    // The table: code k at texel (k % kTableWidth, k / kTableWidth).
    static constexpr int kTableWidth = 256;
    static constexpr int kTableRows = 129;  // 32769 codes, the last row holding white only

    LevelsPass16();  // no GL call
    LevelsPass16(const LevelsPass16&) = delete;
    LevelsPass16& operator=(const LevelsPass16&) = delete;

    // Renders the first width x height pixels of `input` into `output`, both
    // 16-bit worlds of at least that size (rows any distance apart, bottom-up
    // ones too), in `context`, which is current; nothing else of `output` is
    // written. The context's bindings are put back. Throws int host codes:
    // PF_Err_BAD_CALLBACK_PARAM for a world without pixels, or when the
    // program or a framebuffer cannot be made.
    void render(const AEOpenGLContext& context, const SanitisedSettings& settings, const PF_EffectWorld& input,
                PF_EffectWorld& output, int width, int height);

    // Global set-down, with a context of the share group current: every
    // context's objects go in that context, then the program and the quad's
    // buffer with the root current. forgetGl gives up every name without a
    // GL call.
    void releaseGl();
    void forgetGl();

private:
    // What a context keeps for 16-bit frames of one size, and its table.
    struct ContextFrames {
        GlTexture input;        // GL_RGBA16UI
        GlRenderbuffer output;  // GL_RGBA16UI
        Framebuffer framebuffer;
        int width = 0, height = 0;
        GlTexture table;                // GL_RGBA16UI, kTableWidth x kTableRows
        uint64_t tableGeneration = 0;   // the pass's table it holds; 0: none yet
        TransferScratch scratch;        // rows that cannot go straight
        void release();                 // with its context current
        void forget();
        void forgetContextObjects();
    };

    // Makes `frames` ready for width x height and binds its framebuffer;
    // false when that is not complete.
    bool prepare(ContextFrames& frames, int width, int height);
    // The table for `settings`, made again when they differ from the last.
    void updateTable(const SanitisedSettings& settings);

    OpenglShader program_;
    GlQuad quad_;
    PerContext<ContextFrames> frames_;
    LevelsSettings tableSettings_;
    std::vector<PF_Pixel16> table_;  // kTableWidth x kTableRows, host pixels
    uint64_t tableGeneration_ = 0;   // counts the tables made
};

}  // namespace Ombrix::Levels
