#include "histogram/HistogramSampling.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace Ombrix::Levels {

HistogramGrid::HistogramGrid(int layerWidth, int layerHeight) {
    if (layerWidth <= 0 || layerHeight <= 0) return;
    scale_ = std::min(static_cast<double>(kMaxSide) / layerHeight, static_cast<double>(kMaxSide) / layerWidth);
    width_ = static_cast<int>(layerWidth * scale_);
    height_ = static_cast<int>(layerHeight * scale_);
}

int HistogramGrid::layerColumn(int x) const { return static_cast<int>(std::floor((x + 0.5) / scale_)); }
int HistogramGrid::layerRow(int y) const { return static_cast<int>(std::floor((y + 0.5) / scale_)); }

}  // namespace Ombrix::Levels
