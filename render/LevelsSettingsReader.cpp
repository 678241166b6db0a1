#include "render/LevelsSettingsReader.h"

#include "hostaccess/CheckedOutParam.h"
#include "params/ParamIndices.h"

namespace Ombrix::Levels {
namespace {


void readBlock(PF_InData* in_data, int block, ChannelLevels& levels) {
    readSliderValue(in_data, blockStart(block) + kSlotInputBlack, levels.inputBlack);
    readSliderValue(in_data, blockStart(block) + kSlotInputWhite, levels.inputWhite);
    readSliderValue(in_data, blockStart(block) + kSlotGamma, levels.gamma);
    readSliderValue(in_data, blockStart(block) + kSlotOutputBlack, levels.outputBlack);
    readSliderValue(in_data, blockStart(block) + kSlotOutputWhite, levels.outputWhite);
}

}  // namespace

bool readSliderValue(PF_InData* in_data, int index, double& out) {
    const CheckedOutParam param(in_data, index);
    const PF_ParamDef& def = param.def();
    bool written = true;
    switch (def.param_type) {
        case PF_Param_SLIDER: out = static_cast<double>(def.u.sd.value); break;
        case PF_Param_FIX_SLIDER: out = static_cast<double>(def.u.fd.value >> 16); break;  // fraction dropped
        case PF_Param_FLOAT_SLIDER: out = def.u.fs_d.value; break;
        default: written = false; break;
    }
    return written;
}

bool readPopup(PF_InData* in_data, int index, long& out) {
    const CheckedOutParam param(in_data, index);
    const bool written = param.def().param_type == PF_Param_POPUP;
    if (written) out = param.def().u.pd.value;
    return written;
}

bool readCheckbox(PF_InData* in_data, int index, bool& out) {
    const CheckedOutParam param(in_data, index);
    const bool written = param.def().param_type == PF_Param_CHECKBOX;
    if (written) out = param.def().u.bd.value != 0;
    return written;
}

SanitisedSettings readLevelsSettings(PF_InData* in_data) {
    LevelsSettings settings;  // the parameters' defaults
    readBlock(in_data, 0, settings.composite);
    readBlock(in_data, 1, settings.red);
    readBlock(in_data, 2, settings.green);
    readBlock(in_data, 3, settings.blue);
    readBlock(in_data, 4, settings.alpha);
    readCheckbox(in_data, kParamClipBlack, settings.clipBlack);
    readCheckbox(in_data, kParamClipWhite, settings.clipWhite);
    long view = 0;
    if (readPopup(in_data, kParamView, view)) settings.view = clipViewOfPopup(view);
    return settings;  // sanitised on the way out
}

}  // namespace Ombrix::Levels
