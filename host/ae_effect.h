// Records, callbacks, command codes and flags of the host's effect protocol.
#pragma once

#include "host/ae_basic.h"

// ---- commands ---------------------------------------------------------------
typedef A_long PF_Cmd;
enum : PF_Cmd {
    PF_Cmd_ABOUT = 0,
    PF_Cmd_GLOBAL_SETUP = 1,
    PF_Cmd_UNUSED_0 = 2,
    PF_Cmd_GLOBAL_SETDOWN = 3,
    PF_Cmd_PARAMS_SETUP = 4,
    PF_Cmd_SEQUENCE_SETUP = 5,
    PF_Cmd_SEQUENCE_RESETUP = 6,
    PF_Cmd_SEQUENCE_FLATTEN = 7,
    PF_Cmd_SEQUENCE_SETDOWN = 8,
    PF_Cmd_DO_DIALOG = 9,
    PF_Cmd_FRAME_SETUP = 10,
    PF_Cmd_RENDER = 11,
    PF_Cmd_FRAME_SETDOWN = 12,
    PF_Cmd_USER_CHANGED_PARAM = 13,
    PF_Cmd_UPDATE_PARAMS_UI = 14,
    PF_Cmd_EVENT = 15,
    PF_Cmd_GET_EXTERNAL_DEPENDENCIES = 16,
    PF_Cmd_COMPLETELY_GENERAL = 17,
    PF_Cmd_QUERY_DYNAMIC_FLAGS = 18,
    PF_Cmd_AUDIO_RENDER = 19,
    PF_Cmd_AUDIO_SETUP = 20,
    PF_Cmd_AUDIO_SETDOWN = 21,
    PF_Cmd_ARBITRARY_CALLBACK = 22,
    PF_Cmd_SMART_PRE_RENDER = 23,
    PF_Cmd_SMART_RENDER = 24,
};

// ---- out flags ----------------------------------------------------------------
enum : A_long {
    PF_OutFlag_NONE = 0,
    PF_OutFlag_KEEP_RESOURCE_OPEN = 1L << 0,
    PF_OutFlag_WIDE_TIME_INPUT = 1L << 1,
    PF_OutFlag_NON_PARAM_VARY = 1L << 2,
    PF_OutFlag_SEQUENCE_DATA_NEEDS_FLATTENING = 1L << 4,
    PF_OutFlag_I_DO_DIALOG = 1L << 5,
    PF_OutFlag_USE_OUTPUT_EXTENT = 1L << 6,
    PF_OutFlag_SEND_DO_DIALOG = 1L << 7,
    PF_OutFlag_DISPLAY_ERROR_MESSAGE = 1L << 8,
    PF_OutFlag_I_EXPAND_BUFFER = 1L << 9,
    PF_OutFlag_PIX_INDEPENDENT = 1L << 10,
    PF_OutFlag_I_WRITE_INPUT_BUFFER = 1L << 11,
    PF_OutFlag_I_SHRINK_BUFFER = 1L << 12,
    PF_OutFlag_WORKS_IN_PLACE = 1L << 13,
    PF_OutFlag_CUSTOM_UI = 1L << 15,
    PF_OutFlag_REFRESH_UI = 1L << 17,
    PF_OutFlag_SEND_UPDATE_PARAMS_UI = 1L << 22,
    PF_OutFlag_DEEP_COLOR_AWARE = 1L << 25,
};
enum : A_long {
    PF_OutFlag2_NONE = 0,
    PF_OutFlag2_SUPPORTS_QUERY_DYNAMIC_FLAGS = 1L << 0,
    PF_OutFlag2_I_USE_3D_CAMERA = 1L << 1,
    PF_OutFlag2_I_USE_3D_LIGHTS = 1L << 2,
    PF_OutFlag2_PARAM_GROUP_START_COLLAPSED_FLAG = 1L << 3,
    PF_OutFlag2_I_AM_THREADSAFE = 1L << 4,
    PF_OutFlag2_SUPPORTS_SMART_RENDER = 1L << 10,
    PF_OutFlag2_FLOAT_COLOR_AWARE = 1L << 12,
    PF_OutFlag2_SUPPORTS_THREADED_RENDERING = 1L << 27,
};

