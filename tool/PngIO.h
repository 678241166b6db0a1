// Reading and writing 8-bit and 16-bit PNG pictures for the tool.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tool/PngStructure.h"

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

// A PNG's size as its header states it (PngSize: PngStructure.h). Throws
// UsageError naming `name` when the bytes are not a PNG's header.
PngSize readPngSize(const uint8_t* header, size_t size, const std::string& name);

// Decodes a PNG (RGBA, RGB, grey or grey+alpha; palette pictures are
// expanded; opaque alpha where there is none) at its depth: 16-bit pictures
// into rgba16, everything else into rgba. Sizes the effect cannot render, and
// files whose structure is damaged or cut short (PngStructure.h), are refused
// before any memory is given to the picture. Throws UsageError naming `name`
// and the problem.
RgbaImage decodePng(const uint8_t* data, size_t size, const std::string& name);

// Reads the file's header first, then decodes it as decodePng does.
RgbaImage readPng(const std::string& path);

// A PNG file read in pieces, never whole.
class PngFileSource : public PngByteSource {
public:
    explicit PngFileSource(const std::string& path);  // throws UsageError
    ~PngFileSource() override;
    PngFileSource(const PngFileSource&) = delete;
    PngFileSource& operator=(const PngFileSource&) = delete;
    size_t read(uint8_t* out, size_t size) override;
    void rewind();
    const std::string& path() const { return path_; }

private:
    std::string path_;
    FILE* file_;
};

// The file's size from its header, then its whole structure checked
// (checkPngStructure); the file is rewound for decodePngRows.
PngLayout readPngLayout(PngFileSource& file);

// The order of the channels decodePngRows writes: R, G, B, A or the host's
// A, R, G, B. 8 bits a channel, or 16 (native 16-bit values of 0..65535) for
// a 16-bit PNG.
enum class PngChannelOrder { Rgba, Argb };

// Decodes a PNG whose structure was checked into `layout` straight into the
// caller's rows (layout.height of them, each width x 4 channels), at the
// file's depth. Throws UsageError naming `name`.
void decodePngRows(PngByteSource& source, const std::string& name, const PngLayout& layout, uint8_t* const* rows,
                   PngChannelOrder order);

// Encodes an RGBA PNG of the image's depth. Throws std::runtime_error on failure.
std::vector<uint8_t> encodePng(const RgbaImage& image);

// Encodes an RGBA PNG row by row: rowAt(y, scratch) returns row y's R, G, B, A
// values (8 bits, or native 16-bit values when `deep`), in its own memory or
// written into `scratch` (width x 4 channels); the encoded bytes go to `sink`
// as they are made. Throws std::runtime_error on failure, with the message of
// an exception that rowAt or sink threw.
using PngRowSource = std::function<const uint8_t*(int y, uint8_t* scratch)>;
using PngBytesSink = std::function<void(const uint8_t* data, size_t size)>;
void encodePngRows(int width, int height, bool deep, const PngRowSource& rowAt, const PngBytesSink& sink);

// Encodes the picture, then writes it through an OutputFile: a failure never
// leaves a partial file; `force` replaces a write-protected file. Throws
// std::runtime_error (UsageError for a write-protected file) on failure.
void writePng(const std::string& path, const RgbaImage& image, bool force = false);

}  // namespace zanth
