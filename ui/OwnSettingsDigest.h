// A digest of the effect's own parameter values (every parameter but the
// input layer) as an event's parameter array holds them. The host's state of
// the input layer changes with any of them, while the input's pixels do not:
// the editor tells an own change from an upstream one by this digest.
#pragma once

#include <cstdint>

#include "host/ae_effect.h"

namespace Ombrix::Levels {

// Values of the popup, sliders and checkboxes, each with its index; missing
// entries count as such. Equal values give equal digests in every process.
uint64_t ownSettingsDigest(PF_ParamDef* params[]);

}  // namespace Ombrix::Levels
