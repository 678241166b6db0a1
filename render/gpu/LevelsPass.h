// The levels pass of the GPU path: the process's one object that renders
// 8-bit frames (LevelsPass8.h) and 16-bit frames (LevelsPass16.h) in the
// effect's contexts. It is made when the module is loaded (no GL call) and
// again by a global set-up after a set-down; global set-down deletes its GL
// objects (releaseGl) before it goes. Float frames never reach it
// (RenderCommand.h). Used only under the context registry's lock.
#pragma once

#include "host/PixelFormatCode.h"
#include "host/ae_effect.h"
#include "render/LevelsSettings.h"
#include "render/gpu/LevelsPass16.h"
#include "render/gpu/LevelsPass8.h"

namespace Ombrix::Levels {

class AEOpenGLContext;

class LevelsPass {
public:
    LevelsPass() = default;
    LevelsPass(const LevelsPass&) = delete;
    LevelsPass& operator=(const LevelsPass&) = delete;

    // The first width x height pixels of `input` into `output`, worlds of
    // `depth`, in `context`, which is current (see the passes of each depth).
    // Throws int host codes; PF_Err_BAD_CALLBACK_PARAM for a float depth.
    void render(const AEOpenGLContext& context, PixelFormatCode depth, const SanitisedSettings& settings,
                const PF_EffectWorld& input, PF_EffectWorld& output, int width, int height);

    // Global set-down, with the root current (left current): every GL object
    // of both passes is deleted. forgetGl gives up every name without a GL call.
    void releaseGl();
    void forgetGl();

private:
    LevelsPass8 eightBit_;
    LevelsPass16 sixteenBit_;
};

}  // namespace Ombrix::Levels
