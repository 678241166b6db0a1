#include "adjust/BlockMap.h"

#include <algorithm>
#include <cmath>

namespace Ombrix::Levels {

double BlockMap::normalised(double x) const {
    const double span = levels.inputWhite - levels.inputBlack;
    double v = span != 0.0 ? (x - levels.inputBlack) / span : x - levels.inputBlack;
    const bool rising = levels.outputWhite > levels.outputBlack;
    if (clipBlack) v = rising ? std::max(v, 0.0) : std::min(v, 1.0);
    if (clipWhite) v = rising ? std::min(v, 1.0) : std::max(v, 0.0);
    return v;
}

double BlockMap::operator()(double x) const {
    double v = normalised(x);
    const double g = levels.gamma;
    if (g != 1.0 && v > 0.0) v = g > 0.0 ? std::pow(v, 1.0 / g) : (v < 1.0 ? 0.0 : (v > 1.0 ? HUGE_VAL : 1.0));
    const double range = levels.outputWhite - levels.outputBlack;
    return range != 0.0 ? v * range + levels.outputBlack : levels.outputBlack;
}

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
    const ChannelLevels* blocks[] = {&s.composite, &s.red, &s.green, &s.blue, &s.alpha};
    return BlockMap{*blocks[block], s.clipBlack, s.clipWhite};
}

}  // namespace Ombrix::Levels
