// Smart rendering: PF_Cmd_SMART_PRE_RENDER and PF_Cmd_SMART_RENDER, the only
// way float (32 bits a channel) frames reach the effect; 8-bit and 16-bit
// frames may come this way too.
//
// Pre-render checks out the input layer (parameter 0) once, with checkout id
// kInputCheckoutId and the host's own request, and answers with rectangles:
//  - The map moves no pixel, so the result is what the input gives: the
//    checkout's result_rect, and its max_result_rect as the maximum.
//  - Unless the alpha map takes a transparent alpha (0) above 0 (alpha output
//    black above 0, or such a gamma/range): then every pixel of the layer,
//    transparent ones included, becomes visible, so the maximum is the whole
//    layer (0, 0, ref_width, ref_height; joined with the input's maximum) and
//    the result is the request within it. Pixels of that result that the
//    input does not cover are rendered as a transparent black pixel is.
// It reads the settings for that decision and leaves a small record in
// pre_render_data (the checkout id, the two rectangles); the host owns it
// from then on and frees it through deletePreRenderData.
//
// Before rendering, smart render counts the input's histogram for the editor
// (FrameHistogram.h) at the points of the layer's grid that its input holds,
// and keeps it once the frame has rendered.
//
// Smart render reads the settings (checking the parameters out and in),
// checks the input's pixels out, then the output, renders at the frame's
// depth (WorldDepth.h: both worlds of the announced bit depth) and checks the
// input back in, also when a step fails. A smart render without the record of
// a pre-render, a refused checkout (layer, pixels, output or a parameter) or
// worlds of the wrong depth give a host error code, leave nothing checked out
// and do not write the output. Only the result rectangle is written: a host's
// output world may be larger.
#pragma once

#include "host/ae_effect.h"

namespace Ombrix::Levels {

class LevelsPass;

constexpr A_long kInputCheckoutId = 1;

PF_Err smartPreRender(PF_InData* in_data, PF_PreRenderExtra* extra);
PF_Err smartRender(PF_InData* in_data, PF_SmartRenderExtra* extra, LevelsPass* pass);

// Pre-render records made and not yet freed through deletePreRenderData.
int livePreRenderRecords();

}  // namespace Ombrix::Levels
