#include "ui/HistogramView.h"

#include "params/ParamIndices.h"
#include "ui/EditorColours.h"
#include "ui/EffectCanvas.h"
#include "ui/MappedHistograms.h"

namespace Ombrix::Levels {
namespace {

A_long whole(double v) { return static_cast<A_long>(v); }

}  // namespace

void HistogramView::drawPanel(EffectCanvas& canvas, const EditorLayout& layout, const ChannelHistograms& histograms,
                              HistogramLook look, PF_ParamDef* params[], const EditorDisplay& display) {
    const CanvasPoint origin = layout.histogramOrigin();
    const A_long left = whole(origin.x);
    const A_long top = whole(origin.y);
    const A_long right = left + whole(EditorLayout::kHistogramWidth);
    const A_long bottom = top + whole(EditorLayout::kHistogramHeight);

    // Left, bottom and right frame lines; the top stays open.
    std::unique_ptr<DRAWBOT_PenP> pen = canvas.newPen(kGrey70.toDrawbot(), 1.0f);
    canvas.drawLine(*pen, PF_Point{left, top}, PF_Point{left, bottom});
    canvas.drawLine(*pen, PF_Point{left, bottom}, PF_Point{right, bottom});
    canvas.drawLine(*pen, PF_Point{right, bottom}, PF_Point{right, top});

    ChannelHistograms mapped;
    mapHistograms(params, histograms, mapped);
    const BgraBuffer pixels = histogramImage(histograms, mapped, channel, display.combinedView, display.histogramScale, look);
    std::unique_ptr<DRAWBOT_ImageP> image =
        canvas.newImage(pixels.width(), pixels.height(), pixels.rowBytes(), BgraBuffer::kLayout, pixels.data());
    canvas.drawImage(*image, static_cast<float>(origin.x), static_cast<float>(origin.y), 1.0f);

    {
        std::unique_ptr<DRAWBOT_PenP> sliderPen = canvas.newPen(kGrey50.toDrawbot(), 1.0f);
        scaleTrack = layout.scaleTrack();
        scaleThumb = layout.scaleThumb(display.histogramScale);
        canvas.strokeRect(*sliderPen, scaleTrack);
        canvas.strokeRect(*sliderPen, scaleThumb);
        canvas.fillRect(kGrey50.toDrawbot(), scaleThumb);
        canvas.releaseObject(sliderPen);
    }

    // The display-mode buttons; the filled one is the mode in use. The alpha view
    // has a single mode and shows none.
    if (channel != kChannelAlpha) {
        const auto button = [&canvas, &pen](const CanvasPoint& centre, bool inUse) {
            std::unique_ptr<DRAWBOT_PathP> circle = canvas.newPath();
            const auto radius = static_cast<float>(EditorLayout::kButtonRadius);
            canvas.addEllipse(*circle, static_cast<float>(centre.x), static_cast<float>(centre.y), radius, radius);
            canvas.strokePath(*pen, *circle);
            if (inUse) canvas.fillPath(kGrey70.toDrawbot(), *circle);
            return circle;
        };
        std::unique_ptr<DRAWBOT_PathP> colourButton = button(layout.colourButtonCentre(), !display.combinedView);
        std::unique_ptr<DRAWBOT_PathP> combinedButton = button(layout.combinedButtonCentre(), display.combinedView);
        canvas.releaseObject(colourButton);
        canvas.releaseObject(combinedButton);
    }
    // The auto button, in every view: a circle with an "A" in it.
    {
        const CanvasPoint c = layout.autoButtonCentre();
        const auto cx = static_cast<float>(c.x);
        const auto cy = static_cast<float>(c.y);
        const auto radius = static_cast<float>(EditorLayout::kAutoButtonRadius);
        std::unique_ptr<DRAWBOT_PathP> circle = canvas.newPath();
        canvas.addEllipse(*circle, cx, cy, radius, radius);
        canvas.strokePath(*pen, *circle);
        std::unique_ptr<DRAWBOT_PathP> letter = canvas.newPath();
        canvas.moveTo(*letter, cx - 3.0f, cy + 3.5f);
        canvas.lineTo(*letter, cx, cy - 3.5f);
        canvas.lineTo(*letter, cx + 3.0f, cy + 3.5f);
        canvas.moveTo(*letter, cx - 1.7f, cy + 0.8f);
        canvas.lineTo(*letter, cx + 1.7f, cy + 0.8f);
        canvas.strokePath(*pen, *letter);
        canvas.releaseObject(letter);
        canvas.releaseObject(circle);
    }
    canvas.releaseObject(pen);
    canvas.releaseObject(image);
}

}  // namespace Ombrix::Levels
