// The level settings as the host's parameter array holds them in a UI command,
// and changes of level sliders written back the way the host takes them
// (PF_ChangeFlag_CHANGED_VALUE on the original parameter).
#pragma once

#include <vector>

#include "host/ae_effect.h"
#include "render/LevelsSettings.h"

namespace Ombrix::Levels {

struct LevelChange {
    int index;     // a level or gamma slider
    double value;  // finite, within the slider's valid range
};

// The settings of `params` (every level slider and clip box present), made
// safe as a frame's are (sanitised()). A slider of another type keeps its default.
SanitisedSettings settingsOfParams(PF_ParamDef* const params[]);

// Writes each change into its parameter and marks it changed. A value that is
// not finite is skipped; values are held within the slider's valid range.
void writeLevelChanges(PF_ParamDef* const params[], const std::vector<LevelChange>& changes);

}  // namespace Ombrix::Levels
