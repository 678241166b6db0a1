// The structure of a PNG file, checked before any memory is given to its
// picture: the signature, an IHDR chunk first with a valid size, depth,
// colour type and interlace method, chunks that lie within the file with
// their CRCs right, IDAT chunks that follow one another, an IEND chunk at the
// end, and compressed image data that inflates to exactly the bytes the
// header's size asks for (filter bytes included, Adam7 passes counted). The
// data is inflated through a small buffer and dropped: a file that claims a
// large picture but holds little is refused for the cost of reading it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zanth {

// Where the checked bytes come from: read() fills up to `size` bytes and
// returns how many it gave (0 at the end).
class PngByteSource {
public:
    virtual ~PngByteSource() = default;
    virtual size_t read(uint8_t* out, size_t size) = 0;
};

// A picture's size as a PNG's header states it.
struct PngSize {
    uint32_t width = 0;
    uint32_t height = 0;
};

// Throws UsageError naming `name`, the size and the limit when the effect
// cannot render a picture of this size (a zero side, or one longer than
// kMaxPictureSide).
void checkPictureSize(const PngSize& size, const std::string& name);

struct PngLayout {
    uint32_t width = 0;
    uint32_t height = 0;
    int bitDepth = 0;   // 1, 2, 4, 8 or 16
    int colourType = 0;  // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    bool interlaced = false;
};

// Checks the whole file from its first byte. Throws UsageError naming `name`
// and the first problem. The picture's size is checked against what the
// effect renders (checkPictureSize) as soon as the header is read.
PngLayout checkPngStructure(PngByteSource& source, const std::string& name);

// The bytes the inflated image data of `layout` holds.
uint64_t inflatedPngBytes(const PngLayout& layout);

}  // namespace zanth
