// The depth of a host world (8 bits, 16 bits or 32-bit float a channel) and
// the check that a frame's input and output have the depth the command
// expects.
//
// The rule, in order:
//  1. The host's own answer: "PF World Suite" v2 PF_GetPixelFormat. ARGB32,
//     ARGB64 and ARGB128 are 8-bit, 16-bit and float.
//  2. Only when the suite is not to be had, or the call fails or answers any
//     other code: world_flags. A world without PF_WorldFlag_DEEP is 8-bit; a
//     deep one has the deep depth the command carries (16-bit for
//     PF_Cmd_RENDER, the announced bit depth for PF_Cmd_SMART_RENDER).
//  3. Whatever the answer, the rows must hold the pixels at that depth:
//     |rowbytes| >= width x bytes per pixel, or the world is refused. (An
//     8-bit world taken for a float one would otherwise be read four times
//     past its rows.)
// A world refused, a depth the command does not carry, or an input and an
// output of different depths throw PF_Err_BAD_CALLBACK_PARAM as an int
// before any pixel of the output is written.
#pragma once

#include "host/PixelFormatCode.h"
#include "host/ae_effect.h"

namespace Ombrix::Levels {

int bytesPerPixel(PixelFormatCode depth);

// The depth of one world by the rule above; `deepDepth` is the depth that a
// world flagged deep has when the host cannot say.
PixelFormatCode worldDepth(const PF_InData* in_data, const PF_EffectWorld& world, PixelFormatCode deepDepth);

// The depth of a frame: input and output of the same depth, which must be
// `expected` when it is given (a smart render's announced depth), or one
// that PF_Cmd_RENDER carries (8 or 16 bits) when `expected` is null.
PixelFormatCode frameDepth(const PF_InData* in_data, const PF_EffectWorld& input, const PF_EffectWorld& output,
                           const PixelFormatCode* expected);

}  // namespace Ombrix::Levels
