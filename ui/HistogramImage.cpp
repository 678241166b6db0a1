#include "ui/HistogramImage.h"

#include <algorithm>
#include <cmath>

#include "params/ParamIndices.h"
#include "ui/EditorColours.h"

namespace Ombrix::Levels {
namespace {

// The colours of the image, converted once: black, the light grey, and the pure
// colours with each of red, green and blue either 0 or 1; all but black
// dimmed for the pending look.
struct Palette {
    BgraBuffer::Pixel black = BgraBuffer::bytesOf(CanvasColor(0.0, 0.0, 0.0, 1.0));
    BgraBuffer::Pixel grey70;
    BgraBuffer::Pixel rgb[8];
    explicit Palette(HistogramLook look) {
        const double on = look == HistogramLook::Pending ? kPendingBrightness : 1.0;
        grey70 = BgraBuffer::bytesOf(CanvasColor(kLightGrey * on, kLightGrey * on, kLightGrey * on, 1.0));
        for (int bits = 0; bits < 8; ++bits) {
            rgb[bits] = BgraBuffer::bytesOf(CanvasColor(bits & 4 ? on : 0.0, bits & 2 ? on : 0.0, bits & 1 ? on : 0.0, 1.0));
        }
    }
};

int32_t largest(const std::vector<int32_t>& counts) {
    return counts.empty() ? 0 : *std::max_element(counts.begin(), counts.end());
}

int32_t countAt(const std::vector<int32_t>& counts, int i) {
    return static_cast<size_t>(i) < counts.size() ? counts[static_cast<size_t>(i)] : 0;
}

// The colour of bin i on a row that counts above `threshold` reach.
const BgraBuffer::Pixel& binColor(const Palette& palette, const ChannelHistograms& raw,
                                  const ChannelHistograms& mapped, int channel, bool combined, int i,
                                  double threshold) {
    const auto reaches = [i, threshold](const std::vector<int32_t>& counts) { return countAt(counts, i) > threshold; };
    const auto rgb = [&palette](bool r, bool g, bool b) -> const BgraBuffer::Pixel& {
        return palette.rgb[(r ? 4 : 0) | (g ? 2 : 0) | (b ? 1 : 0)];
    };
    const BgraBuffer::Pixel& kBlack = palette.black;
    const BgraBuffer::Pixel& kGrey70 = palette.grey70;
    switch (channel) {
        case kChannelRGB: {
            const bool r = reaches(mapped.red), g = reaches(mapped.green), b = reaches(mapped.blue);
            if (combined) return (r || g || b) ? kGrey70 : kBlack;
            return rgb(r, g, b);
        }
        // A channel's own bins show in its colour; the others' where they reach.
        case kChannelRed:
            if (reaches(raw.red)) return rgb(true, false, false);
            return combined ? kBlack : rgb(false, reaches(raw.green), reaches(raw.blue));
        case kChannelGreen:
            if (reaches(raw.green)) return rgb(false, true, false);
            return combined ? kBlack : rgb(reaches(raw.red), false, reaches(raw.blue));
        case kChannelBlue:
            if (reaches(raw.blue)) return rgb(false, false, true);
            return combined ? kBlack : rgb(reaches(raw.red), reaches(raw.green), false);
        case kChannelAlpha: return reaches(raw.alpha) ? kGrey70 : kBlack;
        default: return kBlack;
    }
}

}  // namespace

BgraBuffer histogramImage(const ChannelHistograms& raw, const ChannelHistograms& mapped, int channel,
                          bool combinedView, float histogramScale, HistogramLook look) {
    const int32_t maxR = largest(raw.red), maxG = largest(raw.green), maxB = largest(raw.blue);
    const int32_t maxA = largest(raw.alpha);
    const int32_t maxRGB = std::max(maxR, std::max(maxG, maxB));
    double tallest = 0.0;  // the largest raw count of the view's channel(s)
    switch (channel) {
        case kChannelRGB: tallest = maxRGB; break;
        case kChannelRed: tallest = maxR; break;
        case kChannelGreen: tallest = maxG; break;
        case kChannelBlue: tallest = maxB; break;
        case kChannelAlpha: tallest = maxA; break;
        default: break;
    }
    const Palette palette(look);
    BgraBuffer image(kHistogramImageWidth, kHistogramImageHeight);
    for (int r = 0; r < kHistogramImageHeight; ++r) {
        const int level = kHistogramImageHeight - r;
        const double threshold = std::trunc(level / 70.0 * tallest * static_cast<double>(histogramScale));
        for (int i = 0; i < kHistogramImageWidth; ++i) {
            image.set(i, r, binColor(palette, raw, mapped, channel, combinedView, i, threshold));
        }
    }
    return image;
}

BgraBuffer gradientImage() {
    BgraBuffer image(kGradientWidth, kGradientHeight);
    for (int i = 0; i < kGradientWidth; ++i) {
        const double v = i / 255.0;
        const BgraBuffer::Pixel grey = BgraBuffer::bytesOf(CanvasColor(v, v, v, 1.0));
        for (int y = 0; y < kGradientHeight; ++y) image.set(i, y, grey);
    }
    return image;
}

}  // namespace Ombrix::Levels
