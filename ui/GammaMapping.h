// Where the gamma handle sits between the input black and input white handles,
// and the gamma that a position of the handle stands for.
#pragma once

#include <optional>

namespace Ombrix::Levels {

// The gamma handle's offset from the input black handle: (W - B) / 32 x 2^(5 - G),
// computed as o - (1 - d) x o with o = (W - B) x 0.03125 and d = 2^(5 - G).
double gammaHandleOffset(double inputBlack, double inputWhite, double gamma);

// The gamma for the handle at `offset` from the input black handle, the inverse
// of gammaHandleOffset: 5 - log2(offset / ((W - B) / 32)). The result always lies
// in the parameter's valid range 0 to 5: positions that would give more than 5
// (at or beyond the input black handle, away from input white) give 5, those
// that would give less than 0 (beyond the input white handle) give 0. Where the
// position determines no gamma at all (the pointer exactly on both handles when
// input black equals input white, or a value that is not a number) there is no
// result and the parameter is to stay as it is.
std::optional<double> gammaAtOffset(double offset, double inputBlack, double inputWhite);

}  // namespace Ombrix::Levels
