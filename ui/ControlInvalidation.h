// Asks the host to draw the event's control again, lazily: PF_InvalidateRect
// of "PF AE App Suite", version 6, or version 5 where the host has no 6 (the
// function sits in the same slot in both; below 5 every later slot is one
// lower, so older versions are never asked for).
#pragma once

#include "host/ae_event.h"

namespace Ombrix::Levels {

// Throws the int 13 when the host offers neither version.
void invalidateControl(const PF_InData* in_data, const PF_EventExtra* event_extra);

}  // namespace Ombrix::Levels
