// The picture the tool uses when none is given: a smooth colour field, a grey
// ramp, a hue sweep with fading alpha and an asymmetric marker, so levels
// changes, the histogram and any flip show.
#pragma once

#include "tool/PngIO.h"

namespace zanth {

RgbaImage generateTestPicture(int width = 480, int height = 270);

}  // namespace zanth
