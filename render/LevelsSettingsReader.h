// The data step of a frame: the 27 levels settings read from the host's
// parameters at the current time, once per frame and before any GL work, and
// made safe for both renderers (see sanitised() in LevelsSettings.h).
#pragma once

#include "host/ae_effect.h"
#include "render/LevelsSettings.h"

namespace Ombrix::Levels {

// Reads the composite block, the red, green, blue and alpha blocks (input
// black, input white, gamma, output black, output white each) and the two
// clip checkboxes. A parameter that the host refuses, or whose type is not
// one of those read, keeps its default.
LevelsSettings readLevelsSettings(PF_InData* in_data);

// One parameter: true when `out` was written. A slider is read from a float
// slider (as is), an integer slider, or a fixed slider (the fraction dropped
// toward minus infinity); a checkbox only from a checkbox.
bool readSliderValue(PF_InData* in_data, int index, double& out);
bool readCheckbox(PF_InData* in_data, int index, bool& out);

}  // namespace Ombrix::Levels
