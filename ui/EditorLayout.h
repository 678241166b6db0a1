// Where each part of the histogram editor sits, derived from the control's
// frame alone. Drawing and hit-testing both read it, so a click lands on what
// was drawn. All positions are in the panel's pixels. The sizes follow from
// the control's width (params/LevelParameters.h), the two images
// (HistogramImage.h) and the few spacings of the design below.
#pragma once

#include "host/ae_effect.h"
#include "params/LevelParameters.h"
#include "ui/CanvasPoint.h"
#include "ui/CanvasRect.h"
#include "ui/HistogramImage.h"

namespace Ombrix::Levels {

class EditorLayout {
public:
    // The editor's box: kInset in from the control's edges, as wide as the
    // control less an inset each side.
    static constexpr double kInset = 5.0;
    static constexpr double kBoxWidth = kHistogramControlWidth - 2.0 * kInset;
    // The histogram image: kHistogramLeft in from the box, one column per
    // level 0..254; level v lies v pixels right of its left edge, so the
    // level scale's top (255) is its right edge.
    static constexpr double kHistogramLeft = 10.0;
    static constexpr double kHistogramWidth = kHistogramImageWidth;
    static constexpr double kHistogramHeight = kHistogramImageHeight;
    static constexpr double kLevelScaleTop = kLevelRange.sliderMax;
    // The vertical-scale slider right of the histogram: a track as tall as
    // the histogram and kScaleWidth wide, its thumb kThumbHeight tall moving
    // kThumbTravel (scale 1 at the top, 0 at the bottom).
    static constexpr double kScaleWidth = 10.0;
    static constexpr double kThumbHeight = 10.0;
    static constexpr double kThumbTravel = 60.0;
    // The display-mode buttons: circles of kButtonRadius right of the slider.
    static constexpr double kButtonRadius = 3.0;
    // The auto button below them: a circle of kAutoButtonRadius with an "A",
    // its centre kAutoButtonX right of the histogram's left edge (in line with
    // the mode buttons) and kAutoButtonDrop below its top.
    static constexpr double kAutoButtonRadius = 6.0;
    static constexpr double kAutoButtonX = kHistogramWidth + 20.0;
    static constexpr double kAutoButtonDrop = 55.0;
    // Its centre in a control whose frame's top-left corner is (left, top).
    static CanvasPoint autoButtonCentreIn(double left, double top) {
        return CanvasPoint(left + kInset + kHistogramLeft + kAutoButtonX, top + kInset + kAutoButtonDrop);
    }
    // The black-to-white gradient under the input handles, its top
    // kGradientDrop below the box's.
    static constexpr double kGradientDrop = 83.0;
    // Handles: the input ones with their apex on the histogram's bottom line,
    // the output ones on the gradient's bottom line.
    static constexpr double kInputHandleDrop = kHistogramHeight;
    static constexpr double kOutputHandleDrop = kGradientDrop + kGradientHeight;

    EditorLayout() = default;
    explicit EditorLayout(const CanvasRect& frame);

    const CanvasRect& box() const { return box_; }
    // The histogram image's top-left corner; level v lies at x = left + v.
    CanvasPoint histogramOrigin() const { return CanvasPoint(box_.x + kHistogramLeft, box_.y); }
    double xOfLevel(double level) const { return histogramOrigin().x + level; }
    double levelAtX(double x) const { return x - histogramOrigin().x; }
    // Whether x lies over the level scale 0..255 (edges included).
    bool overLevels(double x) const;

    double inputHandleY() const { return box_.y + kInputHandleDrop; }
    double outputHandleY() const { return box_.y + kOutputHandleDrop; }
    CanvasPoint gradientOrigin() const { return CanvasPoint(histogramOrigin().x, box_.y + kGradientDrop); }
    // The outline around the gradient and the output handles' row.
    PF_Rect gradientOutline() const;

    PF_Rect scaleTrack() const;
    PF_Rect scaleThumb(float scale) const;
    // The scale a drag to height y sets: the thumb's top follows the pointer
    // (half a thumb above it), within the track.
    float scaleAtY(double y) const;

    CanvasPoint colourButtonCentre() const;
    CanvasPoint combinedButtonCentre() const;
    // Whether (x, y) hits the histogram image or the mode buttons (edges
    // included): a click there switches the display mode.
    bool onHistogramOrButtons(double x, double y) const;
    // The auto button, in the free space under the mode buttons, and whether
    // (x, y) hits its square around the circle (edges included).
    CanvasPoint autoButtonCentre() const;
    bool onAutoButton(double x, double y) const;

private:
    CanvasRect box_;
};

}  // namespace Ombrix::Levels
