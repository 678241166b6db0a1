#include "render/HistogramSampling.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

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

uint8_t histogramBin16(A_u_short code) {
    // Codes run 0..32768 (larger ones are taken as white); the bin is the code
    // scaled to 0..255, rounded half up by adding half the divisor first.
    constexpr unsigned kWhite = 32768u;
    return static_cast<uint8_t>((std::min<unsigned>(code, kWhite) * 255u + kWhite / 2) / kWhite);
}

uint8_t histogramBinFloat(PF_FpShort value) {
    if (!(value > 0.0f)) return 0;  // NaN and everything at or below 0
    if (value >= 1.0f) return 255;
    return static_cast<uint8_t>(std::lrint(value * 255.0f));
}

namespace {

void countPixel(const PF_Pixel8& p, ChannelHistograms& h) {
    ++h.alpha[p.alpha];
    ++h.red[p.red];
    ++h.green[p.green];
    ++h.blue[p.blue];
}

}  // namespace

int countLayerHistogram(const HistogramGrid& grid, const PF_EffectWorld& part, PixelFormatCode depth, int left,
                        int top, ChannelHistograms& histograms) {
    histograms.clear();
    if (!part.data || part.width <= 0 || part.height <= 0) return 0;
    // The part's columns and rows that grid points take, found once.
    std::vector<std::ptrdiff_t> columns;
    columns.reserve(static_cast<size_t>(grid.width()));
    for (int x = 0; x < grid.width(); ++x) {
        const int column = grid.layerColumn(x) - left;
        if (column >= 0 && column < part.width) columns.push_back(column);
    }
    if (columns.empty()) return 0;
    const auto* base = reinterpret_cast<const char*>(part.data);
    int counted = 0;
    for (int y = 0; y < grid.height(); ++y) {
        const int row = grid.layerRow(y) - top;
        if (row < 0 || row >= part.height) continue;
        const char* pixels = base + static_cast<std::ptrdiff_t>(row) * part.rowbytes;
        switch (depth) {
            case kPixelFormat8:
                for (const std::ptrdiff_t column : columns) {
                    countPixel(reinterpret_cast<const PF_Pixel8*>(pixels)[column], histograms);
                }
                break;
            case kPixelFormat16:
                for (const std::ptrdiff_t column : columns) {
                    const PF_Pixel16& q = reinterpret_cast<const PF_Pixel16*>(pixels)[column];
                    countPixel(PF_Pixel8{histogramBin16(q.alpha), histogramBin16(q.red), histogramBin16(q.green),
                                         histogramBin16(q.blue)},
                               histograms);
                }
                break;
            case kPixelFormat32:
                for (const std::ptrdiff_t column : columns) {
                    const PF_PixelFloat& q = reinterpret_cast<const PF_PixelFloat*>(pixels)[column];
                    countPixel(PF_Pixel8{histogramBinFloat(q.alpha), histogramBinFloat(q.red),
                                         histogramBinFloat(q.green), histogramBinFloat(q.blue)},
                               histograms);
                }
                break;
        }
        counted += static_cast<int>(columns.size());
    }
    return counted;
}

}  // namespace Ombrix::Levels
