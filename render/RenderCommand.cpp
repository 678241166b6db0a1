#include "render/RenderCommand.h"

#include <glbinding/gl33core/gl.h>

#include "gl/AEOpenGLContext.h"
#include "gl/ContextRegistry.h"
#include "gl/OpenglRenderTarget.h"
#include "params/ParamIndices.h"
#include "render/CpuRenderCommand.h"
#include "render/FrameHistogram.h"
#include "render/LevelsPass.h"
#include "render/LevelsSettingsReader.h"
#include "render/PackedTransfer.h"
#include "render/PixelTransfer.h"
#include "render/RenderPath.h"
#include "render/WorldDepth.h"

using namespace gl33core;

namespace Ombrix::Levels {

void checkGlSizeLimits(int width, int height) {
    GLint textureSize = 0;
    GLint renderbufferSize = 0;
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &textureSize);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbufferSize);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    if (width > textureSize || height > textureSize || width > renderbufferSize || height > renderbufferSize ||
        width > viewport[0] || height > viewport[1]) {
        throw static_cast<int>(PF_Err_OUT_OF_MEMORY);
    }
}

PF_Err renderCommand(PF_InData* in_data, PF_OutData* /*out_data*/, PF_ParamDef* params[], PF_LayerDef* output,
                     LevelsPass* pass) {
    if (!params || !params[kParamInput] || !output) throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    PF_EffectWorld* input = &params[kParamInput]->u.ld;
    if (input->width < 0 || input->height < 0) throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    FrameHistogram histogram(in_data, input->width, input->height);
    if (input->width == 0 || input->height == 0) {  // nothing to draw; the editor shows an empty histogram
        histogram.count(*input, kPixelFormat8);
        histogram.publish();
        return PF_Err_NONE;
    }
    // PF_Cmd_RENDER carries 8-bit and 16-bit worlds only.
    const PixelFormatCode depth = frameDepth(in_data, *input, *output, nullptr);
    histogram.count(*input, depth);
    const PF_Err err = renderFrame(in_data, *input, *output, depth, pass);
    if (err == PF_Err_NONE) histogram.publish();
    return err;
}

PF_Err renderFrame(PF_InData* in_data, PF_EffectWorld& inputWorld, PF_EffectWorld& outputWorld, PixelFormatCode depth,
                   LevelsPass* pass) {
    PF_EffectWorld* input = &inputWorld;
    PF_EffectWorld* output = &outputWorld;
    const int width = input->width;
    const int height = input->height;
    if (width < 0 || height < 0) throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    if (width == 0 || height == 0) return PF_Err_NONE;  // nothing to draw

    switch (activeRenderPath()) {
        case RenderPath::Cpu: return renderCommandOnCpu(in_data, depth, *input, *output);
        case RenderPath::Gpu: break;
        case RenderPath::None: throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);  // not set up
    }
    // Float frames are rendered by the CPU renderer on both paths (see
    // RenderCommand.h); 16-bit frames have their own GPU pass.
    if (depth == kPixelFormat32) return renderCommandOnCpu(in_data, depth, *input, *output);
    if (depth == kPixelFormat16) return renderDeepOnGpu(in_data, *input, *output, pass);

    const LevelsSettings settings = readLevelsSettings(in_data);  // before any GL work
    SavedCurrentContext saved;
    {
        GlWorkLock lock;
        if (!pass) throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);  // set down, not set up again
        AEOpenGLContext& context = contextForCurrentThread();
        context.makeCurrent();
        checkGlSizeLimits(width, height);

        // The levels program draws the frame's 256-entry table; one pass takes
        // every input pixel through it, four pixels a fragment, in the packed
        // storage the target keeps for this size (see PackedByteFrame), which
        // is read back straight into the output world.
        OpenglRenderTarget& target = OpenglRenderTarget::forContext(context);
        const PackedByteFrame& frame = target.packedFrame(width, height);
        uploadPacked(frame, input, target.transferScratch());
        const bool drawn = pass->drawBytes(context, frame, settings);  // leaves no texture bound
        if (!drawn) throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
        readBackPacked(frame, output, target.transferScratch());
    }
    saved.restore();
    return PF_Err_NONE;
}

}  // namespace Ombrix::Levels