// ---- geometry -------------------------------------------------------------------
// Layouts below are the host's own 64-bit layouts (natural alignment; the host
// packs to 8). tests/test_host_layout.cpp holds every offset the effect relies
// on, and scripts/check-host-abi compares them with the host's own headers.
struct PF_Rect {
    A_long left, top, right, bottom;
};
typedef PF_Rect PF_LRect;
struct PF_Point {
    A_long h, v;
};
struct PF_RationalScale {
    A_long num;
    A_u_long den;
};
struct PF_FloatMatrix {
    PF_FpLong mat[3][3];
};

// ---- pixels and worlds -----------------------------------------------------------
struct PF_Pixel {
    A_u_char alpha, red, green, blue;
};
typedef PF_Pixel PF_Pixel8;
struct PF_Pixel16 {
    A_u_short alpha, red, green, blue;
};
struct PF_PixelFloat {
    PF_FpShort alpha, red, green, blue;
};
typedef PF_PixelFloat PF_Pixel32;
typedef PF_Pixel* PF_PixelPtr;

// Four characters packed low byte first ('a','r','g','b' -> 0x62677261).
typedef A_long PF_PixelFormat;
enum : PF_PixelFormat {
    PF_PixelFormat_ARGB32 = 0x62677261,
    PF_PixelFormat_ARGB64 = 0x36316561,
    PF_PixelFormat_ARGB128 = 0x32336561,
    PF_PixelFormat_INVALID = 0x646c6962,
};

enum : A_long {
    PF_WorldFlag_DEEP = 1L << 0,
    PF_WorldFlag_WRITEABLE = 1L << 1,
};

// A host image, 120 bytes. The host keeps its own bookkeeping in the reserved
// members; the effect reads only the documented ones and reaches pixels
// through `data` and `rowbytes` alone.
struct PF_LayerDef {
    void* reserved0;
    void* reserved1;
    A_long world_flags;
    PF_PixelPtr data;
    A_long rowbytes;
    A_long width;
    A_long height;
    PF_Rect extent_hint;
    void* platform_ref;
    A_long reserved_long1;
    void* reserved_long4;
    PF_RationalScale pix_aspect_ratio;
    void* reserved_long2;
    A_long origin_x, origin_y;
    A_long reserved_long3;
    A_long dephault;
};
typedef PF_LayerDef PF_EffectWorld;

// ---- parameters ----------------------------------------------------------------------
typedef A_long PF_ParamType;
enum : PF_ParamType {
    PF_Param_RESERVED = -1,
    PF_Param_LAYER = 0,
    PF_Param_SLIDER = 1,
    PF_Param_FIX_SLIDER = 2,
    PF_Param_ANGLE = 3,
    PF_Param_CHECKBOX = 4,
    PF_Param_COLOR = 5,
    PF_Param_POINT = 6,
    PF_Param_POPUP = 7,
    PF_Param_CUSTOM = 8,
    PF_Param_NO_DATA = 9,
    PF_Param_FLOAT_SLIDER = 10,
    PF_Param_ARBITRARY_DATA = 11,
    PF_Param_PATH = 12,
    PF_Param_GROUP_START = 13,
    PF_Param_GROUP_END = 14,
    PF_Param_BUTTON = 15,
};

typedef A_long PF_ParamFlags;
enum : PF_ParamFlags {
    PF_ParamFlag_RESERVED1 = 1L << 0,
    PF_ParamFlag_CANNOT_TIME_VARY = 1L << 1,
    PF_ParamFlag_CANNOT_INTERP = 1L << 2,
    PF_ParamFlag_RESERVED2 = 1L << 3,
    PF_ParamFlag_RESERVED3 = 1L << 4,
    PF_ParamFlag_COLLAPSE_TWIRLY = 1L << 5,
    PF_ParamFlag_START_COLLAPSED = PF_ParamFlag_COLLAPSE_TWIRLY,
    PF_ParamFlag_SUPERVISE = 1L << 6,
    PF_ParamFlag_USE_VALUE_FOR_OLD_PROJECTS = 1L << 7,
};

typedef A_long PF_ParamUIFlags;
enum : PF_ParamUIFlags {
    PF_PUI_NONE = 0,
    PF_PUI_TOPIC = 1L << 0,
    PF_PUI_CONTROL = 1L << 1,
    PF_PUI_STD_CONTROL_ONLY = 1L << 2,
    PF_PUI_NO_ECW_UI = 1L << 3,
    PF_PUI_ECW_SEPARATOR = 1L << 4,
    PF_PUI_DISABLED = 1L << 5,
    PF_PUI_INVISIBLE = 1L << 8,
};

