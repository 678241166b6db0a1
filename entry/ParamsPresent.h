// Whether the host's parameter array holds what a command is about to read.
// A host that refused part of the parameter set-up, or that sends a command
// before any, hands over fewer parameters (or null entries) than the effect
// declares; such a command is answered with a host error instead of reading
// what is not there.
#pragma once

#include "host/ae_effect.h"

namespace Ombrix::Levels {

// PF_Err_NONE when `params` is there, in_data->num_params covers indices
// 0 .. count - 1 and none of the entries listed in `required` is null;
// PF_Err_INVALID_INDEX when the host declared fewer parameters;
// PF_Err_BAD_CALLBACK_PARAM for a missing array or a null entry.
PF_Err paramsPresent(const PF_InData* in_data, PF_ParamDef* const params[], int count, int firstRequired,
                     int lastRequired);

// What a render reads: the input layer in params[0]; the level settings are
// checked out by index, so each of them must have been declared.
PF_Err renderParamsPresent(const PF_InData* in_data, PF_ParamDef* const params[]);

// What a custom-UI event reads: the channel popup and every level slider in
// params[], the input layer by checkout.
PF_Err eventParamsPresent(const PF_InData* in_data, PF_ParamDef* const params[]);

}  // namespace Ombrix::Levels
