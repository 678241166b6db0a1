// The picture the tool uses when none is given: colour ramps, a grey ramp, an
// alpha ramp and an asymmetric marker, so levels changes and flips show.
#pragma once

#include "tool/PngIO.h"

namespace zanth {

RgbaImage generateTestPicture(int width = 480, int height = 270);

}  // namespace zanth
