// The input histogram of one frame, counted row by row: the grid points
// (HistogramGrid) whose layer pixel lies in one world of the layer's pixels,
// each channel value brought to its 8-bit bin. A renderer counts each row
// in the band that renders it, from the input row its kernel reads anyway
// (countRow into the band's own Bins, then add); the rows it does not render
// are counted by countRowsFrom. Whoever counts outside a render counts the
// whole world at once (countAll). Counting the same rows twice is the
// caller's mistake: nothing here tracks rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "histogram/ChannelHistograms.h"
#include "histogram/HistogramSampling.h"
#include "host/ae_effect.h"

namespace Ombrix::Levels {

class GridCounting {
public:
    // One thread's counts, zero to begin with: neighbouring points count into
    // kLanes separate sets (merged by add), so a run of equal values (an
    // opaque alpha) does not wait on its own last increment at every point.
    struct Bins {
        static constexpr int kLanes = 2;
        enum Channel { kAlpha, kRed, kGreen, kBlue };
        struct Lane {
            uint32_t channels[4][ChannelHistograms::kBins];
            // The next lane starts a cache line past 4 KB from this one: lanes
            // exactly 4 KB apart would make the same bin of two lanes look
            // like one address to the loads that follow a store.
            uint32_t pad[16];
        };
        Lane lanes[kLanes] = {};
    };

    // The points of `grid` in `part`, a world of `depth` holding the layer's
    // pixels from (left, top) of the layer on. A part without pixels (or
    // without data) holds no points.
    GridCounting(const HistogramGrid& grid, const PF_EffectWorld& part, PixelFormatCode depth, int left, int top);
    GridCounting(const GridCounting&) = delete;
    GridCounting& operator=(const GridCounting&) = delete;

    // The points the whole part holds.
    int points() const { return points_; }
    // Whether `world` is the part itself (its pixels, size and row distance).
    bool counts(const PF_EffectWorld& world) const;

    // Counts the points of the part's row y (its pixels start at `row`) into
    // `bins`; most rows hold none and cost a lookup. Any thread.
    void countRow(int y, const void* row, Bins& bins) const {
        if (y >= 0 && y < static_cast<int>(rowWeights_.size()) && rowWeights_[static_cast<size_t>(y)] != 0) {
            countGridRow(row, rowWeights_[static_cast<size_t>(y)], bins);
        }
    }
    // Adds a band's counts to the frame's. Any thread.
    void add(const Bins& bins);
    // Counts the part's rows from `first` on, on the calling thread.
    void countRowsFrom(int first);
    // Counts the whole part afresh: what was counted before is dropped.
    void countAll();

    // What was counted so far, and how many points that is.
    ChannelHistograms histograms() const;
    int pointsCounted() const;

private:
    void countGridRow(const void* row, int weight, Bins& bins) const;

    const char* base_ = nullptr;
    std::ptrdiff_t rowbytes_ = 0;
    int width_ = 0;
    int height_ = 0;
    PixelFormatCode depth_;
    std::vector<int> columns_;          // the part's column under each grid column inside it
    std::vector<uint16_t> rowWeights_;  // per part row: how many grid rows take it
    int points_ = 0;

    mutable std::mutex mutex_;
    uint32_t total_[4][ChannelHistograms::kBins] = {};  // by Bins::Channel
    long long pointsCounted_ = 0;
};

}  // namespace Ombrix::Levels