typedef A_long PF_ChangeFlags;
enum : PF_ChangeFlags {
    PF_ChangeFlag_NONE = 0,
    PF_ChangeFlag_CHANGED_VALUE = 1L << 0,
};

enum { PF_MAX_EFFECT_PARAM_NAME_LEN = 31, PF_MAX_EFFECT_MSG_LEN = 255, PF_MAX_EFFECT_NAME_LEN = 31 };

// The integer and fixed sliders: only `value`, the first member, is read (the
// effect declares float sliders; these come only from a host that changed a
// parameter's type). The rest of their layout is not relied on.
struct PF_SliderDef {
    A_long value;
    A_char value_str[32];
    A_char value_desc[32];
    A_long valid_min, valid_max;
    A_long slider_min, slider_max;
    A_long dephault;
};

struct PF_FixedSliderDef {
    PF_Fixed value;
    A_char value_str[32];
    A_char value_desc[32];
    PF_Fixed valid_min, valid_max;
    PF_Fixed slider_min, slider_max;
    PF_Fixed dephault;
    A_short precision;
    A_short display_flags;
};

typedef A_u_long PF_FSliderFlags;
// 88 bytes.
struct PF_FloatSliderDef {
    PF_FpLong value;
    PF_FpLong phase;
    A_char value_desc[32];
    PF_FpShort valid_min, valid_max;
    PF_FpShort slider_min, slider_max;
    PF_FpShort dephault;
    A_short precision;
    A_short display_flags;
    PF_FSliderFlags fs_flags;
    PF_FpShort curve_tolerance;
    PF_Boolean useExponent;
    PF_FpShort exponent;
};

// `value` is 0 or 1: the effect writes and reads nothing else.
struct PF_CheckBoxDef {
    A_long value;
    PF_Boolean dephault;
    A_char reserved;
    A_short reserved1;
    union {
        const A_char* nameptr;
    } u;
};

struct PF_PopupDef {
    A_long value;
    A_short num_choices;
    A_short dephault;
    union {
        const A_char* namesptr;
    } u;
};

// A colour parameter: `value` is the colour (alpha unused); 8 bytes.
struct PF_ColorDef {
    PF_Pixel value;
    PF_Pixel dephault;
};

// 120 bytes: the layer is its largest member.
union PF_ParamDefUnion {
    PF_LayerDef ld;
    PF_SliderDef sd;
    PF_FixedSliderDef fd;
    PF_FloatSliderDef fs_d;
    PF_CheckBoxDef bd;
    PF_PopupDef pd;
    PF_ColorDef cd;
};

// 176 bytes.
struct PF_ParamDef {
    union {
        A_long id;
        PF_ChangeFlags change_flags;
    } uu;
    PF_ParamUIFlags ui_flags;
    A_short ui_width;
    A_short ui_height;
    PF_ParamType param_type;
    A_char name[32];
    PF_ParamFlags flags;
    A_long unused;
    PF_ParamDefUnion u;
};
typedef PF_ParamDef* PF_ParamDefPtr;

typedef A_long PF_ParamIndex;
// The `extra` of PF_Cmd_USER_CHANGED_PARAM: which parameter the user changed.
struct PF_UserChangedParamExtra {
    PF_ParamIndex param_index;
};
typedef PF_ParamDef** PF_ParamList;

// ---- custom UI registration --------------------------------------------------------
enum : A_long {
    PF_CustomEFlag_NONE = 0,
    PF_CustomEFlag_COMP = 1L << 0,
    PF_CustomEFlag_LAYER = 1L << 1,
    PF_CustomEFlag_EFFECT = 1L << 2,
    PF_CustomEFlag_PREVIEW = 1L << 3,
};
// 44 bytes; the host's record starts with a reserved member.
struct PF_CustomUIInfo {
    A_long reserved;
    A_long events;
    A_long comp_ui_width, comp_ui_height, comp_ui_alignment;
    A_long layer_ui_width, layer_ui_height, layer_ui_alignment;
    A_long preview_ui_width, preview_ui_height, preview_ui_alignment;
};

