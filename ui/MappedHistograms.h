// The RGB view's mapped histogram: the red, green and blue counts of the
// input's histogram pushed through the render's own 8-bit map of each channel
// (the render's own table, LevelsTables8 in render/LevelsTables.h), so the view shows the
// distribution the render makes.
//
// Deliberately, each channel is mapped by its own block alone, with the
// composite (RGB) block at its identity: the RGB view shows the three
// channels' own levels over the histogram, and the composite block is what
// its handles set. The clip flags apply as in the render.
#pragma once

#include "histogram/ChannelHistograms.h"
#include "host/ae_effect.h"
#include "render/LevelsSettings.h"

namespace Ombrix::Levels {

// The settings a channel's mapped counts are drawn with: the event's values of
// that channel's block (sanitised as for a render) and of the two clip flags;
// every other block at its identity.
SanitisedSettings channelOnlySettings(PF_ParamDef* params[], int channel);

// Maps each of red, green and blue through its own channel's map (above);
// `mapped.alpha` is left empty.
void mapHistograms(PF_ParamDef* params[], const ChannelHistograms& histograms, ChannelHistograms& mapped);

}  // namespace Ombrix::Levels
