// The input histogram of one render, counted before the frame is drawn (the
// output may be the input) and handed to the histogram cache once the frame
// has rendered. A render that fails leaves no entry; a render whose key the
// cache already holds with as many points counts nothing.
//
//   FrameHistogram histogram(in_data, layerWidth, layerHeight);
//   histogram.count(input, depth, inputLeft, inputTop);
//   ... render ...
//   histogram.publish();
//
// Asking for the key is the only host call, and it happens in the
// constructor, before the cache's lock is ever taken.
#pragma once

#include <optional>

#include "host/ae_effect.h"
#include "render/HistogramCache.h"
#include "render/HistogramSampling.h"

namespace Ombrix::Levels {

class FrameHistogram {
public:
    // The layer is layerWidth x layerHeight (a layer without pixels gives an
    // empty histogram); without a key (the host cannot say what the layer
    // shows) nothing is counted or kept.
    FrameHistogram(const PF_InData* in_data, int layerWidth, int layerHeight);
    FrameHistogram(const FrameHistogram&) = delete;
    FrameHistogram& operator=(const FrameHistogram&) = delete;

    // Counts `input`, which holds the layer's pixels from (left, top) on.
    void count(const PF_EffectWorld& input, PixelFormatCode depth, int left = 0, int top = 0);
    // Keeps what count() counted in the process's cache.
    void publish();

private:
    std::optional<HistogramKey> key_;
    HistogramGrid grid_;
    std::optional<CachedHistogram> counted_;
};

}  // namespace Ombrix::Levels
