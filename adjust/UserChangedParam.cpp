#include "adjust/UserChangedParam.h"

#include "adjust/LevelChanges.h"
#include "adjust/PickedLevels.h"
#include "host/ae_suites.h"
#include "hostaccess/SuiteScope.h"
#include "params/ParamIndices.h"

namespace Ombrix::Levels {
namespace {

// The picked colour in level units, at the most precise the host gives:
// "PF ColorParamSuite" where offered, else the parameter's 8-bit value.
void pickedLevels(PF_InData* in_data, const PF_ParamDef* def, double levels[3]) {
    const PF_Pixel& byte = def->u.cd.value;
    levels[0] = byte.red;
    levels[1] = byte.green;
    levels[2] = byte.blue;
    try {
        SuiteScope<PF_ColorParamSuite1> colours(in_data, kPFColorParamSuite, kPFColorParamSuiteVersion1);
        if (!colours->PF_GetFloatingPointColorFromColorDef) return;
        PF_PixelFloat colour{};
        if (colours->PF_GetFloatingPointColorFromColorDef(in_data->effect_ref, def, &colour) != PF_Err_NONE) return;
        levels[0] = 255.0 * colour.red;
        levels[1] = 255.0 * colour.green;
        levels[2] = 255.0 * colour.blue;
    } catch (int) {
        // refused: the 8-bit value stands
    }
}

}  // namespace

PF_Err userChangedParam(PF_InData* in_data, PF_ParamDef* params[], const PF_UserChangedParamExtra* extra) {
    if (!extra) return PF_Err_NONE;
    const int index = extra->param_index;
    Pick pick;
    switch (index) {
        case kParamBlackPoint: pick = Pick::Black; break;
        case kParamGreyPoint: pick = Pick::Grey; break;
        case kParamWhitePoint: pick = Pick::White; break;
        default: return PF_Err_NONE;
    }
    const PF_ParamDef* def = params[index];
    if (!def || def->param_type != PF_Param_COLOR) return PF_Err_NONE;
    double picked[3];
    pickedLevels(in_data, def, picked);
    writeLevelChanges(params, levelsForPick(pick, settingsOfParams(params), picked));
    return PF_Err_NONE;
}

}  // namespace Ombrix::Levels
