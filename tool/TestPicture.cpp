#include "tool/TestPicture.h"

#include <cmath>

namespace zanth {

RgbaImage generateTestPicture(int width, int height) {
    RgbaImage image;
    image.width = width;
    image.height = height;
    image.rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &image.rgba[(static_cast<size_t>(y) * width + x) * 4];
            const double u = width > 1 ? double(x) / (width - 1) : 0.0;
            const double v = height > 1 ? double(y) / (height - 1) : 0.0;
            const auto level = [](double t) {
                return static_cast<uint8_t>(std::lround(std::fmin(std::fmax(t, 0.0), 1.0) * 255.0));
            };
            uint8_t r = 0, g = 0, b = 0, a = 255;
            if (v < 0.6) {
                // A smooth colour field whose channels spread over the whole range
                // with uneven distributions, like a photograph's.
                const double w = v / 0.6;
                r = level(std::pow(u, 1.4) * (0.55 + 0.45 * w) + 0.08 * std::sin(9.0 * w));
                g = level(0.5 + 0.42 * std::sin(6.2831853 * (0.7 * u + 0.35 * w)));
                b = level(0.15 + 0.8 * w * w * (1.0 - 0.55 * u));
            } else if (v < 0.8) {
                r = g = b = level(u);  // grey ramp
            } else {
                // Hue sweep with alpha fading towards the right.
                r = level(0.5 + 0.5 * std::cos(6.2831853 * u));
                g = level(0.5 + 0.5 * std::cos(6.2831853 * (u - 1.0 / 3)));
                b = level(0.5 + 0.5 * std::cos(6.2831853 * (u - 2.0 / 3)));
                a = level(1.0 - 0.75 * u);
            }
            // A white block in the top-left corner marks the picture's orientation.
            if (x < width / 12 && y < height / 10) r = g = b = a = 255;
            p[0] = r;
            p[1] = g;
            p[2] = b;
            p[3] = a;
        }
    }
    return image;
}

RgbaImage generateTestPicture16(int width, int height) {
    const RgbaImage base = generateTestPicture(width, height);
    RgbaImage image;
    image.width = width;
    image.height = height;
    image.bitsPerChannel = 16;
    image.rgba16.resize(base.rgba.size());
    for (size_t i = 0; i < base.rgba.size(); ++i) image.rgba16[i] = static_cast<uint16_t>(base.rgba[i] * 257);
    for (int y = height - height / 8; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint16_t* p = &image.rgba16[(static_cast<size_t>(y) * width + x) * 4];
            const uint16_t v = static_cast<uint16_t>(width > 1 ? 65535LL * x / (width - 1) : 0);
            p[0] = p[1] = p[2] = v;
            p[3] = 65535;
        }
    }
    return image;
}

FloatImage generateFloatTestPicture(int width, int height) {
    const RgbaImage base = generateTestPicture(width, height);
    FloatImage image;
    image.width = width;
    image.height = height;
    image.rgba.resize(base.rgba.size());
    for (size_t i = 0; i < base.rgba.size(); ++i) image.rgba[i] = static_cast<float>(base.rgba[i]) / 255.0f;
    for (int y = height - height / 8; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float* p = &image.rgba[(static_cast<size_t>(y) * width + x) * 4];
            const float v = width > 1 ? -0.5f + 4.5f * static_cast<float>(x) / static_cast<float>(width - 1) : 0.0f;
            p[0] = p[1] = p[2] = v;
            p[3] = 1.0f;
        }
    }
    return image;
}

}  // namespace zanth
