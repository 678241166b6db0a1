#include "entry/ParamsPresent.h"

#include "params/ParamIndices.h"

namespace Ombrix::Levels {

PF_Err paramsPresent(const PF_InData* in_data, PF_ParamDef* const params[], int count, int firstRequired,
                     int lastRequired) {
    if (!params) return PF_Err_BAD_CALLBACK_PARAM;
    if (in_data->num_params < count) return PF_Err_INVALID_INDEX;
    for (int index = firstRequired; index <= lastRequired; ++index) {
        if (!params[index]) return PF_Err_BAD_CALLBACK_PARAM;
    }
    return PF_Err_NONE;
}

PF_Err renderParamsPresent(const PF_InData* in_data, PF_ParamDef* const params[]) {
    return paramsPresent(in_data, params, kParamCount, kParamInput, kParamInput);
}

PF_Err eventParamsPresent(const PF_InData* in_data, PF_ParamDef* const params[]) {
    return paramsPresent(in_data, params, kParamCount, kParamChannel, kParamCount - 1);
}

}  // namespace Ombrix::Levels
