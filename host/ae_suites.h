// PF and AEGP suites that the host hands out by name and version.
#pragma once

#include "host/ae_event.h"
#include "host/drawbot.h"

#define kPFANSISuite "PF ANSI Suite"
#define kPFANSISuiteVersion1 1
#define kAEGPEffectSuite "AEGP Effect Suite"
#define kAEGPEffectSuiteVersion2 2
#define kAEGPPFInterfaceSuite "AEGP PF Interface Suite"
#define kAEGPPFInterfaceSuiteVersion1 1
#define kPFAppSuite "PF AE App Suite"
#define kPFAppSuiteVersion5 5
#define kPFAppSuiteVersion6 6
#define kPFAppSuiteVersion7 7
#define kPFEffectCustomUISuite "PF Effect Custom UI Suite"
#define kPFEffectCustomUISuiteVersion1 1
#define kPFWorldSuite "PF World Suite"
#define kPFWorldSuiteVersion2 2
#define kPFHandleSuite "PF Handle Suite"
#define kPFHandleSuiteVersion1 1
#define kPFIterateFloatSuite "PF iterateFloat Suite"
#define kPFIterateFloatSuiteVersion1 1
#define kPFParamUtilsSuite "PF Param Utils Suite"
#define kPFParamUtilsSuiteVersion3 3
#define kPFIterate8Suite "PF Iterate8 Suite"
#define kPFIterate8SuiteVersion1 1
#define kPFColorParamSuite "PF ColorParamSuite"
#define kPFColorParamSuiteVersion1 1

enum { PF_APP_LANG_TAG_SIZE = 6 };

typedef A_long AEGP_PluginID;
typedef struct _AEGP_EffectRefH* AEGP_EffectRefH;
typedef struct _AEGP_LayerH* AEGP_LayerH;

// The order of the ANSI suite's functions is not known here: the suite is
// acquired (its refusal fails the About command) but never called through;
// texts are formatted with the C library.
struct PF_ANSICallbacksSuite1;

// "AEGP Effect Suite" up to AEGP_DisposeEffect, the ninth slot. Slots whose
// signatures are not needed are declared without them.
struct AEGP_EffectSuite2 {
    A_Err(AE_CALLBACK* AEGP_GetLayerNumEffects)(AEGP_LayerH layerH, A_long* num_effectsPL);
    A_Err(AE_CALLBACK* AEGP_GetLayerEffectByIndex)(AEGP_PluginID aegp_plugin_id, AEGP_LayerH layerH,
                                                  A_long layer_effect_index, AEGP_EffectRefH* effectPH);
    PF_UnknownCallback AEGP_GetInstalledKeyFromLayerEffect;
    PF_UnknownCallback AEGP_GetEffectParamUnionByIndex;
    PF_UnknownCallback AEGP_GetEffectFlags;
    PF_UnknownCallback AEGP_SetEffectFlags;
    PF_UnknownCallback AEGP_ReorderEffect;
    PF_UnknownCallback AEGP_EffectCallGeneric;
    A_Err(AE_CALLBACK* AEGP_DisposeEffect)(AEGP_EffectRefH effectH);
};

// "AEGP PF Interface Suite" up to AEGP_GetNewEffectForEffect, the second slot.
struct AEGP_PFInterfaceSuite1 {
    A_Err(AE_CALLBACK* AEGP_GetEffectLayer)(PF_ProgPtr effect_ref, AEGP_LayerH* layerPH);
    A_Err(AE_CALLBACK* AEGP_GetNewEffectForEffect)(AEGP_PluginID aegp_plugin_id, PF_ProgPtr effect_ref,
                                                  AEGP_EffectRefH* effectPH);
};

// "PF AE App Suite", versions 5 and 6 alike (version 5 added PF_AppGetLanguage
// as the third slot; later versions append). Eleven slots; the effect calls
// PF_AppGetLanguage (2) and PF_InvalidateRect (9).
struct PF_App_Color;  // not used; its layout is not relied on
struct PFAppSuite6 {
    PF_Err(AE_CALLBACK* PF_AppGetBgColor)(PF_App_Color* bg_colorP);
    PF_UnknownCallback PF_AppGetColor;
    PF_Err(AE_CALLBACK* PF_AppGetLanguage)(A_char lang_tagZ[PF_APP_LANG_TAG_SIZE]);
    PF_UnknownCallback PF_GetPersonalInfo;
    PF_UnknownCallback PF_GetFontStyleSheet;
    PF_UnknownCallback PF_SetCursor;
    PF_UnknownCallback PF_IsRenderEngine;
    PF_UnknownCallback PF_AppColorPickerDialog;
    PF_UnknownCallback PF_GetMouse;
    PF_Err(AE_CALLBACK* PF_InvalidateRect)(const PF_ContextH contextH, const PF_Rect* rectP0);
    PF_UnknownCallback PF_ConvertLocalToGlobal;
};
typedef PFAppSuite6 PFAppSuite5;

