#include "render/LevelsSettingsReader.h"

#include "hostaccess/CheckedOutParam.h"
#include "params/ParamIndices.h"

namespace Ombrix::Levels {
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

ChannelLevels eventLevels(PF_ParamDef* params[], int block) {
    ChannelLevels levels;
    for (const LevelField& f : kLevelFields) levels.*f.member = params[blockStart(block) + f.slot]->u.fs_d.value;
    return levels;
}

SanitisedSettings readLevelsSettings(PF_InData* in_data) {
    LevelsSettings settings;  // the parameters' defaults
    for (int block = 0; block < kBlockCount; ++block) {
        for (const LevelField& f : kLevelFields) {
            readSliderValue(in_data, blockStart(block) + f.slot, (settings.*kBlocks[block]).*f.member);
        }
    }
    for (const ClipField& clip : kClipFields) readCheckbox(in_data, clip.param, settings.*clip.member);
    long view = 0;
    if (readPopup(in_data, kParamView, view)) settings.view = clipViewOfPopup(view);
    return settings;  // sanitised on the way out
}

}  // namespace Ombrix::Levels
