// Custom-UI event records handed to the effect with PF_Cmd_EVENT.
#pragma once

#include "host/ae_effect.h"

typedef A_long PF_EventType;
enum : PF_EventType {
    PF_Event_NEW_CONTEXT = 0,
    PF_Event_ACTIVATE = 1,
    PF_Event_DO_CLICK = 2,
    PF_Event_DRAG = 3,
    PF_Event_DRAW = 4,
    PF_Event_DEACTIVATE = 5,
    PF_Event_CLOSE_CONTEXT = 6,
    PF_Event_IDLE = 7,
    PF_Event_ADJUST_CURSOR = 9,
    PF_Event_KEYDOWN = 10,
    PF_Event_MOUSE_EXITED = 11,
};

typedef A_long PF_WindowType;
enum : PF_WindowType { PF_Window_NONE = -1, PF_Window_COMP = 0, PF_Window_LAYER = 1, PF_Window_EFFECT = 2 };

typedef A_long PF_EffectArea;
enum : PF_EffectArea { PF_EA_NONE = 0, PF_EA_PARAM_TITLE = 1, PF_EA_CONTROL = 2 };

typedef A_long PF_EventOutFlags;
enum : PF_EventOutFlags {
    PF_EO_NONE = 0,
    PF_EO_HANDLED_EVENT = 1L << 0,
    PF_EO_ALWAYS_UPDATE = 1L << 1,
    PF_EO_NEVER_UPDATE = 1L << 2,
    PF_EO_UPDATE_NOW = 1L << 3,
};
typedef A_long PF_EventInFlags;
enum : PF_EventInFlags { PF_EI_NONE = 0, PF_EI_DONT_DRAW = 1L << 0 };

typedef A_long PF_CursorType;
enum : PF_CursorType {
    PF_Cursor_CUSTOM = -1,
    PF_Cursor_NONE = 0,
    PF_Cursor_ARROW = 1,
    PF_Cursor_FINGER_POINTER = 23,
};

typedef A_long PF_Modifiers;
enum : PF_Modifiers {
    PF_Mod_NONE = 0,
    PF_Mod_CMD_CTRL_KEY = 1L << 8,
    PF_Mod_SHIFT_KEY = 1L << 9,
    PF_Mod_CAPS_LOCK_KEY = 1L << 10,
    PF_Mod_OPT_ALT_KEY = 1L << 11,
};

// The host hands the context as a handle: a pointer to its pointer to the
// record. The window type is (*contextH)->w_type.
struct PF_Context {
    A_u_long magic;
    PF_WindowType w_type;
    A_long reserved_flt;
    A_long plugin_state[4];
    void* reserved_drawref;
    void* reserved_paneP;
};
typedef PF_Context** PF_ContextH;

struct PF_DoClickEventInfo {
    A_u_long when;
    PF_Point screen_point;
    A_long num_clicks;
    PF_Modifiers modifiers;
    A_intptr_t continue_refcon[4];
    PF_Boolean send_drag;
    PF_Boolean last_time;
};

struct PF_DrawEventInfo {
    PF_Rect update_rect;
    A_long depth;
};

struct PF_AdjustCursorEventInfo {
    PF_Point screen_point;
    PF_Modifiers modifiers;
    PF_CursorType set_cursor;
};

// 64 bytes, the size of its largest member, do_click. The host's key_down
// member is not declared: its layout is not known here and the effect does not
// read key events.
union PF_EventUnion {
    PF_DoClickEventInfo do_click;
    PF_DrawEventInfo draw;
    PF_AdjustCursorEventInfo adjust_cursor;
};

struct PF_EffectWindowInfo {
    A_long index;
    PF_EffectArea area;
    PF_Rect current_frame;
    PF_Rect param_title_frame;
    A_long horiz_offset;
};

struct PF_EventCallbacks;

struct PF_EventExtra {
    PF_ContextH contextH;
    PF_EventType e_type;
    PF_EventUnion u;
    PF_EffectWindowInfo effect_win;
    PF_EventCallbacks* cbs;
    PF_EventInFlags evt_in_flags;
    PF_EventOutFlags evt_out_flags;
};
