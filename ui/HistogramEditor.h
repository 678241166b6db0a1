// The histogram editor of one instance's "Histogram" custom control: draws the
// input layer's histogram with the levels handles of the chosen channel, and
// turns clicks and drags into parameter changes. It keeps the layout and
// handles of its control's last draw (clicks hit-test against what was drawn)
// and the histogram it last showed; the display mode and scale are shared
// (EditorDisplay).
//
// The draw never checks out the layer (the UI thread must not render): the
// histogram comes from the renders, through the process's histogram cache
// (histogram/HistogramCache.h), under the key of what the layer shows at the
// panel's time. The host's key changes with the effect's own parameters too,
// which do not change the input; so the editor remembers, beside the
// histogram it last showed, the time and the digest of the own settings
// (OwnSettingsDigest.h) at which it found it. Until a render of the key has
// counted it, a draw shows that histogram:
//   - undimmed, when only the own settings changed (same time, other digest);
//   - dimmed (HistogramLook::Pending), when the layer or the time changed;
//   - as an empty histogram, when the editor never found one;
// and the idle and cursor events poll the cache for the key (HistogramPoll.h).
// Without a key (the host cannot say what the layer shows) it shows none.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "histogram/ChannelHistograms.h"
#include "host/ae_event.h"
#include "ui/EditorHandle.h"
#include "ui/EditorLayout.h"
#include "ui/HistogramImage.h"
#include "ui/HistogramPoll.h"
#include "ui/HistogramView.h"

namespace Ombrix::Levels {

class EffectCanvas;

class HistogramEditor {
public:
    // The handles, in hit-test order.
    enum HandleIndex : int { kInputBlackHandle, kGammaHandle, kInputWhiteHandle, kOutputBlackHandle, kOutputWhiteHandle };
    static constexpr int kHandleCount = 5;

    // What a click grabbed; stored in the click's continue_refcon[0], which the
    // host hands back with every following drag (0: nothing). A handle is its
    // index + 1; the scale slider is 99, well apart from them, and the tool
    // reads it to tell a scale drag.
    static constexpr int32_t kDragScale = 99;
    static constexpr int32_t dragTargetOf(HandleIndex handle) { return handle + 1; }
    static constexpr std::optional<HandleIndex> handleOfDragTarget(int32_t target) {
        if (target < 1 || target > kHandleCount) return std::nullopt;
        return static_cast<HandleIndex>(target - 1);
    }

    HistogramEditor() = default;
    HistogramEditor(const HistogramEditor&) = delete;
    HistogramEditor& operator=(const HistogramEditor&) = delete;

    // PF_Cmd_EVENT. Serves the effect window's "Histogram" control only. Failures
    // leave as thrown host codes (int) or DRAWBOT_Exception, with everything made
    // for the event released and evt_out_flags as the host sent them.
    PF_Err handleEvent(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output,
                       PF_EventExtra* event_extra);

private:
    // PF_Event_DRAW: draws the whole editor and records its layout.
    PF_Err onDraw(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], PF_EventExtra* event_extra);
    void drawEditor(EffectCanvas& canvas, PF_ParamDef* params[], const ChannelHistograms& histogram,
                    HistogramLook look);

    // PF_Event_IDLE and PF_Event_ADJUST_CURSOR, while a draw waits for a
    // render: once the cache holds the key, the control is invalidated.
    void pollForRender(PF_InData* in_data, PF_EventExtra* event_extra);

    void onClick(PF_ParamDef* params[], PF_EventExtra* event_extra);
    // The auto button: auto levels (adjust/AutoLevels.h) from the histogram
    // shown, when it is the input's current one.
    void applyAutoLevels(PF_ParamDef* params[], bool perChannel);
    void onDrag(PF_InData* in_data, PF_ParamDef* params[], PF_EventExtra* event_extra);
    void onAdjustCursor(PF_InData* in_data, PF_EventExtra* event_extra);

    // Point tests on the last draw: the histogram or its mode buttons (not in
    // the alpha view, which has one mode), and one handle.
    bool hitsPanel(float x, float y) const;
    bool hitsHandle(const EditorHandle& handle, float x, float y) const;
    // Maps a drag point to the target's parameter (or to the histogram scale).
    void applyDrag(float x, float y, int32_t target, PF_ParamDef* params[]);

    std::array<EditorHandle, kHandleCount> handles_{};
    HistogramView view_;
    EditorLayout layout_;
    // The last histogram a draw found, and the frame and own settings it found it at.
    struct Shown {
        ChannelHistograms counts;  // empty until a draw found one
        bool any = false;
        A_long time = 0;
        A_u_long timeScale = 0;
        uint64_t ownSettings = 0;
    };
    Shown shown_;
    // Whether the last draw showed the input's current histogram (a key, a
    // histogram found, not dimmed): what the auto button works from.
    bool histogramCurrent_ = false;
    HistogramPoll poll_;
};

}  // namespace Ombrix::Levels
