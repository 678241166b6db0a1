// One block's map of a level (0..255 units) in double precision, as the
// renderers take it (render/LevelsTables.h) but without the final hold to the
// picture's range, and its inverse: the level that enters the block for a
// level it gives.
#pragma once

#include <optional>

#include "render/LevelsSettings.h"

namespace Ombrix::Levels {

struct BlockMap {
    ChannelLevels levels;
    bool clipBlack = kClipDefault;
    bool clipWhite = kClipDefault;

    // The input range's place of x (0 at input black, 1 at input white),
    // held by the clip flags: what the gamma acts on.
    double normalised(double x) const;
    // The map of x.
    double operator()(double x) const;
    // A level x with map(x) == y, where the map is invertible there. A value
    // beyond a clipped end gives that end's input level (input black or
    // white); a value the map cannot give the nearest level it gives. None
    // when the map gives one value for every input (equal output levels).
    std::optional<double> inverse(double y) const;
};

// The map of block `block` (LevelsBlock).
BlockMap blockMap(const LevelsSettings& settings, int block);

}  // namespace Ombrix::Levels