struct PF_EffectCustomUISuite1 {
    PF_Err(AE_CALLBACK* PF_GetDrawingReference)(const PF_ContextH effect_contextH, DRAWBOT_DrawRef* referenceP0);
};

struct PF_WorldSuite2 {
    PF_Err(AE_CALLBACK* PF_NewWorld)(PF_ProgPtr effect_ref, A_long widthL, A_long heightL, PF_Boolean clear_pixB,
                                     PF_PixelFormat pixel_format, PF_EffectWorld* worldP);
    PF_Err(AE_CALLBACK* PF_DisposeWorld)(PF_ProgPtr effect_ref, PF_EffectWorld* worldP);
    PF_Err(AE_CALLBACK* PF_GetPixelFormat)(const PF_EffectWorld* worldP, PF_PixelFormat* pixel_formatP);
};

// "PF Handle Suite" exists at version 1 only. Whether host_lock_handle hands
// back the block is not settled: nothing may rely on its result.
struct PF_HandleSuite1 {
    PF_Handle(AE_CALLBACK* host_new_handle)(A_HandleSize size);
    void*(AE_CALLBACK* host_lock_handle)(PF_Handle pf_handle);
    void(AE_CALLBACK* host_unlock_handle)(PF_Handle pf_handle);
    void(AE_CALLBACK* host_dispose_handle)(PF_Handle pf_handle);
    A_HandleSize(AE_CALLBACK* host_get_handle_size)(PF_Handle pf_handle);
    PF_Err(AE_CALLBACK* host_resize_handle)(A_HandleSize new_sizeL, PF_Handle* handlePH);
};

// "PF Iterate8 Suite" up to iterate_generic, the fifth slot; the four before it
// (iterate, iterate_origin, iterate_lut, iterate_origin_non_clip_src) are not
// called. The host calls fn_func iterationsL times on its worker threads
// (PF_Iterations_ONCE_PER_PROCESSOR: once per worker), with the worker's
// thread index and the iteration's index.
enum { PF_Iterations_ONCE_PER_PROCESSOR = -1 };
typedef PF_Err(AE_CALLBACK* PF_IterateGenericFunc)(void* refconPV, A_long thread_indexL, A_long i_thread,
                                                   A_long iterationsL);
struct PF_Iterate8Suite1 {
    PF_UnknownCallback iterate;
    PF_UnknownCallback iterate_origin;
    PF_UnknownCallback iterate_lut;
    PF_UnknownCallback iterate_origin_non_clip_src;
    PF_Err(AE_CALLBACK* iterate_generic)(A_long iterationsL, void* refconPV, PF_IterateGenericFunc fn_func);
};

struct PF_iterateFloatSuite1 {
    PF_Err(AE_CALLBACK* iterate)(PF_InData* in_data, A_long progress_base, A_long progress_final,
                                 PF_EffectWorld* src, const PF_Rect* area, void* refcon,
                                 PF_Err(AE_CALLBACK* pix_fn)(void* refcon, A_long x, A_long y, PF_PixelFloat* in,
                                                             PF_PixelFloat* out),
                                 PF_EffectWorld* dst);
};

// A moment or a span of the host's time: value / scale seconds.
struct A_Time {
    A_long value;
    A_u_long scale;
};


// What a parameter shows over a span of time, as the host identifies it;
// compared by its bytes.
struct PF_State {
    A_long reserved[4];
};

// "PF ColorParamSuite" version 1: a colour parameter's value with the
// precision the host keeps it in (high dynamic range components included).
struct PF_ColorParamSuite1 {
    PF_Err(AE_CALLBACK* PF_GetFloatingPointColorFromColorDef)(PF_ProgPtr effect_ref, const PF_ParamDef* color_defP,
                                                              PF_PixelFloat* fp_colorP);
};

// "PF Param Utils Suite" version 3 up to PF_AreStatesIdentical, the third slot
// (the two functions that version 3 no longer supports take no slot). The
// effect calls PF_GetCurrentState only: of the input layer (index 0), over one
// frame's time and duration, never all time (null start and duration).
struct PF_ParamUtilsSuite3 {
    PF_Err(AE_CALLBACK* PF_UpdateParamUI)(PF_ProgPtr effect_ref, PF_ParamIndex param_index, const PF_ParamDef* defP);
    PF_Err(AE_CALLBACK* PF_GetCurrentState)(PF_ProgPtr effect_ref, PF_ParamIndex param_index, const A_Time* startPT0,
                                            const A_Time* durationPT0, PF_State* stateP);
    PF_Err(AE_CALLBACK* PF_AreStatesIdentical)(PF_ProgPtr effect_ref, const PF_State* state1P,
                                               const PF_State* state2P, A_Boolean* samePB);
};
