#include "ui/MappedHistograms.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#include "params/ParamIndices.h"
#include "render/cpu/CpuLevelsRenderer.h"

namespace Ombrix::Levels {
namespace {

ChannelLevels blockOf(PF_ParamDef* params[], int channel) {
    const auto value = [params, channel](LevelSlot slot) { return params[levelParam(channel, slot)]->u.fs_d.value; };
    ChannelLevels levels;
    levels.inputBlack = value(kSlotInputBlack);
    levels.inputWhite = value(kSlotInputWhite);
    levels.gamma = value(kSlotGamma);
    levels.outputBlack = value(kSlotOutputBlack);
    levels.outputWhite = value(kSlotOutputWhite);
    return levels;
}

void mapThrough(const uint8_t (&table)[256], const std::vector<int32_t>& in, std::vector<int32_t>& out) {
    out.assign(in.size(), 0);
    for (size_t j = 0; j < in.size() && j < 256; ++j) out[table[j]] += in[j];
}

}  // namespace

SanitisedSettings channelOnlySettings(PF_ParamDef* params[], int channel) {
    LevelsSettings settings;
    switch (channel) {
        case kChannelRed: settings.red = blockOf(params, channel); break;
        case kChannelGreen: settings.green = blockOf(params, channel); break;
        case kChannelBlue: settings.blue = blockOf(params, channel); break;
        default: break;
    }
    settings.clipBlack = params[kParamClipBlack]->u.bd.value != 0;
    settings.clipWhite = params[kParamClipWhite]->u.bd.value != 0;
    return settings;
}

void mapHistograms(PF_ParamDef* params[], const ChannelHistograms& histograms, ChannelHistograms& mapped) {
    mapThrough(LevelsTables8(channelOnlySettings(params, kChannelRed)).red, histograms.red, mapped.red);
    mapThrough(LevelsTables8(channelOnlySettings(params, kChannelGreen)).green, histograms.green, mapped.green);
    mapThrough(LevelsTables8(channelOnlySettings(params, kChannelBlue)).blue, histograms.blue, mapped.blue);
    mapped.alpha.clear();
}

}  // namespace Ombrix::Levels
