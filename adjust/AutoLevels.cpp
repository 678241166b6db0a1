#include "adjust/AutoLevels.h"

#include <algorithm>
#include <cmath>

#include "params/LevelParameters.h"
#include "params/ParamIndices.h"
#include "render/LevelsTables.h"

namespace Ombrix::Levels {
namespace {

constexpr int kBins = ChannelHistograms::kBins;

// The counts taken through a channel's 8-bit table.
std::vector<int32_t> through(const uint8_t table[256], const std::vector<int32_t>& counts) {
    std::vector<int32_t> out(kBins, 0);
    for (int k = 0; k < kBins && k < static_cast<int>(counts.size()); ++k) out[table[k]] += counts[k];
    return out;
}

void addRange(std::vector<LevelChange>& changes, int block, const std::vector<int32_t>& counts, double clipPercent) {
    const std::optional<AutoRange> range = autoRange(counts, clipPercent);
    if (!range) return;
    changes.push_back({blockStart(block) + kSlotInputBlack, static_cast<double>(range->black)});
    changes.push_back({blockStart(block) + kSlotInputWhite, static_cast<double>(range->white)});
}

}  // namespace

std::optional<AutoRange> autoRange(const std::vector<int32_t>& counts, double clipPercent) {
    if (counts.size() < static_cast<size_t>(kBins)) return std::nullopt;
    double total = 0.0;
    int occupied = 0;
    for (int k = 0; k < kBins; ++k) {
        total += std::max(counts[k], 0);
        if (counts[k] > 0) ++occupied;
    }
    if (occupied < 2) return std::nullopt;  // nothing, or all in one bin
    const double percent = std::isfinite(clipPercent) ? std::min(std::max(clipPercent, kAutoClipRange.validMin),
                                                                 kAutoClipRange.validMax)
                                                      : kAutoClipDefault;
    const double allowed = percent / 100.0 * total;
    // Black: the highest level with at most `allowed` samples below it.
    int black = 0;
    double below = 0.0;
    for (int k = 0; k < kBins; ++k) {
        if (below <= allowed) black = k;
        below += std::max(counts[k], 0);
    }
    // White: the lowest level with at most `allowed` samples above it.
    int white = kBins - 1;
    double above = 0.0;
    for (int k = kBins - 1; k >= 0; --k) {
        if (above <= allowed) white = k;
        above += std::max(counts[k], 0);
    }
    if (black >= white) return std::nullopt;
    return AutoRange{black, white};
}

std::vector<LevelChange> autoLevels(const ChannelHistograms& input, const SanitisedSettings& settings, int channel,
                                    bool perChannel, double clipPercent) {
    std::vector<LevelChange> changes;
    if (input.red.size() < kBins || input.green.size() < kBins || input.blue.size() < kBins) return changes;
    if (channel == kChannelAlpha) {
        if (input.alpha.size() >= static_cast<size_t>(kBins)) addRange(changes, kBlockAlpha, input.alpha, clipPercent);
        return changes;
    }
    if (channel == kChannelRGB && !perChannel) {
        std::vector<int32_t> together(kBins, 0);
        for (int k = 0; k < kBins; ++k) together[k] = input.red[k] + input.green[k] + input.blue[k];
        addRange(changes, kBlockComposite, together, clipPercent);
        return changes;
    }
    // Each channel block acts on the composite block's output.
    LevelsSettings compositeOnly;
    compositeOnly.composite = settings.values().composite;
    compositeOnly.clipBlack = settings.values().clipBlack;
    compositeOnly.clipWhite = settings.values().clipWhite;
    const LevelsTables8 composite{SanitisedSettings(compositeOnly)};
    const std::vector<int32_t>* counts[] = {&input.red, &input.green, &input.blue};
    for (int c = 0; c < 3; ++c) {
        if (channel != kChannelRGB && channel != kChannelRed + c) continue;
        addRange(changes, kBlockRed + c, through(composite.red, *counts[c]), clipPercent);
    }
    return changes;
}

}  // namespace Ombrix::Levels
