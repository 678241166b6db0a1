#include "ui/HistogramEditor.h"

#include <optional>
#include <utility>

#include "params/ParamIndices.h"
#include "ui/EditorDisplay.h"
#include "ui/EffectCanvas.h"
#include "ui/GammaMapping.h"
#include "render/HistogramCache.h"
#include "ui/ControlInvalidation.h"

namespace Ombrix::Levels {
namespace {

const CanvasColor kGrey70(0.7, 0.7, 0.7, 1.0);
const CanvasColor kGrey50(0.5, 0.5, 0.5, 1.0);
const CanvasColor kHollowGrey50(0.5, 0.5, 0.5, 0.0);
const CanvasColor kHollowGrey70(0.7, 0.7, 0.7, 0.0);

int channelValue(PF_ParamDef* params[]) {
    return (params && params[kParamChannel]) ? params[kParamChannel]->u.pd.value : 0;
}

double levelValue(PF_ParamDef* params[], int channel, LevelSlot slot) {
    return params[levelParam(channel, slot)]->u.fs_d.value;
}

}  // namespace

PF_Err HistogramEditor::onDraw(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef*,
                               PF_EventExtra* event_extra) {
    if (event_extra->effect_win.area != PF_EA_CONTROL) return PF_Err_NONE;
    const int popup = channelValue(params);
    // The handles show one channel's parameters: without a valid channel there
    // is nothing to show them from.
    if (popup < kChannelRGB || popup > kChannelAlpha) throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);

    // What the layer shows now, asked before anything else: the only host
    // call of the lookup, made with no lock of ours held.
    const std::optional<HistogramKey> key = histogramKeyFor(in_data);
    std::optional<CachedHistogram> found;
    if (key) found = histogramCache().find(*key);
    HistogramLook look = HistogramLook::Current;
    if (found) {
        shownHistogram = std::move(found->counts);
        poll.found();
    } else {
        look = HistogramLook::Pending;
        if (shownHistogram.red.empty()) shownHistogram.clear();  // never had one: an empty histogram
    }

    {
        EffectCanvas canvas(in_data, out_data, event_extra);
        frame = canvas.frameRect();
        channel = popup;
        layoutRect = CanvasRect(frame.x + 5.0, frame.y + 5.0, 290.0, frame.height - 10.0);
        drawEditor(canvas, params, shownHistogram, look);
    }

    // Without a key there is nothing a render could bring.
    if (!found && key && poll.keepAsking(*key, HistogramPoll::Clock::now())) {
        try {
            invalidateControl(in_data, event_extra);
        } catch (int) {  // a host without the application suite shows what it has
        }
    }
    event_extra->evt_out_flags = PF_EO_HANDLED_EVENT;
    return PF_Err_NONE;
}

void HistogramEditor::drawEditor(EffectCanvas& canvas, PF_ParamDef* params[], const ChannelHistograms& histogram,
                                 HistogramLook look) {
    const int n = channelValue(params);
    const double B = levelValue(params, n, kSlotInputBlack);
    const double W = levelValue(params, n, kSlotInputWhite);
    const double G = levelValue(params, n, kSlotGamma);
    const double OB = levelValue(params, n, kSlotOutputBlack);
    const double OW = levelValue(params, n, kSlotOutputWhite);
    const double L = layoutRect.x;
    const double T = layoutRect.y;
    const double vx = L + 10.0;
    const double vy = T;

    const double gammaOffset = gammaHandleOffset(B, W, G);

    view.origin = CanvasPoint(vx, vy);
    view.combinedView = editorDisplay().combinedView;
    view.histogramScale = editorDisplay().histogramScale;
    view.channel = channel;
    view.drawPanel(canvas, histogram, look, params);

    const auto place = [this, &canvas](int index, double x, double y, const CanvasColor& outline,
                                       const CanvasColor& fill) {
        EditorHandle& h = handles[static_cast<size_t>(index)];
        h.anchor = CanvasPoint(x, y);
        h.outlineColor = outline;
        h.fillColor = fill;
        h.drawHandle(canvas);
    };
    place(kInputBlackHandle, vx + B, vy + 70.0, kGrey70, kGrey70);
    place(kGammaHandle, vx + B + gammaOffset, vy + 70.0, kGrey50, kGrey50);
    place(kInputWhiteHandle, vx + W, vy + 70.0, kGrey70, kHollowGrey50);

    const BgraBuffer gradientPixels = gradientImage();
    std::unique_ptr<DRAWBOT_ImageP> gradient = canvas.newImage(
        gradientPixels.width(), gradientPixels.height(), gradientPixels.rowBytes(), BgraBuffer::kLayout,
        gradientPixels.data());
    canvas.drawImage(*gradient, static_cast<float>(vx), static_cast<float>(vy + 83.0), 1.0f);

    std::unique_ptr<DRAWBOT_PenP> pen = canvas.newPen(kGrey70.toDrawbot(), 1.0f);
    const PF_Rect outline{static_cast<A_long>(vx), static_cast<A_long>(vy + 83.0),
                          static_cast<A_long>((L + 290.0) - 25.0),
                          static_cast<A_long>((T + layoutRect.height) - 5.0)};
    canvas.strokeRect(*pen, outline);

    place(kOutputBlackHandle, vx + OB, vy + 95.0, kGrey70, kGrey70);
    place(kOutputWhiteHandle, vx + OW, vy + 95.0, kGrey70, kHollowGrey70);

    canvas.releaseObject(pen);
    canvas.releaseObject(gradient);
}

}  // namespace Ombrix::Levels
