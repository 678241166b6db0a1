#include "render/LevelsSettings.h"

#include <cmath>
#include <tuple>

namespace Ombrix::Levels {

bool operator==(const ChannelLevels& a, const ChannelLevels& b) {
    for (const LevelField& f : kLevelFields) {
        if (!(a.*f.member == b.*f.member)) return false;
    }
    return true;
}

bool operator==(const LevelsSettings& a, const LevelsSettings& b) {
    // Every field, named once: a field added to LevelsSettings and not here
    // does not compile.
    const auto fields = [](const LevelsSettings& s) {
        const auto& [composite, red, green, blue, alpha, clipBlack, clipWhite, view] = s;
        return std::tie(composite, red, green, blue, alpha, clipBlack, clipWhite, view);
    };
    return fields(a) == fields(b);
}

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
    for (const LevelField& f : kLevelFields) out.*f.member = sanitisedLevelValue(levels.*f.member, defaults.*f.member);
    return out;
}

LevelsSettings sanitised(const LevelsSettings& settings) {
    LevelsSettings out = settings;
    for (const auto block : kBlocks) out.*block = sanitised(settings.*block);
    return out;
}

}  // namespace Ombrix::Levels
