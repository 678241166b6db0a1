// The input layer at the host's current time, scaled by the effect into a
// small 8-bit world for counting.
#pragma once

#include "host/ae_effect.h"
#include "ui/CanvasRect.h"

namespace Ombrix::Levels {

class OwnedWorld;

// Checks out the input layer and, if it has pixels, makes `world` (8-bit ARGB,
// cleared) of the layer's size scaled to fit within the bounds' width and height,
// and point-samples the layer into it. Returns true when the host made the
// world (which may have a side of 0 and no pixels); `world` owns it either way.
// The layer is checked back in on every path. Throws the int 13 when
// "PF World Suite" is refused.
bool fetchLayerThumbnail(const PF_InData* in_data, const CanvasRect& bounds, OwnedWorld& world);

}  // namespace Ombrix::Levels
