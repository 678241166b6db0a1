#include "ui/EditorLayout.h"

namespace Ombrix::Levels {
namespace {

A_long whole(double v) { return static_cast<A_long>(v); }

// The mode buttons' centres, right of the slider, and their hit box around
// both circles: kButtonBoxHalfWidth either side of the centres, from
// kButtonBoxTop to kButtonBoxBottom below the histogram's top.
constexpr double kButtonsX = EditorLayout::kHistogramWidth + 20.0;
constexpr double kColourButtonDrop = 24.0;
constexpr double kCombinedButtonDrop = 34.0;
constexpr double kButtonBoxHalfWidth = 5.0;
constexpr double kButtonBoxTop = 20.0;
constexpr double kButtonBoxBottom = 40.0;

}  // namespace

EditorLayout::EditorLayout(const CanvasRect& frame)
    : box_(frame.x + kInset, frame.y + kInset, kBoxWidth, frame.height - 2.0 * kInset) {}

bool EditorLayout::overLevels(double x) const {
    const double left = histogramOrigin().x;
    return left <= x && x <= left + kLevelScaleTop;
}

PF_Rect EditorLayout::gradientOutline() const {
    const CanvasPoint g = gradientOrigin();
    // As wide as the gradient; its bottom edge kInset above the box's, below the output handles.
    return PF_Rect{whole(g.x), whole(g.y), whole(g.x + kGradientWidth), whole((box_.y + box_.height) - kInset)};
}

PF_Rect EditorLayout::scaleTrack() const {
    const CanvasPoint o = histogramOrigin();
    return PF_Rect{whole(o.x + kHistogramWidth), whole(o.y), whole(o.x + (kHistogramWidth + kScaleWidth)),
                   whole(o.y + kHistogramHeight)};
}

PF_Rect EditorLayout::scaleThumb(float scale) const {
    const CanvasPoint o = histogramOrigin();
    const float offset = (1.0f - scale) * static_cast<float>(kThumbTravel);
    return PF_Rect{whole(o.x + kHistogramWidth), whole(o.y + offset), whole(o.x + (kHistogramWidth + kScaleWidth)),
                   whole(o.y + offset + kThumbHeight)};
}

float EditorLayout::scaleAtY(double y) const {
    float t = static_cast<float>((y - histogramOrigin().y - kThumbHeight / 2.0) / kThumbTravel);
    t = t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);
    return 1.0f - t;
}

CanvasPoint EditorLayout::colourButtonCentre() const {
    const CanvasPoint o = histogramOrigin();
    return CanvasPoint(o.x + kButtonsX, o.y + kColourButtonDrop);
}

CanvasPoint EditorLayout::combinedButtonCentre() const {
    const CanvasPoint o = histogramOrigin();
    return CanvasPoint(o.x + kButtonsX, o.y + kCombinedButtonDrop);
}

CanvasPoint EditorLayout::autoButtonCentre() const {
    const CanvasPoint o = histogramOrigin();
    return CanvasPoint(o.x + kAutoButtonX, o.y + kAutoButtonDrop);
}

bool EditorLayout::onAutoButton(double x, double y) const {
    const CanvasPoint c = autoButtonCentre();
    return c.x - kAutoButtonRadius <= x && x <= c.x + kAutoButtonRadius && c.y - kAutoButtonRadius <= y &&
           y <= c.y + kAutoButtonRadius;
}

bool EditorLayout::onHistogramOrButtons(double x, double y) const {
    const CanvasPoint o = histogramOrigin();
    if (o.x <= x && x <= o.x + kHistogramWidth && o.y <= y && y <= o.y + kHistogramHeight) return true;
    return o.x + (kButtonsX - kButtonBoxHalfWidth) <= x && x <= o.x + (kButtonsX + kButtonBoxHalfWidth) &&
           o.y + kButtonBoxTop <= y && y <= o.y + kButtonBoxBottom;
}

}  // namespace Ombrix::Levels
