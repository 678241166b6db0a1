// The data step of a frame: the 27 levels settings and the view read from the host's
// parameters at the current time, once per frame and before any GL work, and
// made safe for both renderers (see sanitised() in LevelsSettings.h).
#pragma once

#include "host/ae_effect.h"
#include "render/LevelsSettings.h"

namespace Ombrix::Levels {

// Reads the composite block, the red, green, blue and alpha blocks (input
// black, input white, gamma, output black, output white each) and the two
// clip checkboxes and the view popup. A parameter whose type is not one of those read keeps its
// default. A checkout the host refuses (a cancelled render, ...) ends the
// frame: the host's code is thrown as an int, before anything is drawn, with
// every parameter read so far checked back in. A frame drawn with a default
// in place of the parameter's value would be a wrong frame reported as done.
SanitisedSettings readLevelsSettings(PF_InData* in_data);

// One parameter: true when `out` was written, false when its type is not read.
// A slider is read from a float slider (as is), an integer slider, or a fixed
// slider (the fraction dropped toward minus infinity); a checkbox only from a
// checkbox. A refused checkout throws the host's code as an int.
bool readSliderValue(PF_InData* in_data, int index, double& out);
bool readCheckbox(PF_InData* in_data, int index, bool& out);
bool readPopup(PF_InData* in_data, int index, long& out);

// The levels of block `block` (LevelsBlock) as an event's parameters hold them
// (its float sliders, as they are).
ChannelLevels eventLevels(PF_ParamDef* params[], int block);

}  // namespace Ombrix::Levels
