// The greys the editor draws with, each defined once: the frame lines, the
// light handles and the mode buttons in 0.7, the gamma handle and the scale
// slider in 0.5; the hollow handles keep their outline colour with a
// transparent fill.
#pragma once

#include "ui/CanvasColor.h"

namespace Ombrix::Levels {

constexpr double kLightGrey = 0.7;
constexpr double kMidGrey = 0.5;

inline const CanvasColor kGrey70(kLightGrey, kLightGrey, kLightGrey, 1.0);
inline const CanvasColor kGrey50(kMidGrey, kMidGrey, kMidGrey, 1.0);
inline const CanvasColor kHollowGrey70(kLightGrey, kLightGrey, kLightGrey, 0.0);
inline const CanvasColor kHollowGrey50(kMidGrey, kMidGrey, kMidGrey, 0.0);

}  // namespace Ombrix::Levels
