// The picture the tool uses when none is given: a smooth colour field, a grey
// ramp, a hue sweep with fading alpha and an asymmetric marker, so levels
// changes, the histogram and any flip show.
#pragma once

#include "tool/ExrIO.h"
#include "tool/PngIO.h"

namespace zanth {

RgbaImage generateTestPicture(int width = 480, int height = 270);

// The same picture at 16 bits a channel (each 8-bit value v as v x 257), its
// bottom eighth a grey ramp through every 16-bit step the width allows.
RgbaImage generateTestPicture16(int width = 480, int height = 270);

// The same picture in linear float (v / 255), its bottom eighth a grey ramp
// from -0.5 to 4 (below black and over-bright values, as renders hold them).
FloatImage generateFloatTestPicture(int width = 480, int height = 270);

}  // namespace zanth
