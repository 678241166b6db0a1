// Pushing the red, green and blue counts of the input's histogram through each
// channel's own levels settings.
#pragma once

#include "host/ae_effect.h"
#include "render/ChannelHistograms.h"

namespace Ombrix::Levels {

// Maps each of red, green and blue through its own channel's Input Black,
// Input White, Gamma, Output Black and Output White (the composite RGB and alpha
// settings are not applied); `mapped.alpha` is left empty.
void mapHistograms(PF_ParamDef* params[], const ChannelHistograms& histograms, ChannelHistograms& mapped);

// One entry of the mapping: the output bin of input bin j.
int mapLevel(int j, double inputBlack, double inputWhite, double gamma, double outputBlack, double outputWhite);

}  // namespace Ombrix::Levels
