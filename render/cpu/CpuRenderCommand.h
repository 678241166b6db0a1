// A frame on the CPU path: the frame's settings are read from the host (no
// lock held), then the input layer is rendered into the output world straight
// through their pixels. No GL, no host handle, no utility callback.
#pragma once

#include "host/PixelFormatCode.h"
#include "host/ae_effect.h"
#include "render/LevelsSettings.h"

namespace Ombrix::Levels {

class GridCounting;

// `input` and `output` are worlds of `depth` with pixels (the caller has
// checked for empty layers and for the depth). `counting` (null: none) is
// counted in the render's pass where it counts `input`, else before the
// render. Returns 0; failures are thrown as int host codes.
PF_Err renderCommandOnCpu(PF_InData* in_data, const SanitisedSettings& settings, PixelFormatCode depth,
                          const PF_EffectWorld& input, PF_EffectWorld& output, GridCounting* counting);

}  // namespace Ombrix::Levels
