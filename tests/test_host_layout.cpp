// The host's binary layout, member by member, and the host's values. The
// expected offsets, sizes and values are written here from the host's
// documented 64-bit layouts, not computed from our declarations: a member
// dropped, moved or resized in host/, a pixel's channels reordered, or a
// command number, flag bit, pixel-format code, event or window type changed
// fails a row. Each value row and pixel-order row names where its expectation
// comes from: G the host's plug-in guide, R the host's published interface as
// recalled by more than one reader, S the effect's own design notes on the
// host's values. The same table runs in the Linux build and in the Windows
// build under Wine, so both are held to one layout; scripts/check-host-abi
// compares every row with the host's own headers.
#include <gtest/gtest.h>

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "host/ae_suites.h"

namespace {

struct Layout {
    const char* what;
    size_t actual;
    size_t expected;
};
void PrintTo(const Layout& l, std::ostream* os) { *os << l.what; }

#define AT(record, member, offset) \
    Layout { #record "." #member " at", offsetof(record, member), offset }
#define SIZE(record, bytes) \
    Layout { "sizeof " #record, sizeof(record), bytes }
#define MEMBER_SIZE(record, member, bytes) \
    Layout { "sizeof " #record "." #member, sizeof(record::member), bytes }
#define SLOT(table, function, slot) \
    Layout { #table "." #function " in slot", offsetof(table, function) / sizeof(void*), slot }
// A member's offset whose expectation names its source mark (G, R or S).
#define FIELD(record, member, offset, mark) \
    Layout { #record "." #member " at (" #mark ")", offsetof(record, member), offset }

struct Value {
    const char* what;
    long long actual;
    long long expected;
};
// A host constant's value, with the source mark (G, R or S) of its expectation.
#define VALUE(name, value, mark) \
    Value { #name " (" #mark ")", static_cast<long long>(name), static_cast<long long>(value) }

class HostLayout : public ::testing::TestWithParam<Layout> {};

TEST_P(HostLayout, MatchesTheHost) { EXPECT_EQ(GetParam().actual, GetParam().expected) << GetParam().what; }

// One test per group of values: each value that differs is named.
void expectHostValues(const std::vector<Value>& values) {
    for (const Value& v : values) EXPECT_EQ(v.actual, v.expected) << v.what;
}

// PF_EventExtra comes first: whether `cbs` is a pointer decides where
// evt_out_flags lies, which the effect writes after every event.
INSTANTIATE_TEST_SUITE_P(EventRecords, HostLayout, ::testing::Values(
    SIZE(PF_EventExtra, 144), AT(PF_EventExtra, contextH, 0), AT(PF_EventExtra, e_type, 8),
    AT(PF_EventExtra, u, 16), AT(PF_EventExtra, effect_win, 80), AT(PF_EventExtra, cbs, 128),
    AT(PF_EventExtra, evt_in_flags, 136), AT(PF_EventExtra, evt_out_flags, 140),
    MEMBER_SIZE(PF_EventExtra, contextH, 8),
    SIZE(PF_EventUnion, 64), SIZE(PF_EffectWindowInfo, 44),
    AT(PF_EffectWindowInfo, index, 0), AT(PF_EffectWindowInfo, area, 4), AT(PF_EffectWindowInfo, current_frame, 8),
    AT(PF_EffectWindowInfo, param_title_frame, 24), AT(PF_EffectWindowInfo, horiz_offset, 40),
    SIZE(PF_Context, 48), AT(PF_Context, magic, 0), AT(PF_Context, w_type, 4), AT(PF_Context, reserved_flt, 8),
    AT(PF_Context, plugin_state, 12), AT(PF_Context, reserved_drawref, 32), AT(PF_Context, reserved_paneP, 40),
    SIZE(PF_DoClickEventInfo, 64), AT(PF_DoClickEventInfo, when, 0), AT(PF_DoClickEventInfo, screen_point, 4),
    AT(PF_DoClickEventInfo, num_clicks, 12), AT(PF_DoClickEventInfo, modifiers, 16),
    AT(PF_DoClickEventInfo, continue_refcon, 24), MEMBER_SIZE(PF_DoClickEventInfo, continue_refcon, 32),
    AT(PF_DoClickEventInfo, send_drag, 56), AT(PF_DoClickEventInfo, last_time, 57),
    AT(PF_DrawEventInfo, update_rect, 0), AT(PF_DrawEventInfo, depth, 16),
    AT(PF_AdjustCursorEventInfo, screen_point, 0), AT(PF_AdjustCursorEventInfo, modifiers, 8),
    AT(PF_AdjustCursorEventInfo, set_cursor, 12)));

INSTANTIATE_TEST_SUITE_P(InData, HostLayout, ::testing::Values(
    SIZE(PF_InteractCallbacks, 176), AT(PF_InteractCallbacks, checkout_param, 0),
    AT(PF_InteractCallbacks, checkin_param, 8), AT(PF_InteractCallbacks, add_param, 16),
    AT(PF_InteractCallbacks, abort, 24), AT(PF_InteractCallbacks, progress, 32),
    AT(PF_InteractCallbacks, register_ui, 40), AT(PF_InteractCallbacks, checkout_layer_audio, 48),
    AT(PF_InteractCallbacks, checkin_layer_audio, 56), AT(PF_InteractCallbacks, get_audio_data, 64),
    AT(PF_InteractCallbacks, reserved_str, 72), AT(PF_InteractCallbacks, reserved, 96),
    SIZE(PF_InData, 408), AT(PF_InData, inter, 0), AT(PF_InData, utils, 176), AT(PF_InData, effect_ref, 184),
    AT(PF_InData, quality, 192), AT(PF_InData, version, 196), MEMBER_SIZE(PF_InData, version, 4),
    AT(PF_InData, serial_num, 200), AT(PF_InData, appl_id, 204), AT(PF_InData, num_params, 208),
    AT(PF_InData, reserved, 212), AT(PF_InData, what_cpu, 216), AT(PF_InData, what_fpu, 220),
    AT(PF_InData, current_time, 224), AT(PF_InData, time_step, 228), AT(PF_InData, total_time, 232),
    AT(PF_InData, local_time_step, 236), AT(PF_InData, time_scale, 240), AT(PF_InData, field, 244),
    AT(PF_InData, shutter_angle, 248), AT(PF_InData, width, 252), AT(PF_InData, height, 256),
    AT(PF_InData, extent_hint, 260), AT(PF_InData, output_origin_x, 276), AT(PF_InData, output_origin_y, 280),
    AT(PF_InData, downsample_x, 284), AT(PF_InData, downsample_y, 292), AT(PF_InData, pixel_aspect_ratio, 300),
    AT(PF_InData, in_flags, 308), AT(PF_InData, global_data, 312), AT(PF_InData, sequence_data, 320),
    AT(PF_InData, frame_data, 328), AT(PF_InData, start_sampL, 336), AT(PF_InData, dur_sampL, 340),
    AT(PF_InData, total_sampL, 344), AT(PF_InData, src_snd, 352), AT(PF_InData, pica_basicP, 384),
    AT(PF_InData, pre_effect_source_origin_x, 392), AT(PF_InData, pre_effect_source_origin_y, 396),
    AT(PF_InData, shutter_phase, 400),
    SIZE(PF_SoundWorld, 32), AT(PF_SoundWorld, fi, 0), SIZE(PF_SoundFormatInfo, 16),
    AT(PF_SoundWorld, num_samples, 16), AT(PF_SoundWorld, dataP, 24), SIZE(PF_RationalScale, 8)));

INSTANTIATE_TEST_SUITE_P(OutData, HostLayout, ::testing::Values(
    SIZE(PF_OutData, 408), AT(PF_OutData, my_version, 0), AT(PF_OutData, name, 4), MEMBER_SIZE(PF_OutData, name, 32),
    AT(PF_OutData, global_data, 40), AT(PF_OutData, num_params, 48), AT(PF_OutData, sequence_data, 56),
    AT(PF_OutData, flat_sdata_size, 64), AT(PF_OutData, frame_data, 72), AT(PF_OutData, width, 80),
    AT(PF_OutData, height, 84), AT(PF_OutData, origin, 88), AT(PF_OutData, out_flags, 96),
    AT(PF_OutData, return_msg, 100), MEMBER_SIZE(PF_OutData, return_msg, 256), AT(PF_OutData, start_sampL, 356),
    AT(PF_OutData, dur_sampL, 360), AT(PF_OutData, dest_snd, 368), AT(PF_OutData, out_flags2, 400)));

INSTANTIATE_TEST_SUITE_P(Worlds, HostLayout, ::testing::Values(
    SIZE(PF_LayerDef, 120), AT(PF_LayerDef, reserved0, 0), AT(PF_LayerDef, reserved1, 8),
    AT(PF_LayerDef, world_flags, 16), AT(PF_LayerDef, data, 24), AT(PF_LayerDef, rowbytes, 32),
    AT(PF_LayerDef, width, 36), AT(PF_LayerDef, height, 40), AT(PF_LayerDef, extent_hint, 44),
    AT(PF_LayerDef, platform_ref, 64), AT(PF_LayerDef, reserved_long1, 72), AT(PF_LayerDef, reserved_long4, 80),
    AT(PF_LayerDef, pix_aspect_ratio, 88), AT(PF_LayerDef, reserved_long2, 96), AT(PF_LayerDef, origin_x, 104),
    AT(PF_LayerDef, origin_y, 108), AT(PF_LayerDef, reserved_long3, 112), AT(PF_LayerDef, dephault, 116),
    SIZE(PF_Pixel8, 4), SIZE(PF_Pixel16, 8), SIZE(PF_PixelFloat, 16), AT(PF_Pixel8, alpha, 0),
    AT(PF_Pixel8, red, 1), AT(PF_Pixel8, green, 2), AT(PF_Pixel8, blue, 3)));

// Every pixel type's channels in memory order: alpha first at every depth.
INSTANTIATE_TEST_SUITE_P(PixelOrder, HostLayout, ::testing::Values(
    FIELD(PF_Pixel, alpha, 0, G), FIELD(PF_Pixel, red, 1, G), FIELD(PF_Pixel, green, 2, G), FIELD(PF_Pixel, blue, 3, G),
    FIELD(PF_Pixel16, alpha, 0, S), FIELD(PF_Pixel16, red, 2, S), FIELD(PF_Pixel16, green, 4, S),
    FIELD(PF_Pixel16, blue, 6, S), MEMBER_SIZE(PF_Pixel16, alpha, 2),
    FIELD(PF_PixelFloat, alpha, 0, S), FIELD(PF_PixelFloat, red, 4, S), FIELD(PF_PixelFloat, green, 8, S),
    FIELD(PF_PixelFloat, blue, 12, S), MEMBER_SIZE(PF_PixelFloat, alpha, 4),
    FIELD(DRAWBOT_ColorRGBA, red, 0, R), FIELD(DRAWBOT_ColorRGBA, green, 4, R), FIELD(DRAWBOT_ColorRGBA, blue, 8, R),
    FIELD(DRAWBOT_ColorRGBA, alpha, 12, R), SIZE(DRAWBOT_ColorRGBA, 16)));

INSTANTIATE_TEST_SUITE_P(Parameters, HostLayout, ::testing::Values(
    SIZE(PF_ParamDef, 176), AT(PF_ParamDef, uu, 0), AT(PF_ParamDef, ui_flags, 4), AT(PF_ParamDef, ui_width, 8),
    AT(PF_ParamDef, ui_height, 10), AT(PF_ParamDef, param_type, 12), AT(PF_ParamDef, name, 16),
    MEMBER_SIZE(PF_ParamDef, name, 32), AT(PF_ParamDef, flags, 48), AT(PF_ParamDef, unused, 52),
    AT(PF_ParamDef, u, 56), SIZE(PF_ParamDefUnion, 120),
    SIZE(PF_FloatSliderDef, 88), AT(PF_FloatSliderDef, value, 0), AT(PF_FloatSliderDef, phase, 8),
    AT(PF_FloatSliderDef, value_desc, 16), AT(PF_FloatSliderDef, valid_min, 48), AT(PF_FloatSliderDef, valid_max, 52),
    AT(PF_FloatSliderDef, slider_min, 56), AT(PF_FloatSliderDef, slider_max, 60),
    AT(PF_FloatSliderDef, dephault, 64), AT(PF_FloatSliderDef, precision, 68),
    AT(PF_FloatSliderDef, display_flags, 70), AT(PF_FloatSliderDef, fs_flags, 72),
    AT(PF_FloatSliderDef, curve_tolerance, 76), AT(PF_FloatSliderDef, useExponent, 80),
    AT(PF_FloatSliderDef, exponent, 84),
    AT(PF_CheckBoxDef, value, 0), AT(PF_CheckBoxDef, dephault, 4), AT(PF_CheckBoxDef, reserved, 5),
    AT(PF_CheckBoxDef, reserved1, 6), AT(PF_CheckBoxDef, u, 8),
    AT(PF_PopupDef, value, 0), AT(PF_PopupDef, num_choices, 4), AT(PF_PopupDef, dephault, 6), AT(PF_PopupDef, u, 8),
    FIELD(PF_ColorDef, value, 0, G), FIELD(PF_ColorDef, dephault, 4, R), SIZE(PF_ColorDef, 8),
    FIELD(PF_UserChangedParamExtra, param_index, 0, G), SIZE(PF_UserChangedParamExtra, 4),
    AT(PF_SliderDef, value, 0), AT(PF_FixedSliderDef, value, 0),
    SIZE(PF_CustomUIInfo, 44), AT(PF_CustomUIInfo, reserved, 0), AT(PF_CustomUIInfo, events, 4),
    AT(PF_CustomUIInfo, comp_ui_width, 8), AT(PF_CustomUIInfo, comp_ui_height, 12),
    AT(PF_CustomUIInfo, comp_ui_alignment, 16), AT(PF_CustomUIInfo, layer_ui_width, 20),
    AT(PF_CustomUIInfo, layer_ui_height, 24), AT(PF_CustomUIInfo, layer_ui_alignment, 28),
    AT(PF_CustomUIInfo, preview_ui_width, 32), AT(PF_CustomUIInfo, preview_ui_height, 36),
    AT(PF_CustomUIInfo, preview_ui_alignment, 40)));

// Smart rendering: the records of PF_Cmd_SMART_PRE_RENDER and
// PF_Cmd_SMART_RENDER and their callback slots, `long` members 32-bit.
INSTANTIATE_TEST_SUITE_P(SmartRender, HostLayout, ::testing::Values(
    SIZE(PF_LRect, 16), AT(PF_LRect, left, 0), AT(PF_LRect, top, 4), AT(PF_LRect, right, 8), AT(PF_LRect, bottom, 12),
    SIZE(PF_RenderRequest, 44), AT(PF_RenderRequest, rect, 0), AT(PF_RenderRequest, field, 16),
    AT(PF_RenderRequest, channel_mask, 20), AT(PF_RenderRequest, preserve_rgb_of_zero_alpha, 24),
    MEMBER_SIZE(PF_RenderRequest, preserve_rgb_of_zero_alpha, 1), AT(PF_RenderRequest, unused, 25),
    MEMBER_SIZE(PF_RenderRequest, unused, 3), AT(PF_RenderRequest, reserved, 28),
    MEMBER_SIZE(PF_RenderRequest, reserved, 16),
    SIZE(PF_PreRenderInput, 64), AT(PF_PreRenderInput, output_request, 0), AT(PF_PreRenderInput, bitdepth, 44),
    MEMBER_SIZE(PF_PreRenderInput, bitdepth, 2), AT(PF_PreRenderInput, gpu_data, 48),
    AT(PF_PreRenderInput, what_gpu, 56), AT(PF_PreRenderInput, device_index, 60),
    SIZE(PF_PreRenderOutput, 56), AT(PF_PreRenderOutput, result_rect, 0), AT(PF_PreRenderOutput, max_result_rect, 16),
    AT(PF_PreRenderOutput, solid, 32), AT(PF_PreRenderOutput, reserved, 33), AT(PF_PreRenderOutput, flags, 34),
    MEMBER_SIZE(PF_PreRenderOutput, flags, 2), AT(PF_PreRenderOutput, pre_render_data, 40),
    AT(PF_PreRenderOutput, delete_pre_render_data_func, 48),
    SIZE(PF_CheckoutResult, 56), AT(PF_CheckoutResult, result_rect, 0), AT(PF_CheckoutResult, max_result_rect, 16),
    AT(PF_CheckoutResult, par, 32), AT(PF_CheckoutResult, solid, 40), MEMBER_SIZE(PF_CheckoutResult, solid, 4),
    AT(PF_CheckoutResult, reservedB, 44), AT(PF_CheckoutResult, ref_width, 48), AT(PF_CheckoutResult, ref_height, 52),
    SIZE(PF_SmartRenderInput, 72), AT(PF_SmartRenderInput, output_request, 0), AT(PF_SmartRenderInput, bitdepth, 44),
    AT(PF_SmartRenderInput, pre_render_data, 48), AT(PF_SmartRenderInput, gpu_data, 56),
    AT(PF_SmartRenderInput, what_gpu, 64), AT(PF_SmartRenderInput, device_index, 68),
    SIZE(PF_PreRenderExtra, 24), AT(PF_PreRenderExtra, input, 0), AT(PF_PreRenderExtra, output, 8),
    AT(PF_PreRenderExtra, cb, 16),
    SIZE(PF_SmartRenderExtra, 16), AT(PF_SmartRenderExtra, input, 0), AT(PF_SmartRenderExtra, cb, 8),
    SLOT(PF_PreRenderCallbacks, checkout_layer, 0), SLOT(PF_SmartRenderCallbacks, checkout_layer_pixels, 0),
    SLOT(PF_SmartRenderCallbacks, checkin_layer_pixels, 1), SLOT(PF_SmartRenderCallbacks, checkout_output, 2)));

INSTANTIATE_TEST_SUITE_P(SuiteSlots, HostLayout, ::testing::Values(
    SLOT(SPBasicSuite, AcquireSuite, 0), SLOT(SPBasicSuite, ReleaseSuite, 1), SIZE(SPBasicSuite, 56),
    SLOT(PFAppSuite6, PF_AppGetLanguage, 2), SLOT(PFAppSuite6, PF_InvalidateRect, 9), SIZE(PFAppSuite6, 88),
    SLOT(AEGP_EffectSuite2, AEGP_DisposeEffect, 8), SLOT(AEGP_PFInterfaceSuite1, AEGP_GetNewEffectForEffect, 1),
    SLOT(PF_WorldSuite2, PF_NewWorld, 0), SLOT(PF_WorldSuite2, PF_DisposeWorld, 1),
    SLOT(PF_WorldSuite2, PF_GetPixelFormat, 2), SLOT(PF_HandleSuite1, host_new_handle, 0),
    SLOT(PF_HandleSuite1, host_lock_handle, 1), SLOT(PF_HandleSuite1, host_unlock_handle, 2),
    SLOT(PF_HandleSuite1, host_dispose_handle, 3), SLOT(PF_HandleSuite1, host_get_handle_size, 4),
    SLOT(PF_HandleSuite1, host_resize_handle, 5), SLOT(PF_EffectCustomUISuite1, PF_GetDrawingReference, 0),
    SLOT(DRAWBOT_DrawbotSuite1, GetSupplier, 0), SLOT(DRAWBOT_DrawbotSuite1, GetSurface, 1),
    SLOT(DRAWBOT_SupplierSuite1, ReleaseObject, 12), SIZE(DRAWBOT_SupplierSuite1, 104),
    SLOT(DRAWBOT_SurfaceSuite2, DrawImage, 10), SLOT(DRAWBOT_SurfaceSuite2, Flush, 15),
    SLOT(DRAWBOT_PathSuite1, Close, 5), SIZE(DRAWBOT_PathSuite1, 48)));

// What identifies the input layer's content for the histogram cache.
INSTANTIATE_TEST_SUITE_P(ParamUtils, HostLayout, ::testing::Values(
    SIZE(A_Time, 8), AT(A_Time, value, 0), AT(A_Time, scale, 4), SIZE(PF_State, 16),
    SLOT(PF_ParamUtilsSuite3, PF_UpdateParamUI, 0), SLOT(PF_ParamUtilsSuite3, PF_GetCurrentState, 1),
    SLOT(PF_ParamUtilsSuite3, PF_AreStatesIdentical, 2),
    SLOT(PF_ColorParamSuite1, PF_GetFloatingPointColorFromColorDef, 0), SIZE(PF_ColorParamSuite1, 8)));

// Every Drawbot slot, so that two swapped functions fail (the Drawbot suites'
// documented order).
INSTANTIATE_TEST_SUITE_P(DrawbotSlots, HostLayout, ::testing::Values(
    SLOT(DRAWBOT_SupplierSuite1, NewPen, 0),
    SLOT(DRAWBOT_SupplierSuite1, NewBrush, 1),
    SLOT(DRAWBOT_SupplierSuite1, SupportsText, 2),
    SLOT(DRAWBOT_SupplierSuite1, GetDefaultFontSize, 3),
    SLOT(DRAWBOT_SupplierSuite1, NewDefaultFont, 4),
    SLOT(DRAWBOT_SupplierSuite1, NewImageFromBuffer, 5),
    SLOT(DRAWBOT_SupplierSuite1, NewPath, 6),
    SLOT(DRAWBOT_SupplierSuite1, SupportsPixelLayoutBGRA, 7),
    SLOT(DRAWBOT_SupplierSuite1, PrefersPixelLayoutBGRA, 8),
    SLOT(DRAWBOT_SupplierSuite1, SupportsPixelLayoutARGB, 9),
    SLOT(DRAWBOT_SupplierSuite1, PrefersPixelLayoutARGB, 10),
    SLOT(DRAWBOT_SupplierSuite1, RetainObject, 11),
    SLOT(DRAWBOT_SurfaceSuite2, PushStateStack, 0),
    SLOT(DRAWBOT_SurfaceSuite2, PopStateStack, 1),
    SLOT(DRAWBOT_SurfaceSuite2, PaintRect, 2),
    SLOT(DRAWBOT_SurfaceSuite2, FillPath, 3),
    SLOT(DRAWBOT_SurfaceSuite2, StrokePath, 4),
    SLOT(DRAWBOT_SurfaceSuite2, Clip, 5),
    SLOT(DRAWBOT_SurfaceSuite2, GetClipBounds, 6),
    SLOT(DRAWBOT_SurfaceSuite2, IsWithinClipBounds, 7),
    SLOT(DRAWBOT_SurfaceSuite2, Transform, 8),
    SLOT(DRAWBOT_SurfaceSuite2, DrawString, 9),
    SLOT(DRAWBOT_SurfaceSuite2, SetInterpolationPolicy, 11),
    SLOT(DRAWBOT_SurfaceSuite2, GetInterpolationPolicy, 12),
    SLOT(DRAWBOT_SurfaceSuite2, SetAntiAliasPolicy, 13),
    SLOT(DRAWBOT_SurfaceSuite2, GetAntiAliasPolicy, 14),
    SLOT(DRAWBOT_SurfaceSuite2, GetTransformToScreenScale, 16),
    SLOT(DRAWBOT_PathSuite1, MoveTo, 0),
    SLOT(DRAWBOT_PathSuite1, LineTo, 1),
    SLOT(DRAWBOT_PathSuite1, BezierTo, 2),
    SLOT(DRAWBOT_PathSuite1, AddRect, 3),
    SLOT(DRAWBOT_PathSuite1, AddArc, 4)));

// Every command number.
TEST(HostValues, Commands) {
    expectHostValues({
        VALUE(PF_Cmd_ABOUT, 0, S),
        VALUE(PF_Cmd_GLOBAL_SETUP, 1, S),
        VALUE(PF_Cmd_UNUSED_0, 2, R),
        VALUE(PF_Cmd_GLOBAL_SETDOWN, 3, S),
        VALUE(PF_Cmd_PARAMS_SETUP, 4, S),
        VALUE(PF_Cmd_SEQUENCE_SETUP, 5, R),
        VALUE(PF_Cmd_SEQUENCE_RESETUP, 6, R),
        VALUE(PF_Cmd_SEQUENCE_FLATTEN, 7, R),
        VALUE(PF_Cmd_SEQUENCE_SETDOWN, 8, R),
        VALUE(PF_Cmd_DO_DIALOG, 9, R),
        VALUE(PF_Cmd_FRAME_SETUP, 10, R),
        VALUE(PF_Cmd_RENDER, 11, S),
        VALUE(PF_Cmd_FRAME_SETDOWN, 12, R),
        VALUE(PF_Cmd_USER_CHANGED_PARAM, 13, R),
        VALUE(PF_Cmd_UPDATE_PARAMS_UI, 14, S),
        VALUE(PF_Cmd_EVENT, 15, S),
        VALUE(PF_Cmd_GET_EXTERNAL_DEPENDENCIES, 16, R),
        VALUE(PF_Cmd_COMPLETELY_GENERAL, 17, R),
        VALUE(PF_Cmd_QUERY_DYNAMIC_FLAGS, 18, R),
        VALUE(PF_Cmd_AUDIO_RENDER, 19, R),
        VALUE(PF_Cmd_AUDIO_SETUP, 20, R),
        VALUE(PF_Cmd_AUDIO_SETDOWN, 21, R),
        VALUE(PF_Cmd_ARBITRARY_CALLBACK, 22, R),
        VALUE(PF_Cmd_SMART_PRE_RENDER, 23, S),
        VALUE(PF_Cmd_SMART_RENDER, 24, S)});
}

// Every out_flags and out_flags2 bit.
TEST(HostValues, OutFlags) {
    expectHostValues({
        VALUE(PF_OutFlag_NONE, 0, R),
        VALUE(PF_OutFlag_KEEP_RESOURCE_OPEN, 1, R),
        VALUE(PF_OutFlag_WIDE_TIME_INPUT, 2, R),
        VALUE(PF_OutFlag_NON_PARAM_VARY, 4, R),
        VALUE(PF_OutFlag_SEQUENCE_DATA_NEEDS_FLATTENING, 16, R),
        VALUE(PF_OutFlag_I_DO_DIALOG, 32, R),
        VALUE(PF_OutFlag_USE_OUTPUT_EXTENT, 64, R),
        VALUE(PF_OutFlag_SEND_DO_DIALOG, 128, R),
        VALUE(PF_OutFlag_DISPLAY_ERROR_MESSAGE, 0x100, S),
        VALUE(PF_OutFlag_I_EXPAND_BUFFER, 0x200, R),
        VALUE(PF_OutFlag_PIX_INDEPENDENT, 0x400, R),
        VALUE(PF_OutFlag_I_WRITE_INPUT_BUFFER, 0x800, R),
        VALUE(PF_OutFlag_I_SHRINK_BUFFER, 0x1000, R),
        VALUE(PF_OutFlag_WORKS_IN_PLACE, 0x2000, R),
        VALUE(PF_OutFlag_CUSTOM_UI, 0x8000, S),
        VALUE(PF_OutFlag_REFRESH_UI, 0x20000, R),
        VALUE(PF_OutFlag_SEND_UPDATE_PARAMS_UI, 0x400000, R),
        VALUE(PF_OutFlag_DEEP_COLOR_AWARE, 0x2000000, S),
        VALUE(PF_OutFlag2_NONE, 0, R),
        VALUE(PF_OutFlag2_SUPPORTS_QUERY_DYNAMIC_FLAGS, 1, R),
        VALUE(PF_OutFlag2_I_USE_3D_CAMERA, 2, R),
        VALUE(PF_OutFlag2_I_USE_3D_LIGHTS, 4, R),
        VALUE(PF_OutFlag2_PARAM_GROUP_START_COLLAPSED_FLAG, 8, S),
        VALUE(PF_OutFlag2_I_AM_THREADSAFE, 16, R),
        VALUE(PF_OutFlag2_SUPPORTS_SMART_RENDER, 0x400, S),
        VALUE(PF_OutFlag2_FLOAT_COLOR_AWARE, 0x1000, S),
        VALUE(PF_OutFlag2_SUPPORTS_THREADED_RENDERING, 0x8000000, R)});
}

// Pixel-format codes and Drawbot pixel layouts.
TEST(HostValues, PixelFormats) {
    expectHostValues({
        VALUE(PF_PixelFormat_ARGB32, 0x62677261, S),
        VALUE(PF_PixelFormat_ARGB64, 0x36316561, S),
        VALUE(PF_PixelFormat_ARGB128, 0x32336561, S),
        VALUE(PF_PixelFormat_INVALID, 0x646c6962, R),
        VALUE(kDRAWBOT_PixelLayout_24RGB, 0, R),
        VALUE(kDRAWBOT_PixelLayout_24BGR, 1, R),
        VALUE(kDRAWBOT_PixelLayout_32RGB, 2, R),
        VALUE(kDRAWBOT_PixelLayout_32BGR, 3, R),
        VALUE(kDRAWBOT_PixelLayout_32ARGB_Straight, 4, R),
        VALUE(kDRAWBOT_PixelLayout_32ARGB_Premul, 5, R),
        VALUE(kDRAWBOT_PixelLayout_32BGRA_Straight, 6, S),
        VALUE(kDRAWBOT_PixelLayout_32BGRA_Premul, 7, R),
        VALUE(kDRAWBOT_FillType_EvenOdd, 0, R),
        VALUE(kDRAWBOT_FillType_Winding, 1, R),
        VALUE(kDRAWBOT_FillType_Default, 1, R)});
}

// Event types, window types, effect areas, event out-flags and cursors.
TEST(HostValues, Events) {
    expectHostValues({
        VALUE(PF_Event_NEW_CONTEXT, 0, R),
        VALUE(PF_Event_ACTIVATE, 1, R),
        VALUE(PF_Event_DO_CLICK, 2, S),
        VALUE(PF_Event_DRAG, 3, S),
        VALUE(PF_Event_DRAW, 4, S),
        VALUE(PF_Event_DEACTIVATE, 5, R),
        VALUE(PF_Event_CLOSE_CONTEXT, 6, R),
        VALUE(PF_Event_IDLE, 7, R),
        VALUE(PF_Event_ADJUST_CURSOR, 9, S),
        VALUE(PF_Event_KEYDOWN, 10, R),
        VALUE(PF_Event_MOUSE_EXITED, 11, R),
        VALUE(PF_Window_NONE, -1, R),
        VALUE(PF_Window_COMP, 0, R),
        VALUE(PF_Window_LAYER, 1, R),
        VALUE(PF_Window_EFFECT, 2, S),
        VALUE(PF_EA_NONE, 0, R),
        VALUE(PF_EA_PARAM_TITLE, 1, R),
        VALUE(PF_EA_CONTROL, 2, R),
        VALUE(PF_EO_NONE, 0, R),
        VALUE(PF_EO_HANDLED_EVENT, 1, S),
        VALUE(PF_EO_ALWAYS_UPDATE, 2, R),
        VALUE(PF_EO_NEVER_UPDATE, 4, R),
        VALUE(PF_EO_UPDATE_NOW, 8, S),
        VALUE(PF_EI_NONE, 0, R),
        VALUE(PF_EI_DONT_DRAW, 1, R),
        VALUE(PF_Cursor_CUSTOM, -1, R),
        VALUE(PF_Cursor_NONE, 0, R),
        VALUE(PF_Cursor_ARROW, 1, R),
        VALUE(PF_Cursor_FINGER_POINTER, 23, S),
        VALUE(PF_Mod_NONE, 0, R),
        VALUE(PF_Mod_CMD_CTRL_KEY, 0x100, R),
        VALUE(PF_Mod_SHIFT_KEY, 0x200, R),
        VALUE(PF_Mod_CAPS_LOCK_KEY, 0x400, R),
        VALUE(PF_Mod_OPT_ALT_KEY, 0x800, R)});
}

// Parameter types and flags, UI flags, change flags, custom UI event flags.
TEST(HostValues, Parameters) {
    expectHostValues({
        VALUE(PF_Param_RESERVED, -1, R),
        VALUE(PF_Param_LAYER, 0, R),
        VALUE(PF_Param_SLIDER, 1, R),
        VALUE(PF_Param_FIX_SLIDER, 2, R),
        VALUE(PF_Param_ANGLE, 3, R),
        VALUE(PF_Param_CHECKBOX, 4, R),
        VALUE(PF_Param_COLOR, 5, R),
        VALUE(PF_Param_POINT, 6, R),
        VALUE(PF_Param_POPUP, 7, R),
        VALUE(PF_Param_CUSTOM, 8, R),
        VALUE(PF_Param_NO_DATA, 9, R),
        VALUE(PF_Param_FLOAT_SLIDER, 10, R),
        VALUE(PF_Param_ARBITRARY_DATA, 11, R),
        VALUE(PF_Param_PATH, 12, R),
        VALUE(PF_Param_GROUP_START, 13, R),
        VALUE(PF_Param_GROUP_END, 14, R),
        VALUE(PF_Param_BUTTON, 15, R),
        VALUE(PF_ParamFlag_RESERVED1, 1, R),
        VALUE(PF_ParamFlag_CANNOT_TIME_VARY, 2, S),
        VALUE(PF_ParamFlag_CANNOT_INTERP, 4, S),
        VALUE(PF_ParamFlag_RESERVED2, 8, R),
        VALUE(PF_ParamFlag_RESERVED3, 16, R),
        VALUE(PF_ParamFlag_COLLAPSE_TWIRLY, 32, S),
        VALUE(PF_ParamFlag_START_COLLAPSED, 32, S),
        VALUE(PF_ParamFlag_SUPERVISE, 64, S),
        VALUE(PF_ParamFlag_USE_VALUE_FOR_OLD_PROJECTS, 128, R),
        VALUE(PF_PUI_NONE, 0, R),
        VALUE(PF_PUI_TOPIC, 1, R),
        VALUE(PF_PUI_CONTROL, 2, S),
        VALUE(PF_PUI_STD_CONTROL_ONLY, 4, R),
        VALUE(PF_PUI_NO_ECW_UI, 8, R),
        VALUE(PF_PUI_ECW_SEPARATOR, 16, R),
        VALUE(PF_PUI_DISABLED, 32, R),
        VALUE(PF_PUI_INVISIBLE, 256, R),
        VALUE(PF_ChangeFlag_NONE, 0, R),
        VALUE(PF_ChangeFlag_CHANGED_VALUE, 1, R),
        VALUE(PF_CustomEFlag_NONE, 0, R),
        VALUE(PF_CustomEFlag_COMP, 1, R),
        VALUE(PF_CustomEFlag_LAYER, 2, R),
        VALUE(PF_CustomEFlag_EFFECT, 4, R),
        VALUE(PF_CustomEFlag_PREVIEW, 8, R)});
}

// Error codes.
TEST(HostValues, ErrorCodes) {
    expectHostValues({
        VALUE(A_Err_NONE, 0, R),
        VALUE(A_Err_GENERIC, 1, R),
        VALUE(A_Err_STRUCT, 2, R),
        VALUE(A_Err_PARAMETER, 3, R),
        VALUE(A_Err_ALLOC, 4, R),
        VALUE(A_Err_MISSING_SUITE, 13, S),
        VALUE(PF_Err_NONE, 0, S),
        VALUE(PF_Err_OUT_OF_MEMORY, 4, R),
        VALUE(PF_Err_INTERNAL_STRUCT_DAMAGED, 512, R),
        VALUE(PF_Err_INVALID_INDEX, 513, R),
        VALUE(PF_Err_UNRECOGNIZED_PARAM_TYPE, 514, S),
        VALUE(PF_Err_INVALID_CALLBACK, 515, R),
        VALUE(PF_Err_BAD_CALLBACK_PARAM, 516, S),
        VALUE(PF_Interrupt_CANCEL, 517, R),
        VALUE(PF_Err_CANNOT_PARSE_KEYFRAME_TEXT, 518, R)});
}

// World flags, qualities, fields, channel masks and the other values the records carry.
TEST(HostValues, OtherValues) {
    expectHostValues({
        VALUE(PF_WorldFlag_DEEP, 1, R),
        VALUE(PF_WorldFlag_WRITEABLE, 2, R),
        VALUE(PF_Quality_LO, 0, R),
        VALUE(PF_Quality_HI, 1, R),
        VALUE(PF_MF_Alpha_PREMUL, 0, R),
        VALUE(PF_MF_Alpha_STRAIGHT, 1, R),
        VALUE(PF_Field_FRAME, 0, R),
        VALUE(PF_Field_UPPER, 1, R),
        VALUE(PF_Field_LOWER, 2, R),
        VALUE(PF_Xfer_NONE, -1, R),
        VALUE(PF_Xfer_COPY, 0, R),
        VALUE(PF_ChannelMask_ALPHA, 1, R),
        VALUE(PF_ChannelMask_RED, 2, R),
        VALUE(PF_ChannelMask_GREEN, 4, R),
        VALUE(PF_ChannelMask_BLUE, 8, R),
        VALUE(PF_ChannelMask_ARGB, 15, R),
        VALUE(PF_GPU_Framework_NONE, 0, R),
        VALUE(PF_RenderOutputFlag_RETURNS_EXTRA_PIXELS, 1, R),
        VALUE(PF_APP_LANG_TAG_SIZE, 6, R)});
}

}  // namespace
