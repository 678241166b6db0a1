#include "render/LevelsSettings.h"

#include <cmath>

namespace Ombrix::Levels {

double sanitisedLevelValue(double value, double dephault) {
    if (std::isnan(value)) return dephault;
    if (value > kLevelValueLimit) return kLevelValueLimit;
    if (value < -kLevelValueLimit) return -kLevelValueLimit;
    if (std::fabs(value) < kLevelValueTiny) return 0.0;
    return value;
}

ChannelLevels sanitised(const ChannelLevels& levels) {
    const ChannelLevels defaults;
    ChannelLevels out;
    out.inputBlack = sanitisedLevelValue(levels.inputBlack, defaults.inputBlack);
    out.inputWhite = sanitisedLevelValue(levels.inputWhite, defaults.inputWhite);
    out.gamma = sanitisedLevelValue(levels.gamma, defaults.gamma);
    out.outputBlack = sanitisedLevelValue(levels.outputBlack, defaults.outputBlack);
    out.outputWhite = sanitisedLevelValue(levels.outputWhite, defaults.outputWhite);
    return out;
}

LevelsSettings sanitised(const LevelsSettings& settings) {
    LevelsSettings out = settings;
    out.composite = sanitised(settings.composite);
    out.red = sanitised(settings.red);
    out.green = sanitised(settings.green);
    out.blue = sanitised(settings.blue);
    out.alpha = sanitised(settings.alpha);
    return out;
}

}  // namespace Ombrix::Levels