// ---- callbacks -------------------------------------------------------------------------
typedef void* PF_ProgPtr;
typedef struct _PF_Handle* PF_Handle;

typedef A_long PF_Quality;
enum : PF_Quality { PF_Quality_LO = 0, PF_Quality_HI = 1 };
typedef A_long PF_ModeFlags;
enum : PF_ModeFlags { PF_MF_Alpha_PREMUL = 0, PF_MF_Alpha_STRAIGHT = 1 };
typedef A_long PF_Field;
enum : PF_Field { PF_Field_FRAME = 0, PF_Field_UPPER = 1, PF_Field_LOWER = 2 };
typedef A_long PF_TransferMode;
enum : PF_TransferMode { PF_Xfer_NONE = -1, PF_Xfer_COPY = 0 };

// A slot whose signature is not known here. The effect never calls it; it is
// declared so that every later member lies where the host puts it.
typedef void(AE_CALLBACK* PF_UnknownCallback)(void);

// 176 bytes, embedded at the start of PF_InData. The three audio callbacks and
// the reserved pointers follow the six the effect may use.
struct PF_InteractCallbacks {
    PF_Err(AE_CALLBACK* checkout_param)(PF_ProgPtr effect_ref, A_long index, A_long what_time,
                                        A_long time_step, A_u_long time_scale, PF_ParamDef* param);
    PF_Err(AE_CALLBACK* checkin_param)(PF_ProgPtr effect_ref, PF_ParamDef* param);
    PF_Err(AE_CALLBACK* add_param)(PF_ProgPtr effect_ref, A_long index, PF_ParamDefPtr def);
    PF_Err(AE_CALLBACK* abort)(PF_ProgPtr effect_ref);
    PF_Err(AE_CALLBACK* progress)(PF_ProgPtr effect_ref, A_long current, A_long total);
    PF_Err(AE_CALLBACK* register_ui)(PF_ProgPtr effect_ref, PF_CustomUIInfo* cust_info);
    PF_UnknownCallback checkout_layer_audio;
    PF_UnknownCallback checkin_layer_audio;
    PF_UnknownCallback get_audio_data;
    void* reserved_str[3];
    void* reserved[10];
};

// The host's utility table. Its order is not known here, so it is declared
// without members: the effect never calls through it (texts are formatted with
// the C library, pixels are reached through `data` and `rowbytes`, and the
// histogram's thumbnail is resampled by the effect itself).
struct PF_UtilCallbacks;

// Sound records appear in PF_InData and PF_OutData; the effect has no sound.
struct PF_SoundFormatInfo {
    PF_FpLong rateF;
    A_short num_channels;
    A_short format;
    A_short sample_size;
};
struct PF_SoundWorld {
    PF_SoundFormatInfo fi;
    A_long num_samples;
    void* dataP;
};

struct PF_SpecVersion {
    A_short major;
    A_short minor;
};

// ---- in data / out data -------------------------------------------------------------------
// 408 bytes.
struct PF_InData {
    PF_InteractCallbacks inter;
    PF_UtilCallbacks* utils;
    PF_ProgPtr effect_ref;
    PF_Quality quality;
    PF_SpecVersion version;
    A_long serial_num;
    A_long appl_id;
    A_long num_params;
    A_long reserved;
    A_long what_cpu;
    A_long what_fpu;
    A_long current_time;
    A_long time_step;
    A_long total_time;
    A_long local_time_step;
    A_u_long time_scale;
    PF_Field field;
    PF_Fixed shutter_angle;
    A_long width;
    A_long height;
    PF_Rect extent_hint;
    A_long output_origin_x;
    A_long output_origin_y;
    PF_RationalScale downsample_x;
    PF_RationalScale downsample_y;
    PF_RationalScale pixel_aspect_ratio;
    A_long in_flags;
    PF_Handle global_data;
    PF_Handle sequence_data;
    PF_Handle frame_data;
    A_long start_sampL;
    A_long dur_sampL;
    A_long total_sampL;
    PF_SoundWorld src_snd;
    const SPBasicSuite* pica_basicP;
    A_long pre_effect_source_origin_x;
    A_long pre_effect_source_origin_y;
    PF_Fixed shutter_phase;
};

