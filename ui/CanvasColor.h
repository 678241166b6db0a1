// A colour with straight alpha, components 0 to 1 in double precision.
#pragma once

#include "host/drawbot.h"

namespace Ombrix::Levels {

struct CanvasColor {
    double red = 1.0;
    double green = 1.0;
    double blue = 1.0;
    double alpha = 1.0;

    CanvasColor() = default;  // opaque white
    CanvasColor(double r, double g, double b, double a) : red(r), green(g), blue(b), alpha(a) {}

    // The colour as the drawing surface takes it (single-precision components).
    DRAWBOT_ColorRGBA toDrawbot() const {
        return DRAWBOT_ColorRGBA{static_cast<float>(red), static_cast<float>(green), static_cast<float>(blue),
                                 static_cast<float>(alpha)};
    }
};

}  // namespace Ombrix::Levels
