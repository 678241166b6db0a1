#include "tool/PngIO.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "tool/OutputFile.h"
#include "tool/PictureLimits.h"
#include "tool/ToolCommon.h"

namespace zanth {
namespace {

struct FileCloser {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};
typedef std::unique_ptr<FILE, FileCloser> FilePtr;

[[noreturn]] void pngError(png_structp png, png_const_charp message) {
    auto* text = static_cast<std::string*>(png_get_error_ptr(png));
    if (text) *text = message;
    png_longjmp(png, 1);
}
void pngWarning(png_structp, png_const_charp) {}

uint32_t bigEndian(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// The bytes libpng reads from, in memory.
struct MemoryReader {
    const uint8_t* data;
    size_t size;
    size_t at;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (count > reader->size - reader->at) png_error(png, "the file ends early");
    std::memcpy(out, reader->data + reader->at, count);
    reader->at += count;
}

void appendToVector(png_structp png, png_bytep data, png_size_t count) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + count);
}
void flushNothing(png_structp) {}

}  // namespace

PngSize readPngSize(const uint8_t* header, size_t size, const std::string& name) {
    if (size < 8 || png_sig_cmp(header, 0, 8) != 0) throw UsageError(name + " is not a PNG picture");
    if (size < kPngHeaderSize || std::memcmp(header + 12, "IHDR", 4) != 0) {
        throw UsageError(name + " is not a readable PNG picture (no IHDR chunk after the signature)");
    }
    if (bigEndian(header + 8) != 13) {
        throw UsageError(name + " is not a readable PNG picture (its IHDR chunk has the wrong length)");
    }
    PngSize result;
    result.width = bigEndian(header + 16);
    result.height = bigEndian(header + 20);
    return result;
}

void checkPictureSize(const PngSize& size, const std::string& name) {
    const uint32_t limit = static_cast<uint32_t>(kMaxPictureSide);
    if (size.width == 0 || size.height == 0 || size.width > limit || size.height > limit) {
        throw UsageError(name + " is " + std::to_string(size.width) + " x " + std::to_string(size.height) +
                         " pixels: the effect renders pictures from 1 x 1 to " + std::to_string(limit) + " x " +
                         std::to_string(limit) + " pixels");
    }
}

RgbaImage decodePng(const uint8_t* data, size_t size, const std::string& name) {
    checkPictureSize(readPngSize(data, size, name), name);
    std::string problem;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &problem, pngError, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        throw std::runtime_error("out of memory reading " + name);
    }
    MemoryReader reader{data, size, 8};
    RgbaImage image;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw UsageError(name + " is not a readable PNG picture (" + problem + ")");
    }
    png_set_read_fn(png, &reader, readFromMemory);
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, kMaxPictureSide, kMaxPictureSide);
    png_read_info(png, info);
    const png_byte depth = png_get_bit_depth(png, info);
    const png_byte type = png_get_color_type(png, info);
    if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if (depth == 16) {
        png_set_filler(png, 0xFFFF, PNG_FILLER_AFTER);
        png_set_swap(png);  // PNG stores big-endian values; rgba16 holds them natively (little-endian hosts)
    } else {
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    image.width = static_cast<int>(png_get_image_width(png, info));
    image.height = static_cast<int>(png_get_image_height(png, info));
    const size_t values = static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4;
    rows.resize(static_cast<size_t>(image.height));
    if (depth == 16) {
        image.bitsPerChannel = 16;
        image.rgba16.resize(values);
        for (int y = 0; y < image.height; ++y) {
            rows[static_cast<size_t>(y)] =
                reinterpret_cast<png_bytep>(&image.rgba16[static_cast<size_t>(y) * image.width * 4]);
        }
    } else {
        image.rgba.resize(values);
        for (int y = 0; y < image.height; ++y) rows[static_cast<size_t>(y)] = &image.rgba[static_cast<size_t>(y) * image.width * 4];
    }
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return image;
}

RgbaImage readPng(const std::string& path) {
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) throw UsageError("cannot read " + path + ": " + std::strerror(errno));
    std::vector<uint8_t> bytes(kPngHeaderSize);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    checkPictureSize(readPngSize(bytes.data(), bytes.size(), path), path);  // before the rest is read
    uint8_t chunk[1 << 16];
    for (size_t n; (n = std::fread(chunk, 1, sizeof(chunk), file.get())) > 0;) bytes.insert(bytes.end(), chunk, chunk + n);
    if (std::ferror(file.get())) throw UsageError("cannot read " + path + ": " + std::strerror(errno));
    return decodePng(bytes.data(), bytes.size(), path);
}

std::vector<uint8_t> encodePng(const RgbaImage& image) {
    std::vector<uint8_t> bytes;
    std::string problem;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &problem, pngError, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw std::runtime_error("out of memory encoding a PNG picture");
    }
    const bool deep = image.bitsPerChannel == 16;
    std::vector<png_bytep> rows(static_cast<size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        const size_t at = static_cast<size_t>(y) * image.width * 4;
        rows[static_cast<size_t>(y)] = deep ? reinterpret_cast<png_bytep>(const_cast<uint16_t*>(&image.rgba16[at]))
                                            : const_cast<png_bytep>(&image.rgba[at]);
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("cannot encode a PNG picture: " + problem);
    }
    png_set_write_fn(png, &bytes, appendToVector, flushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height),
                 deep ? 16 : 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    if (deep) png_set_swap(png);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

void writePng(const std::string& path, const RgbaImage& image) {
    const std::vector<uint8_t> bytes = encodePng(image);
    writeOutputFile(path, bytes.data(), bytes.size());
}

}  // namespace zanth
