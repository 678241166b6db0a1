#include "hostsim/Events.h"

#include <cstring>

#include "hostsim/Drawbot.h"
#include "hostsim/Host.h"
#include "hostsim/Poison.h"

namespace hostsim {
namespace {
constexpr A_u_long kContextMagic = 0x43545854;  // 'CTXT'
}

EventSender::EventSender(Host& host) : EventSender(host, Options()) {}

EventSender::EventSender(Host& host, const Options& options) : host_(host), options_(options) {
    context_.magic = kContextMagic;
    context_.w_type = PF_Window_EFFECT;
    DrawbotSim::current().setSurface(options_.frame.right, options_.frame.bottom, options_.zoom);
}

PF_EventExtra EventSender::makeEvent(PF_EventType type) {
    PF_EventExtra event;
    std::memset(&event, 0, sizeof(event));
    event.contextH = &contextPointer_;  // a handle, as the host sends it
    event.e_type = type;
    event.effect_win.index = options_.paramIndex;
    event.effect_win.area = PF_EA_CONTROL;
    event.effect_win.current_frame = options_.frame;
    event.effect_win.param_title_frame = PF_Rect{options_.frame.left, options_.frame.top - 20, options_.frame.right,
                                                 options_.frame.top};
    event.evt_out_flags = PF_EO_NONE;
    if (type == PF_Event_DRAW) event.u.draw.update_rect = options_.frame;
    return event;
}

PF_Err EventSender::send(PF_EventExtra& event) {
    // What the effect has no business writing is poisoned or kept, and checked afterwards.
    PoisonedMembers poisoned;
    poisoned.poison("PF_EventExtra.cbs", &event.cbs, sizeof(event.cbs));
    poisoned.keep("PF_EventExtra.contextH", &event.contextH, sizeof(event.contextH));
    poisoned.keep("PF_EventExtra.e_type", &event.e_type, sizeof(event.e_type));
    poisoned.keep("PF_EventExtra.effect_win", &event.effect_win, sizeof(event.effect_win));
    poisoned.keep("PF_EventExtra.evt_in_flags", &event.evt_in_flags, sizeof(event.evt_in_flags));
    if (event.contextH && *event.contextH) {
        PF_Context& context = **event.contextH;
        poisoned.keep("PF_Context.magic", &context.magic, sizeof(context.magic));
        poisoned.keep("PF_Context.w_type", &context.w_type, sizeof(context.w_type));
        poisoned.poison("PF_Context.reserved_flt", &context.reserved_flt, sizeof(context.reserved_flt));
        poisoned.poison("PF_Context.reserved_drawref", &context.reserved_drawref, sizeof(context.reserved_drawref));
        poisoned.poison("PF_Context.reserved_paneP", &context.reserved_paneP, sizeof(context.reserved_paneP));
    }
    DrawbotSim& drawbot = DrawbotSim::current();
    if (event.e_type == PF_Event_DRAW) invalidationsSeen_ = host_.invalidationCount();
    drawbot.beginEvent(event.contextH, event.e_type, event.effect_win.current_frame, event.evt_in_flags);
    const PF_EventType outerEvent = host_.eventInProgress();
    host_.setEventInProgress(event.e_type);
    PF_Err err = PF_Err_NONE;
    try {
        err = options_.instance ? host_.sendAs(options_.instance, PF_Cmd_EVENT, nullptr, &event)
                                : host_.send(PF_Cmd_EVENT, nullptr, &event);
    } catch (...) {
        host_.setEventInProgress(outerEvent);
        drawbot.endEvent();
        throw;
    }
    host_.setEventInProgress(outerEvent);
    drawbot.endEvent();
    for (const std::string& member : poisoned.changed()) {
        host_.violation("an event changed " + member + ", which the effect has no business writing");
    }
    return err;
}

PF_Err EventSender::sendInput(PF_EventExtra& event) {
    const size_t invalidationsBefore = host_.invalidationCount();
    const PF_Err err = send(event);
    last_ = event;
    const bool asked = (event.evt_out_flags & PF_EO_UPDATE_NOW) != 0 ||
                       host_.invalidationCount() != invalidationsBefore;
    if (options_.redrawWhenAsked && asked) {
        PF_EventExtra redraw = makeEvent(PF_Event_DRAW);
        lastRedraw_ = send(redraw);
        ++redraws_;
    }
    return err;
}

PF_Err EventSender::draw(PF_EventInFlags inFlags) {
    PF_EventExtra event = makeEvent(PF_Event_DRAW);
    event.evt_in_flags = inFlags;
    const PF_Err err = send(event);
    last_ = event;
    return err;
}

bool EventSender::redrawIfInvalidated(PF_Err* err) {
    if (host_.invalidationCount() <= invalidationsSeen_) return false;
    const PF_Err result = draw();
    if (err) *err = result;
    return true;
}

PF_Err EventSender::idle() {
    PF_EventExtra event = makeEvent(PF_Event_IDLE);
    return sendInput(event);
}

PF_Err EventSender::click(int x, int y, PF_Modifiers modifiers) {
    PF_EventExtra event = makeEvent(PF_Event_DO_CLICK);
    event.u.do_click.screen_point = PF_Point{x, y};
    event.u.do_click.num_clicks = 1;
    event.u.do_click.modifiers = modifiers;
    dragging_ = false;
    const PF_Err err = sendInput(event);
    if (err == PF_Err_NONE && event.u.do_click.send_drag) {
        dragging_ = true;
        std::memcpy(dragRefcon_, event.u.do_click.continue_refcon, sizeof(dragRefcon_));
    }
    return err;
}

PF_Err EventSender::drag(int x, int y, bool last) {
    if (!dragging_) return PF_Err_NONE;
    PF_EventExtra event = makeEvent(PF_Event_DRAG);
    event.u.do_click.screen_point = PF_Point{x, y};
    event.u.do_click.num_clicks = 1;
    std::memcpy(event.u.do_click.continue_refcon, dragRefcon_, sizeof(dragRefcon_));
    event.u.do_click.send_drag = TRUE;
    event.u.do_click.last_time = last ? TRUE : FALSE;
    const PF_Err err = sendInput(event);
    // The effect may change its refcon during the drag or stop asking for drags.
    std::memcpy(dragRefcon_, event.u.do_click.continue_refcon, sizeof(dragRefcon_));
    if (last || err != PF_Err_NONE || !event.u.do_click.send_drag) dragging_ = false;
    return err;
}

PF_Err EventSender::adjustCursor(int x, int y, PF_CursorType* cursor) {
    PF_EventExtra event = makeEvent(PF_Event_ADJUST_CURSOR);
    event.u.adjust_cursor.screen_point = PF_Point{x, y};
    event.u.adjust_cursor.set_cursor = PF_Cursor_NONE;
    const PF_Err err = sendInput(event);
    if (cursor) *cursor = event.u.adjust_cursor.set_cursor;
    return err;
}

}  // namespace hostsim
