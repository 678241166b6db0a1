// PF_Cmd_RENDER: the whole GPU path for one frame.
#pragma once

#include "host/ae_effect.h"

namespace Ombrix::Levels {

// Returns 0 on success; host failures are thrown as int codes.
PF_Err renderCommand(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output);

}  // namespace Ombrix::Levels
