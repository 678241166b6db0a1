#include "ui/BgraBuffer.h"

#include <cmath>

namespace Ombrix::Levels {

BgraBuffer::BgraBuffer(int width, int height)
    : width_(width), height_(height), bytes_(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0) {}

uint8_t BgraBuffer::toByte(double component) {
    const double v = std::round(component * 255.0);  // halves away from zero
    if (!(v > 0.0)) return 0;
    if (v > 255.0) return 255;
    return static_cast<uint8_t>(v);
}

BgraBuffer::Pixel BgraBuffer::bytesOf(const CanvasColor& color) {
    return Pixel{toByte(color.blue), toByte(color.green), toByte(color.red), toByte(color.alpha)};
}

void BgraBuffer::set(int x, int y, const Pixel& bytes) {
    uint8_t* p = &bytes_[offset(x, y)];
    p[0] = bytes[0];
    p[1] = bytes[1];
    p[2] = bytes[2];
    p[3] = bytes[3];
}

}  // namespace Ombrix::Levels
