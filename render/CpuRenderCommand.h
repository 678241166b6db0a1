// PF_Cmd_RENDER on the CPU path: the frame's settings are read from the host
// (no lock held), then the input layer is rendered into the output world
// straight through their pixels. No GL, no host handle, no utility callback.
#pragma once

#include "host/ae_effect.h"

namespace Ombrix::Levels {

// `input` and `output` are 8-bit worlds with pixels (the caller has checked
// for empty layers). Returns 0; failures are thrown as int host codes.
PF_Err renderCommandOnCpu(PF_InData* in_data, const PF_EffectWorld& input, PF_EffectWorld& output);

}  // namespace Ombrix::Levels
