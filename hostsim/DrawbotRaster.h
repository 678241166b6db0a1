// The pixels behind the simulated Drawbot surface: a raster that strokes and
// fills paths and draws images. The recording layer (Drawbot.h) is the same on
// every platform; the raster is Cairo where the build has it (Linux) and absent
// elsewhere, where the Drawbot suites only record.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace hostsim {

struct DrawbotColor {
    float red = 0, green = 0, blue = 0, alpha = 0;
};

// One element of a path, in the control's coordinates.
struct PathSegment {
    enum Kind { Move, Line, Bezier, Rect, Close };
    Kind kind = Move;
    // Move, Line: x, y. Bezier: three points. Rect: left, top, width, height.
    float v[6] = {0, 0, 0, 0, 0, 0};
};

// Pixels with premultiplied alpha, bytes blue, green, red, alpha, rows packed.
struct PremultipliedImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgra;
};

// Straight RGBA, rows packed: what the surface shows.
struct Rgba8Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
    const uint8_t* at(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

// Pixel rules: a pixel's centre lies on whole control coordinates, as on the
// host's own surfaces, so a 1-pixel line at x = 15 covers exactly pixel column
// 15 and an image drawn at (15, 5) covers pixels from (15, 5) on. Every
// coordinate is scaled by the zoom factor.
class DrawbotRaster {
public:
    virtual ~DrawbotRaster() = default;
    // Paints the whole surface with an opaque colour.
    virtual void clear(uint8_t red, uint8_t green, uint8_t blue) = 0;
    // Drawing outside this rectangle (control coordinates) is discarded.
    virtual void setClip(int left, int top, int right, int bottom) = 0;
    virtual void stroke(const std::vector<PathSegment>& path, const DrawbotColor& color, float width) = 0;
    virtual void fill(const std::vector<PathSegment>& path, const DrawbotColor& color, bool winding) = 0;
    virtual void image(const PremultipliedImage& image, float x, float y, float opacity) = 0;
    virtual Rgba8Image read() const = 0;
};

// A raster of (width x zoom) by (height x zoom) pixels, or null where this
// build has no raster.
std::unique_ptr<DrawbotRaster> makeDrawbotRaster(int width, int height, int zoom);

}  // namespace hostsim
