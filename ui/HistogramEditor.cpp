#include "ui/HistogramEditor.h"

#include <optional>
#include <utility>

#include "histogram/HistogramCache.h"
#include "params/ParamIndices.h"
#include "render/LevelsSettingsReader.h"
#include "ui/ControlInvalidation.h"
#include "ui/EditorColours.h"
#include "ui/EditorDisplay.h"
#include "ui/EffectCanvas.h"
#include "ui/GammaMapping.h"
#include "ui/OwnSettingsDigest.h"

namespace Ombrix::Levels {
namespace {

int channelValue(PF_ParamDef* params[]) {
    return (params && params[kParamChannel]) ? params[kParamChannel]->u.pd.value : 0;
}

}  // namespace

PF_Err HistogramEditor::onDraw(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                               PF_EventExtra* event_extra) {
    if (event_extra->effect_win.area != PF_EA_CONTROL) return PF_Err_NONE;
    if (event_extra->evt_in_flags & PF_EI_DONT_DRAW) {  // the host asks for no drawing now
        event_extra->evt_out_flags = PF_EO_HANDLED_EVENT;
        return PF_Err_NONE;
    }
    const int popup = channelValue(params);
    // The handles show one channel's parameters: without a valid channel there
    // is nothing to show them from.
    if (popup < kChannelRGB || popup > kChannelAlpha) throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);

    // What the layer shows now, asked before anything else: the only host
    // call of the lookup, made with no lock of ours held.
    const std::optional<HistogramKey> key = histogramKeyFor(in_data);
    const uint64_t ownSettings = ownSettingsDigest(params);
    static const ChannelHistograms kNone;
    const ChannelHistograms* histogram = &kNone;  // without a key: no histogram
    HistogramLook look = HistogramLook::Current;
    if (key) {
        if (std::optional<CachedHistogram> found = histogramCache().find(*key)) {
            shown_.counts = std::move(found->counts);
            shown_.any = true;
            shown_.time = key->time;
            shown_.timeScale = key->timeScale;
            shown_.ownSettings = ownSettings;
            poll_.found();
        } else {
            // Only the effect's own settings changed since the shown histogram:
            // the input is the same, so its bars stay as they are.
            const bool ownChangeOnly = shown_.any && shown_.time == key->time &&
                                       shown_.timeScale == key->timeScale && shown_.ownSettings != ownSettings;
            if (!ownChangeOnly) look = HistogramLook::Pending;
            poll_.missed(*key, HistogramPoll::Clock::now());
        }
        histogram = &shown_.counts;
    }
    histogramCurrent_ = key && shown_.any && look == HistogramLook::Current;

    {
        EffectCanvas canvas(in_data, out_data, event_extra);
        layout_ = EditorLayout(canvas.frameRect());
        view_.channel = popup;
        drawEditor(canvas, params, *histogram, look);
    }
    event_extra->evt_out_flags = PF_EO_HANDLED_EVENT;
    return PF_Err_NONE;
}

void HistogramEditor::pollForRender(PF_InData* in_data, PF_EventExtra* event_extra) {
    const std::optional<HistogramKey> key = poll_.awaited(HistogramPoll::Clock::now());
    if (!key || !histogramCache().holds(*key)) return;
    poll_.redrawAsked();
    try {
        invalidateControl(in_data, event_extra);
    } catch (int) {  // a host without the application suite shows what it has
    }
}

void HistogramEditor::drawEditor(EffectCanvas& canvas, PF_ParamDef* params[], const ChannelHistograms& histogram,
                                 HistogramLook look) {
    const auto [inputBlack, inputWhite, gamma, outputBlack, outputWhite] =
        eventLevels(params, blockOfChannel(view_.channel));

    view_.drawPanel(canvas, layout_, histogram, look, params, editorDisplay());

    const auto place = [this, &canvas](int index, double x, double y, const CanvasColor& outline,
                                       const CanvasColor& fill) {
        EditorHandle& h = handles_[static_cast<size_t>(index)];
        h.anchor = CanvasPoint(x, y);
        h.outlineColor = outline;
        h.fillColor = fill;
        h.drawHandle(canvas);
    };
    const double inputY = layout_.inputHandleY();
    place(kInputBlackHandle, layout_.xOfLevel(inputBlack), inputY, kGrey70, kGrey70);
    place(kGammaHandle, layout_.xOfLevel(inputBlack) + gammaHandleOffset(inputBlack, inputWhite, gamma), inputY,
          kGrey50, kGrey50);
    place(kInputWhiteHandle, layout_.xOfLevel(inputWhite), inputY, kGrey70, kHollowGrey50);

    const BgraBuffer gradientPixels = gradientImage();
    std::unique_ptr<DRAWBOT_ImageP> gradient = canvas.newImage(
        gradientPixels.width(), gradientPixels.height(), gradientPixels.rowBytes(), BgraBuffer::kLayout,
        gradientPixels.data());
    const CanvasPoint gradientAt = layout_.gradientOrigin();
    canvas.drawImage(*gradient, static_cast<float>(gradientAt.x), static_cast<float>(gradientAt.y), 1.0f);

    std::unique_ptr<DRAWBOT_PenP> pen = canvas.newPen(kGrey70.toDrawbot(), 1.0f);
    canvas.strokeRect(*pen, layout_.gradientOutline());

    const double outputY = layout_.outputHandleY();
    place(kOutputBlackHandle, layout_.xOfLevel(outputBlack), outputY, kGrey70, kGrey70);
    place(kOutputWhiteHandle, layout_.xOfLevel(outputWhite), outputY, kGrey70, kHollowGrey70);

    canvas.releaseObject(pen);
    canvas.releaseObject(gradient);
}

}  // namespace Ombrix::Levels
