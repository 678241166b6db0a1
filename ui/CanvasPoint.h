// A point of the drawing surface, in double precision; also used as a width and
// height pair.
#pragma once

namespace Ombrix::Levels {

struct CanvasPoint {
    double x = 0.0;
    double y = 0.0;

    CanvasPoint() = default;
    CanvasPoint(double px, double py) : x(px), y(py) {}

    static CanvasPoint zero() { return CanvasPoint(); }

    // Component-wise division: (x / other.x, y / other.y).
    CanvasPoint operator/(const CanvasPoint& other) const { return CanvasPoint(x / other.x, y / other.y); }
};

}  // namespace Ombrix::Levels
