// Custom-UI events as the host sends them to an effect's control in the
// effect-controls panel: a context with its window type, the control's
// effect_win (parameter index, area, frame), clicks with the host's drag
// protocol, draws, cursor questions, idle time, and the redraw the host makes
// after a non-drawing event that asks for one (PF_EO_UPDATE_NOW, or
// PF_InvalidateRect, which the host honours only in a non-drawing event).
#pragma once

#include "host/ae_event.h"

namespace hostsim {

class Host;

class EventSender {
public:
    struct Options {
        PF_Rect frame{0, 0, 300, 110};  // the control's frame in the panel
        A_long paramIndex = 2;           // the custom-UI parameter
        int zoom = 1;                    // device pixels per control pixel of the panel surface
        // After a click, drag or cursor event whose out flags ask for an update
        // now, or that invalidated part of the window, the host draws again.
        bool redrawWhenAsked = true;
        // The instance of the effect whose control this is (Host::addInstance);
        // null: the host's first instance.
        PF_ProgPtr instance = nullptr;
    };

    // Sets the Drawbot panel surface to cover the frame (right x bottom pixels).
    explicit EventSender(Host& host);
    EventSender(Host& host, const Options& options);
    EventSender(const EventSender&) = delete;
    EventSender& operator=(const EventSender&) = delete;

    // An event record as the host fills it for the control: the effect window's
    // context, effect_win with the parameter index, the control area and the
    // frame, evt_out_flags 0. Tests change fields to send other events.
    PF_EventExtra makeEvent(PF_EventType type);
    // Sends PF_Cmd_EVENT with `event`; the effect's changes to it stay in it.
    PF_Err send(PF_EventExtra& event);

    // A draw of the control; `inFlags` as the host sets them (PF_EI_DONT_DRAW:
    // the effect must not draw).
    PF_Err draw(PF_EventInFlags inFlags = PF_EI_NONE);
    // The host's idle time: when the control was invalidated since its last
    // draw began (PF_InvalidateRect is a lazy redraw), it is drawn again.
    // Returns whether it was; `err` receives that draw's result.
    bool redrawIfInvalidated(PF_Err* err = nullptr);
    // PF_Event_IDLE: a context is open and nothing is happening. Like the
    // other non-drawing events, a redraw follows when the effect asks for one.
    PF_Err idle();
    // Mouse down at (x, y) in control pixels, with the keys held
    // (PF_Mod_SHIFT_KEY, ...). If the effect sets send_drag, the host
    // remembers the click's continue_refcon for the drags that follow.
    PF_Err click(int x, int y, PF_Modifiers modifiers = PF_Mod_NONE);
    // A mouse move with the button down: sent only while a click asked for drags,
    // with that click's continue_refcon; `last` marks the mouse-up. Returns
    // PF_Err_NONE without sending anything when no drag is in progress.
    PF_Err drag(int x, int y, bool last = false);
    bool dragging() const { return dragging_; }
    // The cursor over (x, y); `cursor` receives set_cursor as the effect left it
    // (PF_Cursor_NONE when the effect did not choose one).
    PF_Err adjustCursor(int x, int y, PF_CursorType* cursor = nullptr);

    // The last click, drag, draw or cursor event as the effect left it (not the
    // host's redraws).
    const PF_EventExtra& lastEvent() const { return last_; }
    // Draws the host made on its own after events, and the result of the latest.
    int redraws() const { return redraws_; }
    PF_Err lastRedrawResult() const { return lastRedraw_; }

    PF_Context& context() { return context_; }
    // The handle events carry: it points to the pointer to context().
    PF_ContextH contextHandle() { return &contextPointer_; }
    const Options& options() const { return options_; }

private:
    PF_Err sendInput(PF_EventExtra& event);

    Host& host_;
    Options options_;
    PF_Context context_{};
    PF_Context* contextPointer_ = &context_;  // what contextH points to
    PF_EventExtra last_{};
    bool dragging_ = false;
    A_intptr_t dragRefcon_[4] = {0, 0, 0, 0};
    size_t invalidationsSeen_ = 0;  // invalidations made before the latest draw began
    int redraws_ = 0;
    PF_Err lastRedraw_ = PF_Err_NONE;
};

}  // namespace hostsim
