#include "render/RenderCommand.h"

#include "histogram/FrameHistogram.h"
#include "histogram/GridCounting.h"
#include "params/ParamIndices.h"
#include "render/LevelsSettingsReader.h"
#include "render/RenderPath.h"
#include "render/WorldDepth.h"
#include "render/cpu/CpuRenderCommand.h"
#include "render/gpu/GpuRenderCommand.h"

namespace Ombrix::Levels {

PF_Err renderCommand(PF_InData* in_data, PF_OutData* /*out_data*/, PF_ParamDef* params[], PF_LayerDef* output,
                     LevelsPass* pass) {
    if (!params || !params[kParamInput] || !output) throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    PF_EffectWorld* input = &params[kParamInput]->u.ld;
    if (input->width < 0 || input->height < 0) throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    FrameHistogram histogram(in_data, input->width, input->height);
    if (input->width == 0 || input->height == 0) {  // nothing to draw; the editor shows an empty histogram
        return histogram.render(*input, kPixelFormat8, 0, 0, [](GridCounting*) { return PF_Err_NONE; });
    }
    // PF_Cmd_RENDER carries 8-bit and 16-bit worlds only.
    const PixelFormatCode depth = frameDepth(in_data, *input, *output, nullptr);
    const SanitisedSettings settings = readLevelsSettings(in_data);  // once, before any pixel is written
    return histogram.render(*input, depth, 0, 0, [&](GridCounting* counting) {
        return renderFrame(in_data, settings, *input, *output, depth, pass, counting);
    });
}

PF_Err renderFrame(PF_InData* in_data, const SanitisedSettings& settings, PF_EffectWorld& inputWorld,
                   PF_EffectWorld& outputWorld, PixelFormatCode depth, LevelsPass* pass, GridCounting* counting) {
    PF_EffectWorld* input = &inputWorld;
    PF_EffectWorld* output = &outputWorld;
    const int width = input->width;
    const int height = input->height;
    if (width < 0 || height < 0) throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    if (width == 0 || height == 0) return PF_Err_NONE;  // nothing to draw

    switch (activeRenderPath()) {
        case RenderPath::Cpu: return renderCommandOnCpu(in_data, settings, depth, *input, *output, counting);
        case RenderPath::Gpu:
            // Float frames are rendered by the CPU renderer on both paths (see RenderCommand.h).
            if (depth == kPixelFormat32) return renderCommandOnCpu(in_data, settings, depth, *input, *output, counting);
            if (counting) counting->countAll();  // before the pass writes a pixel (the output may be the input)
            return renderCommandOnGpu(settings, depth, *input, *output, overlapOf(*input, *output), pass);
        case RenderPath::None: break;
    }
    throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);  // not set up
}

}  // namespace Ombrix::Levels
