#include "render/FrameHistogram.h"

#include <utility>

namespace Ombrix::Levels {

FrameHistogram::FrameHistogram(const PF_InData* in_data, int layerWidth, int layerHeight)
    : key_(histogramKeyFor(in_data)), grid_(layerWidth, layerHeight) {}

void FrameHistogram::count(const PF_EffectWorld& input, PixelFormatCode depth, int left, int top) {
    if (!key_) return;
    const int points = grid_.pointsWithin(left, top, left + input.width, top + input.height);
    if (points == 0 && grid_.points() > 0) return;  // a part between the grid's points: nothing to show
    if (!histogramCache().wants(*key_, points)) return;
    CachedHistogram histogram;
    histogram.gridPoints = grid_.points();
    histogram.pointsCounted = countLayerHistogram(grid_, input, depth, left, top, histogram.counts);
    counted_ = std::move(histogram);
}

void FrameHistogram::publish() {
    if (!key_ || !counted_) return;
    histogramCache().store(*key_, std::move(*counted_));
    counted_.reset();
}

}  // namespace Ombrix::Levels
