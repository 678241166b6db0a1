// Declaration of the effect's 39 parameters and registration of its custom UI.
#pragma once

#include "host/ae_effect.h"

namespace Ombrix::Levels {

class NameTable;

// Handles PF_Cmd_PARAMS_SETUP. Names come from `names`; with no table the
// English keys are used.
PF_Err setupParameters(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output,
                       const NameTable* names);

}  // namespace Ombrix::Levels
