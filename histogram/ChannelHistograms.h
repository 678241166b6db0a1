// Four 256-bin histograms of 8-bit channel values: red, green, blue, alpha.
#pragma once

#include <cstdint>
#include <vector>

namespace Ombrix::Levels {

struct ChannelHistograms {
    static constexpr int kBins = 256;

    std::vector<int32_t> red;
    std::vector<int32_t> green;
    std::vector<int32_t> blue;
    std::vector<int32_t> alpha;

    // Every array becomes 256 zero counts.
    void clear() {
        red.assign(kBins, 0);
        green.assign(kBins, 0);
        blue.assign(kBins, 0);
        alpha.assign(kBins, 0);
    }
};

}  // namespace Ombrix::Levels
