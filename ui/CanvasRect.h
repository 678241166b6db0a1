// A rectangle of the drawing surface: origin and size, in double precision.
#pragma once

namespace Ombrix::Levels {

struct CanvasRect {
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;

    CanvasRect() = default;
    CanvasRect(double px, double py, double w, double h) : x(px), y(py), width(w), height(h) {}

    double right() const { return x + width; }
    double bottom() const { return y + height; }
};

}  // namespace Ombrix::Levels
