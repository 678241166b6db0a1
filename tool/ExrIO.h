// Float pictures for the tool: OpenEXR files in (RGBA channels stored as half
// or float; a missing alpha is opaque, a missing colour channel 0) and out
// (RGBA, 32-bit float channels, ZIP compressed). Values are linear and kept
// as they are: nothing is clamped, NaN and infinities pass both ways.
#pragma once

#include <string>
#include <vector>

namespace zanth {

// Straight RGBA, 4 floats a pixel, rows packed.
struct FloatImage {
    int width = 0;
    int height = 0;
    std::vector<float> rgba;
};

// True when the file starts with the OpenEXR magic number.
bool isExrFile(const std::string& path);

// Throws UsageError naming the file when it cannot be read or its size is
// one the effect cannot render.
FloatImage readExr(const std::string& path);

// Encodes the picture, then writes it through an OutputFile (a failure never
// leaves a partial file). Throws std::runtime_error on failure.
void writeExr(const std::string& path, const FloatImage& image);

}  // namespace zanth
