#include "ui/HistogramView.h"

#include "params/ParamIndices.h"
#include "ui/EffectCanvas.h"
#include "ui/HistogramCounting.h"
#include "ui/HistogramImage.h"

namespace Ombrix::Levels {
namespace {

const CanvasColor kGrey70(0.7, 0.7, 0.7, 1.0);
const CanvasColor kGrey50(0.5, 0.5, 0.5, 1.0);

A_long whole(double v) { return static_cast<A_long>(v); }

}  // namespace

void HistogramView::drawPanel(EffectCanvas& canvas, const ChannelHistograms& histograms, HistogramLook look,
                              PF_ParamDef* params[]) {
    const double x = origin.x;
    const double y = origin.y;

    // Left, bottom and right frame lines; the top stays open.
    std::unique_ptr<DRAWBOT_PenP> pen = canvas.newPen(kGrey70.toDrawbot(), 1.0f);
    const A_long ix = whole(x);
    const A_long iy = whole(y);
    canvas.drawLine(*pen, PF_Point{ix, iy}, PF_Point{ix, iy + 70});
    canvas.drawLine(*pen, PF_Point{ix, iy + 70}, PF_Point{ix + 255, iy + 70});
    canvas.drawLine(*pen, PF_Point{ix + 255, iy + 70}, PF_Point{ix + 255, iy});

    ChannelHistograms mapped;
    mapHistograms(params, histograms, mapped);
    const BgraBuffer pixels = histogramImage(histograms, mapped, channel, combinedView, histogramScale, look);
    std::unique_ptr<DRAWBOT_ImageP> image =
        canvas.newImage(pixels.width(), pixels.height(), pixels.rowBytes(), BgraBuffer::kLayout, pixels.data());
    canvas.drawImage(*image, static_cast<float>(x), static_cast<float>(y), 1.0f);

    // The vertical-scale slider: the thumb's top sits (1 - s) x 60 below the track's.
    {
        std::unique_ptr<DRAWBOT_PenP> sliderPen = canvas.newPen(kGrey50.toDrawbot(), 1.0f);
        const float offset = (1.0f - histogramScale) * 60.0f;
        scaleTrack = PF_Rect{whole(x + 255), whole(y), whole(x + 265), whole(y + 70)};
        scaleThumb = PF_Rect{whole(x + 255), whole(y + offset), whole(x + 265), whole(y + offset + 10)};
        canvas.strokeRect(*sliderPen, scaleTrack);
        canvas.strokeRect(*sliderPen, scaleThumb);
        canvas.fillRect(kGrey50.toDrawbot(), scaleThumb);
        canvas.releaseObject(sliderPen);
    }

    // The display-mode buttons; the filled one is the mode in use. The alpha view
    // has a single mode and shows none.
    if (channel != kChannelAlpha) {
        std::unique_ptr<DRAWBOT_PathP> colourButton = canvas.newPath();
        canvas.addEllipse(*colourButton, static_cast<float>(x + 275), static_cast<float>(y + 24), 3.0f, 3.0f);
        canvas.strokePath(*pen, *colourButton);
        if (!combinedView) canvas.fillPath(kGrey70.toDrawbot(), *colourButton);
        std::unique_ptr<DRAWBOT_PathP> combinedButton = canvas.newPath();
        canvas.addEllipse(*combinedButton, static_cast<float>(x + 275), static_cast<float>(y + 34), 3.0f, 3.0f);
        canvas.strokePath(*pen, *combinedButton);
        if (combinedView) canvas.fillPath(kGrey70.toDrawbot(), *combinedButton);
        canvas.releaseObject(colourButton);
        canvas.releaseObject(combinedButton);
    }
    canvas.releaseObject(pen);
    canvas.releaseObject(image);
}

}  // namespace Ombrix::Levels
