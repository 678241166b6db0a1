#include "histogram/FrameHistogram.h"

#include <utility>

namespace Ombrix::Levels {

FrameHistogram::FrameHistogram(const PF_InData* in_data, int layerWidth, int layerHeight)
    : key_(histogramKeyFor(in_data)), grid_(layerWidth, layerHeight) {}

GridCounting* FrameHistogram::plan(const PF_EffectWorld& input, PixelFormatCode depth, int left, int top) {
    counting_.reset();
    if (!key_) return nullptr;
    auto counting = std::make_unique<GridCounting>(grid_, input, depth, left, top);
    if (counting->points() == 0 && grid_.points() > 0) return nullptr;  // a part between the grid's points
    if (!histogramCache().wants(*key_, counting->points())) return nullptr;
    counting_ = std::move(counting);
    return counting_.get();
}

void FrameHistogram::publish() {
    if (!key_ || !counting_) return;
    // A render that counted nothing wrote nothing over its input (see render()).
    if (counting_->pointsCounted() != counting_->points()) counting_->countAll();
    CachedHistogram histogram;
    histogram.gridPoints = grid_.points();
    histogram.pointsCounted = counting_->pointsCounted();
    histogram.counts = counting_->histograms();
    histogramCache().store(*key_, std::move(histogram));
    counting_.reset();
}

}  // namespace Ombrix::Levels
