// The levels pass of 8-bit frames on the GPU path.
//
// 8-bit frames have 256 values a channel, so the map is not computed per
// pixel: the frame's four 256-entry tables (LevelsTables8, LevelsTables.h),
// the CPU renderer's own, go into a uniform buffer, and the lookup program takes
// every byte of the frame, kept in packed form (four pixels a fragment, see
// PackedByteFrame.h), through them. No GPU arithmetic touches a value, so the
// frame is the CPU renderer's, byte for byte, on any GPU.
//
// The program is shared by the contexts and built in the context of the first
// frame. Each context keeps its own table buffer, packed frame and scratch
// rows, made on its first 8-bit frame; the packed frame is made again only
// when the frame size changes, so steady frames make no GL object. They go
// with the context (its thread's end) or at global set-down. Used only under
// the context registry's lock.
#pragma once

#include "gl/GlName.h"
#include "gl/GlQuad.h"
#include "gl/OpenglShader.h"
#include "gl/PackedByteFrame.h"
#include "gl/PerContext.h"
#include "gl/RowTransfer.h"
#include "host/ae_effect.h"
#include "render/LevelsSettings.h"

namespace Ombrix::Levels {

class AEOpenGLContext;

class LevelsPass8 {
public:
    // Entries in the table: one per byte value.
    static constexpr int kTableSize = 256;

    // Describes the programs; no GL call (no context exists at module load).
    LevelsPass8();
    LevelsPass8(const LevelsPass8&) = delete;
    LevelsPass8& operator=(const LevelsPass8&) = delete;

    // Renders the first width x height pixels of `input` into `output`, both
    // 8-bit worlds of at least that size (rows any distance apart, bottom-up
    // ones too), in `context`, which is current; nothing else of `output` is
    // written. The context's bindings are put back. Throws int host codes:
    // PF_Err_BAD_CALLBACK_PARAM for a world without pixels, or when a program
    // or a framebuffer cannot be made.
    void render(const AEOpenGLContext& context, const SanitisedSettings& settings, const PF_EffectWorld& input,
                PF_EffectWorld& output, int width, int height);

    // Global set-down, with a context of the share group current: every
    // context's objects go in that context, then the programs and the quad's
    // buffer with the root current. forgetGl gives up every name without a
    // GL call.
    void releaseGl();
    void forgetGl();

    bool programsBuilt() const { return lookupProgram_.built(); }

private:
    // What a context keeps: the uniform buffer that the lookup program reads
    // the table from, the packed frame and the scratch rows of its transfers.
    struct ContextFrames {
        GlBuffer tableBuffer;
        PackedByteFrame frame;
        TransferScratch scratch;
        void release();  // with its context current
        void forget();
        void forgetContextObjects();
    };

    // Makes the context's table buffer when missing and sizes its frame.
    bool prepare(ContextFrames& frames, int width, int height);
    // Puts the tables of `settings` into the table buffer.
    void uploadTable(ContextFrames& frames, const SanitisedSettings& settings);
    // Takes every part of the uploaded frame through the table.
    bool drawFrame(const AEOpenGLContext& context, ContextFrames& frames);

    OpenglShader lookupProgram_;
    GlQuad quad_;
    PerContext<ContextFrames> frames_;
};

}  // namespace Ombrix::Levels
