// Auto levels: input black and white from the histogram the editor shows.
//
// Of N samples and a clip of p percent, input black is the highest level with
// at most p/100 N samples below it, and input white the lowest level with at
// most p/100 N samples above it. In the RGB view the composite block takes them
// from the red, green and blue counts together; per channel (Shift in the RGB
// view, or the view of one channel) each of those blocks takes them from its
// own counts, taken through the current composite map first, as a channel
// block acts on the composite block's output (alpha: its own counts). A block
// whose samples lie all in one bin, or whose two levels would meet, is left as
// it is; gamma and the output levels are never changed.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "adjust/LevelChanges.h"
#include "histogram/ChannelHistograms.h"
#include "render/LevelsSettings.h"

namespace Ombrix::Levels {

struct AutoRange {
    int black;
    int white;
};

// The two levels of 256 counts; none where they are not two distinct levels.
std::optional<AutoRange> autoRange(const std::vector<int32_t>& counts, double clipPercent);

// The changes of auto levels for the editor's view: `channel` the channel
// popup's value, `perChannel` Shift held (used in the RGB view only).
std::vector<LevelChange> autoLevels(const ChannelHistograms& input, const SanitisedSettings& settings, int channel,
                                    bool perChannel, double clipPercent);

}  // namespace Ombrix::Levels
