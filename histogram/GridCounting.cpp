#include "histogram/GridCounting.h"

#include <algorithm>
#include <cstring>

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

namespace {

using Set = uint32_t[4][ChannelHistograms::kBins];

// Counts the points at `columns` of one row into `bins`, two points at a
// time, one lane each; binsOf(pixels, column, a, r, g, b) gives a point's bins.
template <typename BinsOf>
void countColumns(const char* pixels, const std::vector<int>& columns, uint32_t weight, GridCounting::Bins& bins,
                  const BinsOf& binsOf) {
    static_assert(GridCounting::Bins::kLanes == 2, "two points at a time");
    Set& first = bins.lanes[0].channels;
    Set& second = bins.lanes[1].channels;
    const auto one = [pixels, weight, &binsOf](Set& set, int column) {
        unsigned a, r, g, b;
        binsOf(pixels, column, a, r, g, b);
        set[GridCounting::Bins::kAlpha][a] += weight;
        set[GridCounting::Bins::kRed][r] += weight;
        set[GridCounting::Bins::kGreen][g] += weight;
        set[GridCounting::Bins::kBlue][b] += weight;
    };
    const int* at = columns.data();
    const size_t n = columns.size();
    size_t k = 0;
    for (; k + 2 <= n; k += 2) {
        one(first, at[k]);
        one(second, at[k + 1]);
    }
    if (k < n) one(first, at[k]);
}

// 8-bit pixels: one load a point, the channels taken from the word (alpha,
// red, green, blue from the low byte up).
struct Bins8 {
    void operator()(const char* pixels, int column, unsigned& a, unsigned& r, unsigned& g, unsigned& b) const {
        uint32_t v;
        std::memcpy(&v, pixels + static_cast<std::ptrdiff_t>(column) * 4, 4);
        a = v & 0xFF;
        r = (v >> 8) & 0xFF;
        g = (v >> 16) & 0xFF;
        b = v >> 24;
    }
};

struct Bins16 {
    void operator()(const char* pixels, int column, unsigned& a, unsigned& r, unsigned& g, unsigned& b) const {
        const PF_Pixel16& p = reinterpret_cast<const PF_Pixel16*>(pixels)[column];
        a = histogramBin16(p.alpha), r = histogramBin16(p.red), g = histogramBin16(p.green), b = histogramBin16(p.blue);
    }
};

struct BinsFloat {
    void operator()(const char* pixels, int column, unsigned& a, unsigned& r, unsigned& g, unsigned& b) const {
        const PF_PixelFloat& p = reinterpret_cast<const PF_PixelFloat*>(pixels)[column];
        a = histogramBinFloat(p.alpha), r = histogramBinFloat(p.red), g = histogramBinFloat(p.green),
        b = histogramBinFloat(p.blue);
    }
};

}  // namespace

void GridCounting::countGridRow(const void* row, int weight, Bins& bins) const {
    const auto* pixels = static_cast<const char*>(row);
    const auto w = static_cast<uint32_t>(weight);
    switch (depth_) {
        case kPixelFormat8:
            countColumns(pixels, columns_, w, bins, Bins8());
            break;
        case kPixelFormat16:
            countColumns(pixels, columns_, w, bins, Bins16());
            break;
        case kPixelFormat32:
            countColumns(pixels, columns_, w, bins, BinsFloat());
            break;
    }
}

void GridCounting::add(const Bins& bins) {
    long long points = 0;
    Bins::Channel channels[] = {Bins::kAlpha, Bins::kRed, Bins::kGreen, Bins::kBlue};
    std::lock_guard<std::mutex> lock(mutex_);
    for (int lane = 0; lane < Bins::kLanes; ++lane) {
        for (const Bins::Channel c : channels) {
            for (int k = 0; k < ChannelHistograms::kBins; ++k) total_[c][k] += bins.lanes[lane].channels[c][k];
        }
        for (const uint32_t n : bins.lanes[lane].channels[Bins::kAlpha])
            points += n;  // a point counts once per channel
    }
    pointsCounted_ += points;
}

void GridCounting::countRowsFrom(int first) {
    Bins bins;
    for (int y = std::max(first, 0); y < height_; ++y)
        countRow(y, base_ + static_cast<std::ptrdiff_t>(y) * rowbytes_, bins);
    add(bins);
}

void GridCounting::countAll() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::memset(total_, 0, sizeof(total_));
        pointsCounted_ = 0;
    }
    countRowsFrom(0);
}

ChannelHistograms GridCounting::histograms() const {
    ChannelHistograms out;
    out.clear();
    std::lock_guard<std::mutex> lock(mutex_);
    const auto& set = total_;
    for (size_t k = 0; k < static_cast<size_t>(ChannelHistograms::kBins); ++k) {
        out.alpha[k] = static_cast<int32_t>(set[Bins::kAlpha][k]);
        out.red[k] = static_cast<int32_t>(set[Bins::kRed][k]);
        out.green[k] = static_cast<int32_t>(set[Bins::kGreen][k]);
        out.blue[k] = static_cast<int32_t>(set[Bins::kBlue][k]);
    }
    return out;
}

int GridCounting::pointsCounted() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(pointsCounted_);
}

}  // namespace Ombrix::Levels
