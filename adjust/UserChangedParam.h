// PF_Cmd_USER_CHANGED_PARAM: the host tells a supervised parameter's change.
// A set black, grey or white point sets the levels from its colour
// (PickedLevels.h); every other parameter is left to the host.
#pragma once

#include "host/ae_effect.h"

namespace Ombrix::Levels {

PF_Err userChangedParam(PF_InData* in_data, PF_ParamDef* params[], const PF_UserChangedParamExtra* extra);

}  // namespace Ombrix::Levels
