// The input histogram of one render, counted from the input before or while
// the frame is drawn (the output may be the input) and handed to the
// histogram cache only when the render succeeds. A render whose key the cache
// already holds with as many points counts nothing.
//
//   FrameHistogram histogram(in_data, layerWidth, layerHeight);
//   return histogram.render(input, depth, left, top, [&](GridCounting* counting) {
//       return renderFrame(..., counting);  // counts before writing, or in its pass
//   });
//
// Asking for the key is the only host call, and it happens in the
// constructor, before the cache's lock is ever taken.
#pragma once

#include <memory>
#include <optional>

#include "histogram/GridCounting.h"
#include "histogram/HistogramCache.h"
#include "histogram/HistogramSampling.h"
#include "host/ae_effect.h"

namespace Ombrix::Levels {

class FrameHistogram {
public:
    // The layer is layerWidth x layerHeight (a layer without pixels gives an
    // empty histogram); without a key (the host cannot say what the layer
    // shows) nothing is counted or kept.
    FrameHistogram(const PF_InData* in_data, int layerWidth, int layerHeight);
    FrameHistogram(const FrameHistogram&) = delete;
    FrameHistogram& operator=(const FrameHistogram&) = delete;

    // Runs `draw` (PF_Err(GridCounting*)) for the frame whose input is `input`,
    // holding the layer's pixels from (left, top) on. `draw` gets what to
    // count (null: nothing) and must count all of it before it writes a pixel
    // or in the pass that reads each row; whatever it leaves uncounted is
    // counted afterwards, so it must not have written over those rows. The
    // counts are kept only when `draw` returns PF_Err_NONE; a throw keeps
    // nothing either.
    template <typename Draw>
    PF_Err render(const PF_EffectWorld& input, PixelFormatCode depth, int left, int top, const Draw& draw) {
        GridCounting* counting = plan(input, depth, left, top);
        const PF_Err err = draw(counting);
        if (err == PF_Err_NONE) publish();
        return err;
    }

private:
    GridCounting* plan(const PF_EffectWorld& input, PixelFormatCode depth, int left, int top);
    void publish();

    std::optional<HistogramKey> key_;
    HistogramGrid grid_;
    std::unique_ptr<GridCounting> counting_;
};

}  // namespace Ombrix::Levels
