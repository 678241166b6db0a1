#include "adjust/BlockMap.h"

#include <algorithm>
#include <cmath>

#include "render/LevelsTables.h"

namespace Ombrix::Levels {

double BlockMap::normalised(double x) const { return inputPlace(x, mapValuesOf(levels, clipBlack, clipWhite)); }

double BlockMap::operator()(double x) const { return unheldMapLevel(x, mapValuesOf(levels, clipBlack, clipWhite)); }

std::optional<double> BlockMap::inverse(double y) const {
    const double range = levels.outputWhite - levels.outputBlack;
    if (range == 0.0 || !std::isfinite(y)) return std::nullopt;
    double v = (y - levels.outputBlack) / range;
    const double g = levels.gamma;
    if (g != 1.0 && v > 0.0) v = g > 0.0 ? std::pow(v, g) : 1.0;  // a step: 1 is all it gives above 0
    // The values the clip flags let through; beyond them, the clipped end.
    const bool rising = levels.outputWhite > levels.outputBlack;
    double lo = -HUGE_VAL, hi = HUGE_VAL;
    if (clipBlack) (rising ? lo : hi) = rising ? 0.0 : 1.0;
    if (clipWhite) (rising ? hi : lo) = rising ? 1.0 : 0.0;
    v = std::min(std::max(v, lo), hi);
    if (!std::isfinite(v)) return std::nullopt;
    const double span = levels.inputWhite - levels.inputBlack;
    const double x = span != 0.0 ? levels.inputBlack + v * span : levels.inputBlack + v;
    if (!std::isfinite(x)) return std::nullopt;
    return x;
}

BlockMap blockMap(const LevelsSettings& s, int block) {
    return BlockMap{s.*kBlocks[block], s.clipBlack, s.clipWhite};
}

}  // namespace Ombrix::Levels
