#include "histogram/HistogramSampling.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "histogram/GridCounting.h"

namespace Ombrix::Levels {

HistogramGrid::HistogramGrid(int layerWidth, int layerHeight) {
    if (layerWidth <= 0 || layerHeight <= 0) return;
    scale_ = std::min(static_cast<double>(kMaxSide) / layerHeight, static_cast<double>(kMaxSide) / layerWidth);
    width_ = static_cast<int>(layerWidth * scale_);
    height_ = static_cast<int>(layerHeight * scale_);
}

int HistogramGrid::layerColumn(int x) const { return static_cast<int>(std::floor((x + 0.5) / scale_)); }
int HistogramGrid::layerRow(int y) const { return static_cast<int>(std::floor((y + 0.5) / scale_)); }

int HistogramGrid::pointsWithin(int left, int top, int right, int bottom) const {
    int columns = 0;
    for (int x = 0; x < width_; ++x) {
        const int column = layerColumn(x);
        if (column >= left && column < right) ++columns;
    }
    int rows = 0;
    for (int y = 0; y < height_; ++y) {
        const int row = layerRow(y);
        if (row >= top && row < bottom) ++rows;
    }
    return columns * rows;
}

int countLayerHistogram(const HistogramGrid& grid, const PF_EffectWorld& part, PixelFormatCode depth, int left,
                        int top, ChannelHistograms& histograms) {
    GridCounting counting(grid, part, depth, left, top);
    counting.countAll();
    histograms = counting.histograms();
    return counting.pointsCounted();
}

}  // namespace Ombrix::Levels
