// PF_Cmd_RENDER: one frame on the path chosen at global set-up (RenderPath.h):
// the CPU render (CpuRenderCommand.h) or the GPU render (GpuRenderCommand.h).
//
// Depths: 8-bit and 16-bit frames go through the levels pass on the GPU path
// (LevelsPass.h); float frames (smart render only) are rendered by the CPU
// renderer on both paths: GLSL leaves NaN and infinity arithmetic undefined,
// so the rule that non-finite input gives finite output (CpuLevelsRenderer.h)
// could not be promised on a GPU, and the CPU renderer is exact.
//
// Every frame also counts the input layer's histogram for the histogram editor
// (on the CPU renderer in its pass, on the GPU path before the pass), and
// keeps it once the frame has rendered (FrameHistogram.h).
#pragma once

#include "host/PixelFormatCode.h"
#include "host/ae_effect.h"
#include "render/LevelsSettings.h"

namespace Ombrix::Levels {

class GridCounting;
class LevelsPass;

// Returns 0 on success; host failures are thrown as int codes. `pass` is the
// process's levels pass, null between a global set-down and the next set-up.
// Input and output must both be 8-bit or both 16-bit (WorldDepth.h); anything
// else is refused with the output untouched.
PF_Err renderCommand(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output,
                     LevelsPass* pass);

// One frame of a known depth (both worlds checked) on the active path, with
// the settings the command read once for the frame. `counting` (null: none)
// is counted before the frame is written, or in the CPU renderer's pass.
PF_Err renderFrame(PF_InData* in_data, const SanitisedSettings& settings, PF_EffectWorld& input, PF_EffectWorld& output,
                   PixelFormatCode depth, LevelsPass* pass, GridCounting* counting);

}  // namespace Ombrix::Levels
