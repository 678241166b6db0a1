#include "adjust/LevelChanges.h"

#include <algorithm>
#include <cmath>

#include "params/ParamIndices.h"

namespace Ombrix::Levels {
namespace {

void readSlider(const PF_ParamDef* def, double& out) {
    if (def && def->param_type == PF_Param_FLOAT_SLIDER) out = def->u.fs_d.value;
}

void readCheckbox(const PF_ParamDef* def, bool& out) {
    if (def && def->param_type == PF_Param_CHECKBOX) out = def->u.bd.value != 0;
}

}  // namespace

SanitisedSettings settingsOfParams(PF_ParamDef* const params[]) {
    LevelsSettings s;
    for (int block = 0; block < kBlockCount; ++block) {
        for (const LevelField& f : kLevelFields) {
            readSlider(params[blockStart(block) + f.slot], (s.*kBlocks[block]).*f.member);
        }
    }
    for (const ClipField& clip : kClipFields) readCheckbox(params[clip.param], s.*clip.member);
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
