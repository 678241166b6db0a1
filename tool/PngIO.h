// Reading and writing 8-bit and 16-bit PNG pictures for the tool.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zanth {

// Straight (not premultiplied) RGBA, rows packed: 4 bytes a pixel in `rgba`
// (8 bits a channel), or 4 PNG values of 0..65535 a pixel in `rgba16` (16
// bits a channel; `rgba` stays empty).
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
    int bitsPerChannel = 8;  // 8 or 16
    std::vector<uint16_t> rgba16;
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

// Decodes a PNG (RGBA, RGB, grey or grey+alpha; palette pictures are
// expanded; opaque alpha where there is none) at its depth: 16-bit pictures
// into rgba16, everything else into rgba. Sizes the effect cannot render are
// refused before anything is decoded. Throws UsageError naming `name` and the
// problem.
RgbaImage decodePng(const uint8_t* data, size_t size, const std::string& name);

// Reads the file's header first, then decodes it as decodePng does.
RgbaImage readPng(const std::string& path);

// Encodes an RGBA PNG of the image's depth. Throws std::runtime_error on failure.
std::vector<uint8_t> encodePng(const RgbaImage& image);

// Encodes the picture, then writes it through an OutputFile: a failure never
// leaves a partial file. Throws std::runtime_error on failure.
void writePng(const std::string& path, const RgbaImage& image);

}  // namespace zanth
