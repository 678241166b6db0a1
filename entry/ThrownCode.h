// The host error code for an integer code thrown inside a command.
#pragma once

#include "host/ae_effect.h"

namespace Ombrix::Levels {

// A refused suite (A_Err_MISSING_SUITE) has always reached the host as
// PF_Err_BAD_CALLBACK_PARAM, and a thrown 0 is no success; every other code,
// the effect's own (out of memory, ...) or one a host service returned, goes
// to the host as it was raised.
constexpr PF_Err hostCodeForThrown(int code) {
    return (code == PF_Err_NONE || code == A_Err_MISSING_SUITE) ? PF_Err_BAD_CALLBACK_PARAM : static_cast<PF_Err>(code);
}

}  // namespace Ombrix::Levels
