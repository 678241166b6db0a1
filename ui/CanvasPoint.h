// A point of the drawing surface, in double precision.
#pragma once

namespace Ombrix::Levels {

struct CanvasPoint {
    double x = 0.0;
    double y = 0.0;

    CanvasPoint() = default;
    CanvasPoint(double px, double py) : x(px), y(py) {}
};

}  // namespace Ombrix::Levels
