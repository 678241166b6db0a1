// Counting the thumbnail's channel values, and pushing the red, green and blue
// counts through each channel's own levels settings.
#pragma once

#include "host/ae_effect.h"
#include "ui/ChannelHistograms.h"

namespace Ombrix::Levels {

// Fills all four arrays with 256 counts over an 8-bit ARGB world, rows
// `rowbytes` apart. A world without pixels gives all-zero counts.
void countHistograms(const PF_EffectWorld& world, ChannelHistograms& histograms);

// Maps each of red, green and blue through its own channel's Input Black,
// Input White, Gamma, Output Black and Output White (the composite RGB and alpha
// settings are not applied); `mapped.alpha` is left empty.
void mapHistograms(PF_ParamDef* params[], const ChannelHistograms& histograms, ChannelHistograms& mapped);

// One entry of the mapping: the output bin of input bin j.
int mapLevel(int j, double inputBlack, double inputWhite, double gamma, double outputBlack, double outputWhite);

}  // namespace Ombrix::Levels
