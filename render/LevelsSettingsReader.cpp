#include "render/LevelsSettingsReader.h"

#include "params/ParamIndices.h"

namespace Ombrix::Levels {
namespace {

// Checks a parameter out at the current time; a refusal throws the host's
// code (nothing is checked out then).
void checkout(PF_InData* in_data, int index, PF_ParamDef& def) {
    def = PF_ParamDef{};
    const PF_Err err = in_data->inter.checkout_param(in_data->effect_ref, index, in_data->current_time,
                                                     in_data->time_step, in_data->time_scale, &def);
    if (err != PF_Err_NONE) throw static_cast<int>(err);
}

void readBlock(PF_InData* in_data, int block, ChannelLevels& levels) {
    readSliderValue(in_data, blockStart(block) + kSlotInputBlack, levels.inputBlack);
    readSliderValue(in_data, blockStart(block) + kSlotInputWhite, levels.inputWhite);
    readSliderValue(in_data, blockStart(block) + kSlotGamma, levels.gamma);
    readSliderValue(in_data, blockStart(block) + kSlotOutputBlack, levels.outputBlack);
    readSliderValue(in_data, blockStart(block) + kSlotOutputWhite, levels.outputWhite);
}

}  // namespace

bool readSliderValue(PF_InData* in_data, int index, double& out) {
    PF_ParamDef def;
    checkout(in_data, index, def);
    bool written = true;
    switch (def.param_type) {
        case PF_Param_SLIDER: out = static_cast<double>(def.u.sd.value); break;
        case PF_Param_FIX_SLIDER: out = static_cast<double>(def.u.fd.value >> 16); break;  // fraction dropped
        case PF_Param_FLOAT_SLIDER: out = def.u.fs_d.value; break;
        default: written = false; break;
    }
    in_data->inter.checkin_param(in_data->effect_ref, &def);
    return written;
}

bool readCheckbox(PF_InData* in_data, int index, bool& out) {
    PF_ParamDef def;
    checkout(in_data, index, def);
    const bool written = def.param_type == PF_Param_CHECKBOX;
    if (written) out = def.u.bd.value != 0;
    in_data->inter.checkin_param(in_data->effect_ref, &def);
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
    return settings;  // sanitised on the way out
}

}  // namespace Ombrix::Levels
