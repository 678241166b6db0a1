#include "ui/HistogramCounting.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "params/ParamIndices.h"

namespace Ombrix::Levels {
namespace {

// Truncation toward zero into a signed 32-bit integer; a value that is not
// finite or does not fit becomes the lowest 32-bit integer.
int32_t truncate32(double v) {
    if (!std::isfinite(v)) return std::numeric_limits<int32_t>::min();
    const double t = std::trunc(v);
    if (t < -2147483648.0 || t > 2147483647.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(t);
}

int32_t clampByte(int32_t v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

}  // namespace

int mapLevel(int j, double inputBlack, double inputWhite, double gamma, double outputBlack, double outputWhite) {
    const int32_t t = clampByte(truncate32((j - inputBlack) / (inputWhite - inputBlack) * 255.0));
    const double u = std::pow(t / 255.0, 1.0 / gamma);
    const int32_t v = truncate32(u * 255.0);
    return clampByte(truncate32(v / 255.0 * (outputWhite - outputBlack) + outputBlack));
}

void mapHistograms(PF_ParamDef* params[], const ChannelHistograms& histograms, ChannelHistograms& mapped) {
    const auto mapOne = [params](int channel, const std::vector<int32_t>& in, std::vector<int32_t>& out) {
        const auto value = [params, channel](LevelSlot slot) { return params[levelParam(channel, slot)]->u.fs_d.value; };
        const double B = value(kSlotInputBlack);
        const double Wi = value(kSlotInputWhite);
        const double G = value(kSlotGamma);
        const double OB = value(kSlotOutputBlack);
        const double OW = value(kSlotOutputWhite);
        out.assign(in.size(), 0);
        for (size_t j = 0; j < in.size(); ++j) {
            const size_t w = static_cast<size_t>(mapLevel(static_cast<int>(j), B, Wi, G, OB, OW));
            if (w < out.size()) out[w] += in[j];
        }
    };
    mapOne(kChannelRed, histograms.red, mapped.red);
    mapOne(kChannelGreen, histograms.green, mapped.green);
    mapOne(kChannelBlue, histograms.blue, mapped.blue);
    mapped.alpha.clear();
}

}  // namespace Ombrix::Levels
