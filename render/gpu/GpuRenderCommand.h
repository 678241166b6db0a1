// A frame on the GPU path with the frame's settings (read from the host by the
// render command, with no lock held): the calling thread's own context is made current and the
// levels pass (LevelsPass.h) renders the overlap of input and output under
// the context registry's lock; the host's context is put back.
#pragma once

#include "host/PixelFormatCode.h"
#include "host/ae_effect.h"
#include "render/LevelsSettings.h"
#include "render/WorldOverlap.h"

namespace Ombrix::Levels {

class LevelsPass;

// `input` and `output` are 8-bit or 16-bit worlds of `depth` (the caller has
// checked the depth); `overlap` is theirs (WorldOverlap.h), and only it is
// written. `pass` is the process's levels pass, null between a
// global set-down and the next set-up. Returns 0; failures are thrown as int
// host codes: PF_Err_OUT_OF_MEMORY for a frame larger than the context's
// textures, renderbuffers or viewport can hold (checked before any pixel is
// written), PF_Err_BAD_CALLBACK_PARAM without a pass.
PF_Err renderCommandOnGpu(const SanitisedSettings& settings, PixelFormatCode depth, const PF_EffectWorld& input,
                          PF_EffectWorld& output, const WorldOverlap& overlap, LevelsPass* pass);

}  // namespace Ombrix::Levels
