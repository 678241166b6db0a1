#include "render/GpuRenderCommand.h"

#include <algorithm>

#include "gl/AEOpenGLContext.h"
#include "gl/ContextRegistry.h"
#include "gl/GlLimits.h"
#include "render/LevelsPass.h"

namespace Ombrix::Levels {

PF_Err renderCommandOnGpu(const LevelsSettings& settings, PixelFormatCode depth, const PF_EffectWorld& input,
                          PF_EffectWorld& output, LevelsPass* pass) {
    // Only what both worlds have is rendered: a larger output keeps the rest.
    const int width = std::min(input.width, output.width);
    const int height = std::min(input.height, output.height);
    if (width <= 0 || height <= 0) return PF_Err_NONE;
    SavedCurrentContext saved;
    {
        GlWorkLock lock;
        if (!pass) throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);  // set down, not set up again
        AEOpenGLContext& context = contextForCurrentThread();
        context.makeCurrent();
        if (!glLimitsOf(context).hold(width, height)) throw static_cast<int>(PF_Err_OUT_OF_MEMORY);
        pass->render(context, depth, settings, input, output, width, height);
    }
    saved.restore();
    return PF_Err_NONE;
}

}  // namespace Ombrix::Levels
