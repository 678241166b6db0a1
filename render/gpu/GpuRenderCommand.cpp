#include "render/gpu/GpuRenderCommand.h"

#include "gl/AEOpenGLContext.h"
#include "gl/ContextRegistry.h"
#include "gl/GlLimits.h"
#include "render/gpu/LevelsPass.h"

namespace Ombrix::Levels {

PF_Err renderCommandOnGpu(const SanitisedSettings& settings, PixelFormatCode depth, const PF_EffectWorld& input,
                          PF_EffectWorld& output, const WorldOverlap& overlap, LevelsPass* pass) {
    if (overlap.empty()) return PF_Err_NONE;
    SavedCurrentContext saved;
    {
        GlWorkLock lock;
        if (!pass) throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);  // set down, not set up again
        AEOpenGLContext& context = contextForCurrentThread();
        context.makeCurrent();
        if (!glLimitsOf(context).hold(overlap.width, overlap.height)) throw static_cast<int>(PF_Err_OUT_OF_MEMORY);
        pass->render(context, depth, settings, input, output, overlap.width, overlap.height);
    }
    saved.restore();
    return PF_Err_NONE;
}

}  // namespace Ombrix::Levels
