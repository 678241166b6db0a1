#include "adjust/PickedLevels.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "adjust/BlockMap.h"
#include "params/ParamIndices.h"

namespace Ombrix::Levels {

std::vector<LevelChange> levelsForPick(Pick pick, const SanitisedSettings& settings, const double picked[3]) {
    std::vector<LevelChange> changes;
    for (int c = 0; c < 3; ++c) {
        if (!std::isfinite(picked[c])) return changes;
    }
    const LevelsSettings& s = settings.values();
    BlockMap maps[3];
    std::optional<double> entering[3];
    for (int c = 0; c < 3; ++c) {
        maps[c] = blockMap(s, c + 1);
        entering[c] = maps[c].inverse(picked[c]);
    }
    if (pick != Pick::Grey) {
        for (int c = 0; c < 3; ++c) {
            if (!entering[c]) continue;
            const double level = std::min(std::max(*entering[c], -kLevelValidMax), kLevelValidMax);
            const ChannelLevels& block = maps[c].levels;
            if (level == (pick == Pick::Black ? block.inputWhite : block.inputBlack)) continue;
            changes.push_back({blockStart(c + 1) + (pick == Pick::Black ? kSlotInputBlack : kSlotInputWhite), level});
        }
        return changes;
    }
    double sum = 0.0;
    for (int c = 0; c < 3; ++c) sum += entering[c] ? maps[c](*entering[c]) : maps[c].levels.outputBlack;
    const double target = sum / 3.0;
    for (int c = 0; c < 3; ++c) {
        if (!entering[c]) continue;
        const ChannelLevels& block = maps[c].levels;
        const double v = maps[c].normalised(*entering[c]);
        const double w = (target - block.outputBlack) / (block.outputWhite - block.outputBlack);
        if (!(v > 0.0 && v < 1.0 && w > 0.0 && w < 1.0)) continue;
        const double gamma = std::min(std::max(std::log(v) / std::log(w), kPickGammaMin), kGammaMax);
        changes.push_back({blockStart(c + 1) + kSlotGamma, gamma});
    }
    return changes;
}

}  // namespace Ombrix::Levels
