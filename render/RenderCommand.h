// PF_Cmd_RENDER: one frame on the path chosen at global set-up (RenderPath.h):
// the CPU render (CpuRenderCommand.h) or the GPU path.
#pragma once

#include "host/ae_effect.h"

namespace Ombrix::Levels {

class LevelsPass;

// Returns 0 on success; host failures are thrown as int codes. `pass` is the
// process's levels pass, null between a global set-down and the next set-up.
PF_Err renderCommand(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output,
                     LevelsPass* pass);

}  // namespace Ombrix::Levels
