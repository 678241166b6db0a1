#include "render/GridCounting.h"

#include <algorithm>

namespace Ombrix::Levels {

GridCounting::GridCounting(const HistogramGrid& grid, const PF_EffectWorld& part, PixelFormatCode depth, int left,
                           int top)
    : depth_(depth) {
    if (!part.data || part.width <= 0 || part.height <= 0) return;
    base_ = reinterpret_cast<const char*>(part.data);
    rowbytes_ = part.rowbytes;
    width_ = part.width;
    height_ = part.height;
    for (int x = 0; x < grid.width(); ++x) {
        const int column = grid.layerColumn(x) - left;
        if (column >= 0 && column < part.width) columns_.push_back(column);
    }
    rowWeights_.assign(static_cast<size_t>(part.height), 0);
    int rows = 0;
    for (int y = 0; y < grid.height(); ++y) {
        const int row = grid.layerRow(y) - top;
        if (row < 0 || row >= part.height) continue;
        ++rowWeights_[static_cast<size_t>(row)];  // at most 256 grid rows in all
        ++rows;
    }
    points_ = rows * static_cast<int>(columns_.size());
}

bool GridCounting::counts(const PF_EffectWorld& world) const {
    return base_ && reinterpret_cast<const char*>(world.data) == base_ && world.rowbytes == rowbytes_ &&
           world.width == width_ && world.height == height_;
}

void GridCounting::countGridRow(const void* row, int weight, Bins& bins) const {
    const auto bin = [&bins, weight](uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
        bins.alpha[a] += static_cast<uint32_t>(weight);
        bins.red[r] += static_cast<uint32_t>(weight);
        bins.green[g] += static_cast<uint32_t>(weight);
        bins.blue[b] += static_cast<uint32_t>(weight);
    };
    switch (depth_) {
        case kPixelFormat8:
            for (const int column : columns_) {
                const PF_Pixel8& p = static_cast<const PF_Pixel8*>(row)[column];
                bin(p.alpha, p.red, p.green, p.blue);
            }
            break;
        case kPixelFormat16:
            for (const int column : columns_) {
                const PF_Pixel16& p = static_cast<const PF_Pixel16*>(row)[column];
                bin(histogramBin16(p.alpha), histogramBin16(p.red), histogramBin16(p.green), histogramBin16(p.blue));
            }
            break;
        case kPixelFormat32:
            for (const int column : columns_) {
                const PF_PixelFloat& p = static_cast<const PF_PixelFloat*>(row)[column];
                bin(histogramBinFloat(p.alpha), histogramBinFloat(p.red), histogramBinFloat(p.green),
                    histogramBinFloat(p.blue));
            }
            break;
    }
}

void GridCounting::add(const Bins& bins) {
    long long points = 0;
    for (const uint32_t n : bins.alpha) points += n;  // every point counts once in each channel
    std::lock_guard<std::mutex> lock(mutex_);
    for (int k = 0; k < ChannelHistograms::kBins; ++k) {
        total_.alpha[k] += bins.alpha[k];
        total_.red[k] += bins.red[k];
        total_.green[k] += bins.green[k];
        total_.blue[k] += bins.blue[k];
    }
    pointsCounted_ += points;
}

void GridCounting::countRowsFrom(int first) {
    Bins bins;
    for (int y = std::max(first, 0); y < height_; ++y) countRow(y, base_ + static_cast<std::ptrdiff_t>(y) * rowbytes_, bins);
    add(bins);
}

void GridCounting::countAll() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        total_ = Bins();
        pointsCounted_ = 0;
    }
    countRowsFrom(0);
}

ChannelHistograms GridCounting::histograms() const {
    ChannelHistograms out;
    out.clear();
    std::lock_guard<std::mutex> lock(mutex_);
    for (int k = 0; k < ChannelHistograms::kBins; ++k) {
        out.alpha[static_cast<size_t>(k)] = static_cast<int32_t>(total_.alpha[k]);
        out.red[static_cast<size_t>(k)] = static_cast<int32_t>(total_.red[k]);
        out.green[static_cast<size_t>(k)] = static_cast<int32_t>(total_.green[k]);
        out.blue[static_cast<size_t>(k)] = static_cast<int32_t>(total_.blue[k]);
    }
    return out;
}

int GridCounting::pointsCounted() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(pointsCounted_);
}

}  // namespace Ombrix::Levels
