// The editor's event filter and its mouse handling: clicks, drags and cursor.
#include <cstdint>
#include <optional>

#include "adjust/AutoLevels.h"
#include "adjust/LevelChanges.h"
#include "params/LevelParameters.h"
#include "params/ParamIndices.h"
#include "ui/ControlInvalidation.h"
#include "ui/EditorDisplay.h"
#include "ui/GammaMapping.h"
#include "ui/HistogramEditor.h"

namespace Ombrix::Levels {
namespace {

constexpr PF_EventOutFlags kHandledAndRedraw = PF_EO_HANDLED_EVENT | PF_EO_UPDATE_NOW;

bool strictlyInside(const PF_Rect& r, float x, float y) {
    return static_cast<float>(r.left) < x && x < static_cast<float>(r.right) && static_cast<float>(r.top) < y &&
           y < static_cast<float>(r.bottom);
}

void writeValue(PF_ParamDef* params[], int index, double value) {
    params[index]->u.fs_d.value = value;
    params[index]->uu.change_flags |= PF_ChangeFlag_CHANGED_VALUE;
}

}  // namespace

PF_Err HistogramEditor::handleEvent(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                                    PF_LayerDef* /*output*/, PF_EventExtra* event_extra) {
    if (!event_extra) return PF_Err_BAD_CALLBACK_PARAM;
    // Only the effect window's "Histogram" control is served.
    // The context comes as a handle: the window type is (*contextH)->w_type.
    if (!event_extra->contextH || !*event_extra->contextH || (*event_extra->contextH)->w_type != PF_Window_EFFECT ||
        event_extra->effect_win.index != kParamHistogram) {
        return PF_Err_NONE;
    }
    const PF_EventOutFlags flagsBefore = event_extra->evt_out_flags;
    try {
        switch (event_extra->e_type) {
            case PF_Event_DO_CLICK: onClick(params, event_extra); return PF_Err_NONE;
            case PF_Event_DRAG: onDrag(in_data, params, event_extra); return PF_Err_NONE;
            case PF_Event_DRAW: return onDraw(in_data, out_data, params, event_extra);
            case PF_Event_ADJUST_CURSOR: onAdjustCursor(in_data, event_extra); return PF_Err_NONE;
            case PF_Event_IDLE: pollForRender(in_data, event_extra); return PF_Err_NONE;
            default: return PF_Err_NONE;
        }
    } catch (...) {
        event_extra->evt_out_flags = flagsBefore;  // a failed event tells the host nothing
        throw;
    }
}

bool HistogramEditor::hitsPanel(float x, float y) const {
    if (view_.channel == kChannelAlpha) return false;
    return layout_.onHistogramOrButtons(x, y);
}

bool HistogramEditor::hitsHandle(const EditorHandle& handle, float x, float y) const {
    return handle.contains(static_cast<double>(x), static_cast<double>(y));
}

void HistogramEditor::onClick(PF_ParamDef* params[], PF_EventExtra* event_extra) {
    if (event_extra->effect_win.area != PF_EA_CONTROL) return;
    PF_DoClickEventInfo& click = event_extra->u.do_click;
    const float x = static_cast<float>(click.screen_point.h);
    const float y = static_cast<float>(click.screen_point.v);
    if (layout_.onAutoButton(x, y)) {
        applyAutoLevels(params, (click.modifiers & PF_Mod_SHIFT_KEY) != 0);
    } else if (hitsPanel(x, y)) {
        editorDisplay().combinedView = !editorDisplay().combinedView;
    } else if (strictlyInside(view_.scaleTrack, x, y)) {
        click.send_drag = TRUE;
        click.continue_refcon[0] = kDragScale;
    } else {
        for (int k = 0; k < kHandleCount; ++k) {
            if (hitsHandle(handles_[static_cast<size_t>(k)], x, y)) {
                click.send_drag = TRUE;
                click.continue_refcon[0] = dragTargetOf(static_cast<HandleIndex>(k));
                break;
            }
        }
    }
    event_extra->evt_out_flags |= kHandledAndRedraw;
}

void HistogramEditor::onDrag(PF_InData* in_data, PF_ParamDef* params[], PF_EventExtra* event_extra) {
    if (event_extra->effect_win.area != PF_EA_CONTROL) return;
    const PF_DoClickEventInfo& drag = event_extra->u.do_click;
    const auto target = static_cast<int32_t>(static_cast<uint32_t>(drag.continue_refcon[0] & 0xFFFFFFFF));
    applyDrag(static_cast<float>(drag.screen_point.h), static_cast<float>(drag.screen_point.v), target, params);

    invalidateControl(in_data, event_extra);
    event_extra->evt_out_flags |= kHandledAndRedraw;
}

void HistogramEditor::onAdjustCursor(PF_InData* in_data, PF_EventExtra* event_extra) {
    if (event_extra->effect_win.area != PF_EA_CONTROL) return;
    pollForRender(in_data, event_extra);
    PF_AdjustCursorEventInfo& cursor = event_extra->u.adjust_cursor;
    const float x = static_cast<float>(cursor.screen_point.h);
    const float y = static_cast<float>(cursor.screen_point.v);
    bool hit = hitsPanel(x, y) || layout_.onAutoButton(x, y) || strictlyInside(view_.scaleThumb, x, y);
    for (int k = 0; k < kHandleCount && !hit; ++k) hit = hitsHandle(handles_[static_cast<size_t>(k)], x, y);
    if (hit) cursor.set_cursor = PF_Cursor_FINGER_POINTER;
    event_extra->evt_out_flags |= PF_EO_HANDLED_EVENT;  // a cursor changes nothing the control shows
}

void HistogramEditor::applyAutoLevels(PF_ParamDef* params[], bool perChannel) {
    if (!histogramCurrent_ || !params) return;  // pending, or no key: nothing to work from
    const int channel = params[kParamChannel]->u.pd.value;
    if (channel < kChannelRGB || channel > kChannelAlpha) return;
    const PF_ParamDef* clip = params[kParamAutoClip];
    const double clipPercent =
        clip && clip->param_type == PF_Param_FLOAT_SLIDER ? clip->u.fs_d.value : kAutoClipDefault;
    writeLevelChanges(params, autoLevels(shown_.counts, settingsOfParams(params), channel, perChannel, clipPercent));
}

void HistogramEditor::applyDrag(float x, float y, int32_t target, PF_ParamDef* params[]) {
    if (target == kDragScale) {
        editorDisplay().histogramScale = layout_.scaleAtY(y);
        return;
    }
    const std::optional<HandleIndex> handle = handleOfDragTarget(target);
    if (!handle) return;
    if (!params || !params[kParamChannel]) return;
    const int channel = params[kParamChannel]->u.pd.value;
    if (channel < kChannelRGB || channel > kChannelAlpha) return;

    const double px = x;
    if (!layout_.overLevels(px)) return;  // outside the histogram: the value stays where it was
    const double level = layout_.levelAtX(px);
    switch (*handle) {
        case kInputBlackHandle: writeValue(params, levelParam(channel, kSlotInputBlack), level); break;
        case kInputWhiteHandle: writeValue(params, levelParam(channel, kSlotInputWhite), level); break;
        case kOutputBlackHandle: writeValue(params, levelParam(channel, kSlotOutputBlack), level); break;
        case kOutputWhiteHandle: writeValue(params, levelParam(channel, kSlotOutputWhite), level); break;
        case kGammaHandle: {
            const double inputBlack = params[levelParam(channel, kSlotInputBlack)]->u.fs_d.value;
            const double inputWhite = params[levelParam(channel, kSlotInputWhite)]->u.fs_d.value;
            const std::optional<double> gamma =
                gammaAtOffset(px - layout_.xOfLevel(inputBlack), inputBlack, inputWhite);
            if (gamma) writeValue(params, levelParam(channel, kSlotGamma), *gamma);
            break;
        }
        default: break;
    }
}

}  // namespace Ombrix::Levels
