// The host's binary layout, member by member. The expected offsets and sizes
// are written here from the host's documented 64-bit layouts, not computed
// from our declarations: a member dropped, moved or resized in host/ fails a
// row. The same table runs in the Linux build and in the Windows build under
// Wine, so both are held to one layout.
#include <gtest/gtest.h>

#include <cstddef>
#include <ostream>
#include <string>

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

class HostLayout : public ::testing::TestWithParam<Layout> {};

TEST_P(HostLayout, MatchesTheHost) { EXPECT_EQ(GetParam().actual, GetParam().expected) << GetParam().what; }

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
    SLOT(PF_ParamUtilsSuite3, PF_AreStatesIdentical, 2)));

}  // namespace
