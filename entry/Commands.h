// The commands that the entry point handles itself.
#pragma once

#include "host/ae_effect.h"

namespace Ombrix::Levels {

constexpr A_u_long kEffectVersion = 0x00080001;  // 1.0, develop, build 1
// Deep colour: PF_Cmd_RENDER may carry 16-bit worlds (WorldDepth.h).
constexpr A_long kGlobalOutFlags = PF_OutFlag_CUSTOM_UI | PF_OutFlag_DEEP_COLOR_AWARE;
// Frames may be rendered on several threads at once: the CPU path shares
// nothing mutable between frames, the GPU path serialises its GL work.
// The registration record's global flags 2 carry the same bits.
// Smart rendering, and through it float frames (render/SmartRender.h).
constexpr A_long kGlobalOutFlags2 = PF_OutFlag2_PARAM_GROUP_START_COLLAPSED_FLAG | PF_OutFlag2_SUPPORTS_SMART_RENDER |
                                    PF_OutFlag2_FLOAT_COLOR_AWARE | PF_OutFlag2_SUPPORTS_THREADED_RENDERING;
constexpr const char* kEffectName = "Zanth Levels";
constexpr const char* kEffectDescription = "Zanth Levels";
constexpr int kMajorVersion = 1;
constexpr int kMinorVersion = 0;

PF_Err about(PF_InData* in_data, PF_OutData* out_data);
PF_Err globalSetup(PF_InData* in_data, PF_OutData* out_data);
PF_Err globalSetdown(PF_InData* in_data, PF_OutData* out_data);
PF_Err updateParamsUI(PF_InData* in_data);

}  // namespace Ombrix::Levels
