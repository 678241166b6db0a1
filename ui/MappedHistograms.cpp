#include "ui/MappedHistograms.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#include "params/ParamIndices.h"
#include "render/LevelsSettingsReader.h"
#include "render/LevelsTables.h"

namespace Ombrix::Levels {
namespace {

void mapThrough(const uint8_t (&table)[256], const std::vector<int32_t>& in, std::vector<int32_t>& out) {
    out.assign(in.size(), 0);
    for (size_t j = 0; j < in.size() && j < 256; ++j) out[table[j]] += in[j];
}

}  // namespace

SanitisedSettings channelOnlySettings(PF_ParamDef* params[], int channel) {
    LevelsSettings settings;
    const int block = blockOfChannel(channel);
    if (block >= kBlockRed && block <= kBlockBlue) settings.*kBlocks[block] = eventLevels(params, block);
    for (const ClipField& clip : kClipFields) settings.*clip.member = params[clip.param]->u.bd.value != 0;
    return settings;
}

void mapHistograms(PF_ParamDef* params[], const ChannelHistograms& histograms, ChannelHistograms& mapped) {
    mapThrough(LevelsTables8(channelOnlySettings(params, kChannelRed)).red, histograms.red, mapped.red);
    mapThrough(LevelsTables8(channelOnlySettings(params, kChannelGreen)).green, histograms.green, mapped.green);
    mapThrough(LevelsTables8(channelOnlySettings(params, kChannelBlue)).blue, histograms.blue, mapped.blue);
    mapped.alpha.clear();
}

}  // namespace Ombrix::Levels
