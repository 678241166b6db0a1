// Reading and writing 8-bit PNG pictures for the tool.
#pragma once

#include <cstddef>
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

// The bytes a PNG's header needs: the signature and the IHDR chunk's start.
constexpr size_t kPngHeaderSize = 24;

// A PNG's size as its header states it. Throws UsageError naming `name` when
// the bytes are not a PNG's header.
struct PngSize {
    uint32_t width = 0;
    uint32_t height = 0;
};
PngSize readPngSize(const uint8_t* header, size_t size, const std::string& name);

// Throws UsageError naming `name`, the size and the limit when the effect
// cannot render a picture of this size (a zero side, or one longer than
// kMaxPictureSide).
void checkPictureSize(const PngSize& size, const std::string& name);

// Decodes an 8-bit PNG (RGBA, RGB, grey or grey+alpha; palette pictures are
// expanded; alpha 255 where there is none). 16-bit pictures are refused, and so
// are sizes the effect cannot render, before anything is decoded. Throws
// UsageError naming `name` and the problem.
RgbaImage decodePng(const uint8_t* data, size_t size, const std::string& name);

// Reads the file's header first, then decodes it as decodePng does.
RgbaImage readPng(const std::string& path);

// Encodes an 8-bit RGBA PNG. Throws std::runtime_error on failure.
std::vector<uint8_t> encodePng(const RgbaImage& image);

// Encodes the picture, then writes it through an OutputFile: a failure never
// leaves a partial file. Throws std::runtime_error on failure.
void writePng(const std::string& path, const RgbaImage& image);

}  // namespace zanth
