// Reading and writing 8-bit PNG pictures for the tool.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zanth {

// Straight (not premultiplied) RGBA, 4 bytes a pixel, rows packed.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};

// Reads an 8-bit PNG (RGBA, RGB, grey or grey+alpha; palette pictures are
// expanded; alpha 255 where there is none). 16-bit pictures are refused.
// Throws UsageError naming the file and the problem.
RgbaImage readPng(const std::string& path);

// Writes an 8-bit RGBA PNG through a temporary file renamed into place, so a
// failure never leaves a partial file. Throws std::runtime_error on failure.
void writePng(const std::string& path, const RgbaImage& image);

}  // namespace zanth
