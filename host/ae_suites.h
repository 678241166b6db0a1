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
#define kPFAppSuiteVersion6 6
#define kPFAppSuiteVersion7 7
#define kPFEffectCustomUISuite "PF Effect Custom UI Suite"
#define kPFEffectCustomUISuiteVersion1 1
#define kPFWorldSuite "PF World Suite"
#define kPFWorldSuiteVersion2 2
#define kPFHandleSuite "PF Handle Suite"
#define kPFHandleSuiteVersion2 2
#define kPFIterateFloatSuite "PF iterateFloat Suite"
#define kPFIterateFloatSuiteVersion1 1

enum { PF_APP_LANG_TAG_SIZE = 6 };

typedef A_long AEGP_PluginID;
typedef struct _AEGP_EffectRefH* AEGP_EffectRefH;
typedef struct _AEGP_LayerH* AEGP_LayerH;

struct PF_ANSICallbacksSuite1 {
    A_FpLong(AE_CALLBACK* atan)(A_FpLong);
    A_FpLong(AE_CALLBACK* atan2)(A_FpLong y, A_FpLong x);
    A_FpLong(AE_CALLBACK* ceil)(A_FpLong);
    A_FpLong(AE_CALLBACK* cos)(A_FpLong);
    A_FpLong(AE_CALLBACK* exp)(A_FpLong);
    A_FpLong(AE_CALLBACK* fabs)(A_FpLong);
    A_FpLong(AE_CALLBACK* floor)(A_FpLong);
    A_FpLong(AE_CALLBACK* fmod)(A_FpLong x, A_FpLong y);
    A_FpLong(AE_CALLBACK* hypot)(A_FpLong x, A_FpLong y);
    A_FpLong(AE_CALLBACK* log)(A_FpLong);
    A_FpLong(AE_CALLBACK* log10)(A_FpLong);
    A_FpLong(AE_CALLBACK* pow)(A_FpLong x, A_FpLong y);
    A_FpLong(AE_CALLBACK* sin)(A_FpLong);
    A_FpLong(AE_CALLBACK* sqrt)(A_FpLong);
    A_FpLong(AE_CALLBACK* tan)(A_FpLong);
    int(AE_CALLBACK* sprintf)(A_char* buffer, const A_char* format, ...);
    A_char*(AE_CALLBACK* strcpy)(A_char* dst, const A_char* src);
    A_FpLong(AE_CALLBACK* asin)(A_FpLong);
    A_FpLong(AE_CALLBACK* acos)(A_FpLong);
};

struct AEGP_EffectSuite2 {
    A_Err(AE_CALLBACK* AEGP_GetLayerNumEffects)(AEGP_LayerH layerH, A_long* num_effectsPL);
    A_Err(AE_CALLBACK* AEGP_GetLayerEffectByIndex)(AEGP_PluginID aegp_plugin_id, AEGP_LayerH layerH,
                                                  A_long layer_effect_index, AEGP_EffectRefH* effectPH);
    A_Err(AE_CALLBACK* AEGP_DisposeEffect)(AEGP_EffectRefH effectH);
};

struct AEGP_PFInterfaceSuite1 {
    A_Err(AE_CALLBACK* AEGP_GetEffectLayer)(PF_ProgPtr effect_ref, AEGP_LayerH* layerPH);
    A_Err(AE_CALLBACK* AEGP_GetNewEffectForEffect)(AEGP_PluginID aegp_plugin_id, PF_ProgPtr effect_ref,
                                                  AEGP_EffectRefH* effectPH);
};

// Version 6 and version 7 of the application suite share their first slots.
struct PFAppSuite6 {
    PF_Err(AE_CALLBACK* PF_AppGetBgColor)(A_FpLong* redP, A_FpLong* greenP, A_FpLong* blueP);
    PF_Err(AE_CALLBACK* PF_InvalidateRect)(const PF_ContextH contextH, const PF_Rect* rectP0);
    PF_Err(AE_CALLBACK* PF_AppGetLanguage)(A_char lang_tagZ[PF_APP_LANG_TAG_SIZE]);
};
struct PFAppSuite7 {
    PF_Err(AE_CALLBACK* PF_AppGetBgColor)(A_FpLong* redP, A_FpLong* greenP, A_FpLong* blueP);
    PF_Err(AE_CALLBACK* PF_InvalidateRect)(const PF_ContextH contextH, const PF_Rect* rectP0);
    PF_Err(AE_CALLBACK* PF_AppGetLanguage)(A_char lang_tagZ[PF_APP_LANG_TAG_SIZE]);
    PF_Err(AE_CALLBACK* PF_AppGetColorAtTime)(A_long time, A_long time_scale, A_FpLong* valueP);
};

struct PF_EffectCustomUISuite1 {
    PF_Err(AE_CALLBACK* PF_GetDrawingReference)(const PF_ContextH effect_contextH, DRAWBOT_DrawRef* referenceP0);
};

struct PF_WorldSuite2 {
    PF_Err(AE_CALLBACK* PF_NewWorld)(PF_ProgPtr effect_ref, A_long widthL, A_long heightL, PF_Boolean clear_pixB,
                                     PF_PixelFormat pixel_format, PF_EffectWorld* worldP);
    PF_Err(AE_CALLBACK* PF_DisposeWorld)(PF_ProgPtr effect_ref, PF_EffectWorld* worldP);
    PF_Err(AE_CALLBACK* PF_GetPixelFormat)(const PF_EffectWorld* worldP, PF_PixelFormat* pixel_formatP);
};

struct PF_HandleSuite2 {
    PF_Handle(AE_CALLBACK* host_new_handle)(A_HandleSize size);
    void*(AE_CALLBACK* host_lock_handle)(PF_Handle pf_handle);
    void(AE_CALLBACK* host_unlock_handle)(PF_Handle pf_handle);
    void(AE_CALLBACK* host_dispose_handle)(PF_Handle pf_handle);
    A_HandleSize(AE_CALLBACK* host_get_handle_size)(PF_Handle pf_handle);
    PF_Err(AE_CALLBACK* host_resize_handle)(A_HandleSize new_sizeL, PF_Handle* handlePH);
};

struct PF_iterateFloatSuite1 {
    PF_Err(AE_CALLBACK* iterate)(PF_InData* in_data, A_long progress_base, A_long progress_final,
                                 PF_EffectWorld* src, const PF_Rect* area, void* refcon,
                                 PF_Err(AE_CALLBACK* pix_fn)(void* refcon, A_long x, A_long y, PF_PixelFloat* in,
                                                             PF_PixelFloat* out),
                                 PF_EffectWorld* dst);
};