// 408 bytes.
struct PF_OutData {
    A_u_long my_version;
    A_char name[32];
    PF_Handle global_data;
    A_long num_params;
    PF_Handle sequence_data;
    A_long flat_sdata_size;
    PF_Handle frame_data;
    A_long width;
    A_long height;
    PF_Point origin;
    A_long out_flags;
    A_char return_msg[256];
    A_long start_sampL;
    A_long dur_sampL;
    PF_SoundWorld dest_snd;
    A_long out_flags2;
};

// ---- smart rendering ------------------------------------------------------------------------
// The records of PF_Cmd_SMART_PRE_RENDER and PF_Cmd_SMART_RENDER. Members the
// host prints as `long` are 32-bit here (the Windows `long`), so the Linux
// build has the same layout. tests/test_host_layout.cpp holds every offset.
typedef A_long PF_ChannelMask;
enum : PF_ChannelMask {
    PF_ChannelMask_ALPHA = 1,
    PF_ChannelMask_RED = 2,
    PF_ChannelMask_GREEN = 4,
    PF_ChannelMask_BLUE = 8,
    PF_ChannelMask_ARGB = 15,
};
typedef A_long PF_GPU_Framework;
enum : PF_GPU_Framework { PF_GPU_Framework_NONE = 0 };
typedef A_short PF_RenderOutputFlags;
enum : PF_RenderOutputFlags { PF_RenderOutputFlag_RETURNS_EXTRA_PIXELS = 1 };

// 44 bytes.
struct PF_RenderRequest {
    PF_LRect rect;
    PF_Field field;
    PF_ChannelMask channel_mask;
    PF_Boolean preserve_rgb_of_zero_alpha;
    char unused[3];
    A_long reserved[4];
};

// 64 bytes.
struct PF_PreRenderInput {
    PF_RenderRequest output_request;
    A_short bitdepth;  // bits per channel: 8, 16 or 32
    const void* gpu_data;
    PF_GPU_Framework what_gpu;
    A_u_long device_index;
};

typedef void (*PF_DeletePreRenderDataFunc)(void* pre_render_data);

// 56 bytes.
struct PF_PreRenderOutput {
    PF_LRect result_rect;
    PF_LRect max_result_rect;
    PF_Boolean solid;
    PF_Boolean reserved;
    PF_RenderOutputFlags flags;
    void* pre_render_data;
    PF_DeletePreRenderDataFunc delete_pre_render_data_func;
};

// 56 bytes as far as it is known; the host writes it, so the effect hands
// over a zeroed buffer of at least kCheckoutResultBufferBytes.
struct PF_CheckoutResult {
    PF_LRect result_rect;
    PF_LRect max_result_rect;
    PF_RationalScale par;
    A_long solid;
    PF_Boolean reservedB[3];
    A_long ref_width;
    A_long ref_height;
};
enum { kCheckoutResultBufferBytes = 128 };

// 72 bytes.
struct PF_SmartRenderInput {
    PF_RenderRequest output_request;
    A_short bitdepth;
    void* pre_render_data;
    const void* gpu_data;
    PF_GPU_Framework what_gpu;
    A_u_long device_index;
};

// Only the first slot of each callback table is known to be checkout_layer
// (pre-render) and the first three those below (smart render).
struct PF_PreRenderCallbacks {
    PF_Err(AE_CALLBACK* checkout_layer)(PF_ProgPtr effect_ref, A_long index, A_long checkout_id,
                                        const PF_RenderRequest* req, A_long what_time, A_long time_step,
                                        A_u_long time_scale, PF_CheckoutResult* checkout_result);
};

struct PF_SmartRenderCallbacks {
    PF_Err(AE_CALLBACK* checkout_layer_pixels)(PF_ProgPtr effect_ref, A_long checkout_id, PF_EffectWorld** pixels);
    PF_Err(AE_CALLBACK* checkin_layer_pixels)(PF_ProgPtr effect_ref, A_long checkout_id);
    PF_Err(AE_CALLBACK* checkout_output)(PF_ProgPtr effect_ref, PF_EffectWorld** output);
};

// 24 bytes.
struct PF_PreRenderExtra {
    PF_PreRenderInput* input;
    PF_PreRenderOutput* output;
    PF_PreRenderCallbacks* cb;
};

// 16 bytes.
struct PF_SmartRenderExtra {
    PF_SmartRenderInput* input;
    PF_SmartRenderCallbacks* cb;
};
