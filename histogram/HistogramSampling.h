// Where the histogram editor's counts come from: the input layer
// point-sampled on a grid of at most 256 x 256 points, each channel value
// brought to 8 bits and counted in 256 bins. The render threads count it
// while they have the pixels (FrameHistogram.h); the editor only draws it.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "histogram/ChannelHistograms.h"
#include "host/ae_effect.h"
#include "host/PixelFormatCode.h"

namespace Ombrix::Levels {

// The sampling grid of a width x height layer. The layer is scaled to fit
// 256 x 256 keeping its proportions (s = min(256 / height, 256 / width); small
// layers are enlarged); the grid is trunc(width x s) x trunc(height x s), so a
// 1920 x 1080 layer gives 256 x 144 and a 300 x 1 layer 256 x 0 (no points).
// Grid point (x, y) takes the layer pixel under its centre:
// (floor((x + 0.5) / s), floor((y + 0.5) / s)).
class HistogramGrid {
public:
    static constexpr int kMaxSide = 256;  // the grid fits within kMaxSide x kMaxSide

    HistogramGrid() = default;
    HistogramGrid(int layerWidth, int layerHeight);

    int width() const { return width_; }
    int height() const { return height_; }
    int points() const { return width_ * height_; }
    int layerColumn(int x) const;
    int layerRow(int y) const;

private:
    int width_ = 0;
    int height_ = 0;
    double scale_ = 0.0;
};

// 8-bit bins of deeper channel values: 16-bit codes 0..32768 (above: white)
// and float values 0..1 (NaN and below: 0; 1 and above: 255), rounded to the
// nearest of 255 steps.
inline uint8_t histogramBin16(A_u_short code) {
    // Codes run 0..32768 (larger ones are taken as white); the bin is the code
    // scaled to 0..255, rounded half up by adding half the divisor first.
    constexpr unsigned kWhite = 32768u;
    return static_cast<uint8_t>((std::min<unsigned>(code, kWhite) * 255u + kWhite / 2) / kWhite);
}

inline uint8_t histogramBinFloat(PF_FpShort value) {
    if (!(value > 0.0f)) return 0;  // NaN and everything at or below 0
    if (value >= 1.0f) return 255;
    return static_cast<uint8_t>(std::lrint(value * 255.0f));
}

}  // namespace Ombrix::Levels
