// The levels a picked colour sets. The host's eyedropper samples the effect's
// output, so each picked channel is first taken back through its own block
// (BlockMap::inverse) to the level that enters that block: the composite
// block's output. Then
//   black point: each of the red, green and blue blocks' input black becomes
//                that level;
//   white point: their input white becomes it;
//   grey point:  each block's gamma is set so that the level comes out at the
//                mean of the three blocks' present outputs of their levels,
//                gammas held within kPickGammaMin..kGammaMax.
// A channel is left as it is where its block gives one value for every
// input, where the new input black would equal its input white (or the new
// white its black), and, for the grey point, where no gamma can move its value
// (at or beyond either end of the input range, or a mean at or beyond either
// end of the output range). A colour with a channel that is not finite sets
// nothing.
#pragma once

#include <vector>

#include "adjust/LevelChanges.h"
#include "render/LevelsSettings.h"

namespace Ombrix::Levels {

enum class Pick { Black, Grey, White };

// The smallest gamma a grey pick sets: the gamma slider's 0 is a step, not a curve.
constexpr double kPickGammaMin = 0.01;

// `picked`: red, green and blue in 0..255 level units (a float colour's
// channels times 255; may lie outside 0..255).
std::vector<LevelChange> levelsForPick(Pick pick, const SanitisedSettings& settings, const double picked[3]);

}  // namespace Ombrix::Levels
