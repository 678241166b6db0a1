#include "adjust/LevelChanges.h"

#include <algorithm>
#include <cmath>

#include "params/ParamIndices.h"

namespace Ombrix::Levels {
namespace {

void readSlider(const PF_ParamDef* def, double& out) {
    if (def && def->param_type == PF_Param_FLOAT_SLIDER) out = def->u.fs_d.value;
}

}  // namespace

SanitisedSettings settingsOfParams(PF_ParamDef* const params[]) {
    LevelsSettings s;
    ChannelLevels* blocks[] = {&s.composite, &s.red, &s.green, &s.blue, &s.alpha};
    for (int block = 0; block < kChannelCount; ++block) {
        readSlider(params[blockStart(block) + kSlotInputBlack], blocks[block]->inputBlack);
        readSlider(params[blockStart(block) + kSlotInputWhite], blocks[block]->inputWhite);
        readSlider(params[blockStart(block) + kSlotGamma], blocks[block]->gamma);
        readSlider(params[blockStart(block) + kSlotOutputBlack], blocks[block]->outputBlack);
        readSlider(params[blockStart(block) + kSlotOutputWhite], blocks[block]->outputWhite);
    }
    const PF_ParamDef* clipBlack = params[kParamClipBlack];
    const PF_ParamDef* clipWhite = params[kParamClipWhite];
    if (clipBlack && clipBlack->param_type == PF_Param_CHECKBOX) s.clipBlack = clipBlack->u.bd.value != 0;
    if (clipWhite && clipWhite->param_type == PF_Param_CHECKBOX) s.clipWhite = clipWhite->u.bd.value != 0;
    return s;
}

void writeLevelChanges(PF_ParamDef* const params[], const std::vector<LevelChange>& changes) {
    for (const LevelChange& change : changes) {
        PF_ParamDef* def = params[change.index];
        if (!def || def->param_type != PF_Param_FLOAT_SLIDER || !std::isfinite(change.value)) continue;
        const PF_FloatSliderDef& fs = def->u.fs_d;
        def->u.fs_d.value = std::min(std::max(change.value, double(fs.valid_min)), double(fs.valid_max));
        def->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
    }
}

}  // namespace Ombrix::Levels
