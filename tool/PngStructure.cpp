#include "tool/PngStructure.h"

#include <zlib.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include "tool/PictureLimits.h"
#include "tool/ToolCommon.h"

namespace zanth {
namespace {

const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr size_t kPiece = 1 << 16;

uint32_t bigEndian(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

int channelsOf(int colourType) {
    switch (colourType) {
        case 0: return 1;
        case 2: return 3;
        case 3: return 1;
        case 4: return 2;
        case 6: return 4;
        default: return 0;
    }
}

bool depthAllowed(int colourType, int depth) {
    switch (colourType) {
        case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
        case 2:
        case 4:
        case 6: return depth == 8 || depth == 16;
        default: return false;
    }
}

// The image data's inflater: counts what the stream gives and drops it.
class InflateCount {
public:
    // Inflates no further than `limit` bytes: what lies beyond is never read.
    explicit InflateCount(uint64_t limit) : limit_(limit) {
        std::memset(&stream_, 0, sizeof(stream_));
        ok_ = inflateInit(&stream_) == Z_OK;
    }
    ~InflateCount() {
        if (ok_) inflateEnd(&stream_);
    }
    InflateCount(const InflateCount&) = delete;
    InflateCount& operator=(const InflateCount&) = delete;

    bool ready() const { return ok_; }
    // False when the data is not a valid zlib stream.
    bool feed(const uint8_t* data, size_t size) {
        stream_.next_in = const_cast<Bytef*>(data);
        stream_.avail_in = static_cast<uInt>(size);
        while (stream_.avail_in > 0 && !ended_ && out_ < limit_) {
            stream_.next_out = scratch_;
            stream_.avail_out = sizeof(scratch_);
            const int result = inflate(&stream_, Z_NO_FLUSH);
            out_ += sizeof(scratch_) - stream_.avail_out;
            if (result == Z_STREAM_END) {
                ended_ = true;
            } else if (result != Z_OK && !(result == Z_BUF_ERROR && stream_.avail_out > 0)) {
                return false;
            }
        }
        return true;
    }
    uint64_t inflated() const { return out_; }
    bool ended() const { return ended_; }

private:
    z_stream stream_;
    bool ok_ = false;
    bool ended_ = false;
    uint64_t out_ = 0;
    uint64_t limit_;
    Bytef scratch_[kPiece];
};

class Reader {
public:
    Reader(PngByteSource& source, const std::string& name) : source_(source), name_(name) {}
    // Exactly `size` bytes, or a refusal saying the file ends early.
    void exact(uint8_t* out, size_t size) {
        while (size > 0) {
            const size_t n = source_.read(out, size);
            if (n == 0) refuse("the file ends early");
            out += n;
            size -= n;
        }
    }
    [[noreturn]] void refuse(const std::string& why) const {
        throw UsageError(name_ + " is not a readable PNG picture (" + why + ")");
    }

private:
    PngByteSource& source_;
    const std::string& name_;
};

}  // namespace

uint64_t inflatedPngBytes(const PngLayout& layout) {
    const uint64_t bitsPerPixel = static_cast<uint64_t>(channelsOf(layout.colourType)) * layout.bitDepth;
    const auto rowBytes = [&](uint64_t width) { return (width * bitsPerPixel + 7) / 8; };
    if (!layout.interlaced) return layout.height * (1 + rowBytes(layout.width));
    // Adam7: seven passes, each a smaller picture with its own filter bytes.
    static const int passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                     {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    uint64_t total = 0;
    for (const auto& p : passes) {
        const uint64_t w = layout.width > uint32_t(p[0]) ? (layout.width - p[0] + p[2] - 1) / p[2] : 0;
        const uint64_t h = layout.height > uint32_t(p[1]) ? (layout.height - p[1] + p[3] - 1) / p[3] : 0;
        if (w > 0 && h > 0) total += h * (1 + rowBytes(w));
    }
    return total;
}

void checkPictureSize(const PngSize& size, const std::string& name) {
    const uint32_t limit = static_cast<uint32_t>(kMaxPictureSide);
    if (size.width == 0 || size.height == 0 || size.width > limit || size.height > limit) {
        throw UsageError(name + " is " + std::to_string(size.width) + " x " + std::to_string(size.height) +
                         " pixels: the effect renders pictures from 1 x 1 to " + std::to_string(limit) + " x " +
                         std::to_string(limit) + " pixels");
    }
}

PngLayout checkPngStructure(PngByteSource& source, const std::string& name) {
    Reader reader(source, name);
    uint8_t signature[8];
    const size_t got = source.read(signature, sizeof(signature));
    if (got != sizeof(signature) || std::memcmp(signature, kSignature, sizeof(kSignature)) != 0) {
        throw UsageError(name + " is not a PNG picture");
    }
    PngLayout layout;
    std::unique_ptr<InflateCount> inflater;
    std::vector<uint8_t> piece(kPiece);
    bool first = true;
    bool dataSeen = false;
    bool dataEnded = false;
    for (;;) {
        uint8_t head[8];
        reader.exact(head, sizeof(head));
        const uint32_t length = bigEndian(head);
        const uint8_t* type = head + 4;
        if (length > 0x7fffffffu) reader.refuse("a chunk is longer than PNG allows");
        for (int i = 0; i < 4; ++i) {
            const bool letter = (type[i] >= 'A' && type[i] <= 'Z') || (type[i] >= 'a' && type[i] <= 'z');
            if (!letter) reader.refuse("a chunk's type is not four letters");
        }
        const bool ihdr = std::memcmp(type, "IHDR", 4) == 0;
        const bool idat = std::memcmp(type, "IDAT", 4) == 0;
        const bool iend = std::memcmp(type, "IEND", 4) == 0;
        const bool critical = type[0] >= 'A' && type[0] <= 'Z';
        if (first != ihdr) reader.refuse(first ? "no IHDR chunk after the signature" : "a second IHDR chunk");
        if (idat && dataEnded) reader.refuse("its image data is split by another chunk");
        if (dataSeen && !idat) dataEnded = true;

        uLong crc = crc32(0L, type, 4);
        uint8_t header[13] = {};
        if (ihdr && length != 13) reader.refuse("its IHDR chunk has the wrong length");
        for (uint32_t left = length; left > 0;) {
            const size_t n = left < kPiece ? left : kPiece;
            reader.exact(piece.data(), n);
            crc = crc32(crc, piece.data(), static_cast<uInt>(n));
            if (ihdr) std::memcpy(header, piece.data(), 13);
            if (idat && !inflater->feed(piece.data(), n)) reader.refuse("its image data does not inflate");
            left -= static_cast<uint32_t>(n);
        }
        uint8_t stored[4];
        reader.exact(stored, sizeof(stored));
        if (bigEndian(stored) != static_cast<uint32_t>(crc) && critical) {
            reader.refuse(std::string("the CRC of its ") + std::string(reinterpret_cast<const char*>(type), 4) +
                          " chunk is wrong");
        }
        if (ihdr) {
            layout.width = bigEndian(header);
            layout.height = bigEndian(header + 4);
            layout.bitDepth = header[8];
            layout.colourType = header[9];
            if (layout.width > 0x7fffffffu || layout.height > 0x7fffffffu) reader.refuse("its size is beyond PNG's");
            PngSize size;
            size.width = layout.width;
            size.height = layout.height;
            checkPictureSize(size, name);
            if (!depthAllowed(layout.colourType, layout.bitDepth)) {
                reader.refuse("its colour type and bit depth do not go together");
            }
            if (header[10] != 0 || header[11] != 0 || header[12] > 1) {
                reader.refuse("its IHDR chunk names an unknown compression, filter or interlace method");
            }
            layout.interlaced = header[12] == 1;
            inflater = std::make_unique<InflateCount>(inflatedPngBytes(layout));
            if (!inflater->ready()) throw std::runtime_error("out of memory reading " + name);
        }
        first = false;
        if (idat) dataSeen = true;
        if (iend) break;
    }
    if (!dataSeen) reader.refuse("it has no image data");
    if (inflater->inflated() < inflatedPngBytes(layout)) {
        reader.refuse("its image data ends before the last row");
    }
    return layout;
}

}  // namespace zanth
