// The 27 levels settings that a frame is drawn with, in the order the
// parameters are read: the composite block, then red, green, blue and alpha,
// then the two clip flags. Values are kept as the host gives them (no
// clamping, no inversion of gamma); level values are in 8-bit code units.
#pragma once

namespace Ombrix::Levels {

struct ChannelLevels {
    double inputBlack = 0.0;
    double inputWhite = 255.0;
    double gamma = 1.0;
    double outputBlack = 0.0;
    double outputWhite = 255.0;
};

struct LevelsSettings {
    ChannelLevels composite;
    ChannelLevels red;
    ChannelLevels green;
    ChannelLevels blue;
    ChannelLevels alpha;
    bool clipBlack = true;
    bool clipWhite = true;
};

}  // namespace Ombrix::Levels
