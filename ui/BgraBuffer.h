// A pixel buffer for a Drawbot image: 32-bit BGRA with straight alpha, rows
// packed (row bytes = 4 x width).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "host/drawbot.h"
#include "ui/CanvasColor.h"

namespace Ombrix::Levels {

class BgraBuffer {
public:
    static constexpr DRAWBOT_PixelLayout kLayout = kDRAWBOT_PixelLayout_32BGRA_Straight;

    BgraBuffer(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    int rowBytes() const { return 4 * width_; }
    const uint8_t* data() const { return bytes_.data(); }
    const uint8_t* pixel(int x, int y) const { return &bytes_[offset(x, y)]; }

    // A pixel's four bytes, in buffer order: blue, green, red, alpha.
    using Pixel = std::array<uint8_t, 4>;
    static Pixel bytesOf(const CanvasColor& color);

    // Stores the colour as bytes blue, green, red, alpha.
    void set(int x, int y, const CanvasColor& color) { set(x, y, bytesOf(color)); }
    void set(int x, int y, const Pixel& bytes);

    // A component 0..1 as a byte: times 255, to the nearest whole number (halves
    // away from zero), clamped to 0..255.
    static uint8_t toByte(double component);

private:
    size_t offset(int x, int y) const {
        return (static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)) * 4;
    }

    int width_;
    int height_;
    std::vector<uint8_t> bytes_;
};

}  // namespace Ombrix::Levels
