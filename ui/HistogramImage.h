// The two images of the editor, built as pixel buffers: the histogram (255 x 70,
// bin 255 left out) and the black-to-white gradient (255 x 12).
#pragma once

#include "histogram/ChannelHistograms.h"
#include "ui/BgraBuffer.h"

namespace Ombrix::Levels {

constexpr int kHistogramImageWidth = 255;
constexpr int kHistogramImageHeight = 70;
constexpr int kGradientWidth = 255;
constexpr int kGradientHeight = 12;

// Current: the histogram of the frame on show. Pending: the last one the
// editor showed while it waits for a render of the frame on show, its bars
// dimmed to kPendingBrightness of their colour so a person sees it is stale.
enum class HistogramLook { Current, Pending };
constexpr double kPendingBrightness = 0.35;

// Column i shows bin i; row r (0 at the top) is level 70 - r, reached by a count
// greater than trunc(level / 70 x M x scale), where M is the largest raw count of
// the view's channel(s). `raw` are the counted histograms, `mapped` their red,
// green and blue pushed through each channel's levels (used by the RGB view).
BgraBuffer histogramImage(const ChannelHistograms& raw, const ChannelHistograms& mapped, int channel,
                          bool combinedView, float histogramScale, HistogramLook look = HistogramLook::Current);

// Column i is the grey i / 255, opaque.
BgraBuffer gradientImage();

}  // namespace Ombrix::Levels
