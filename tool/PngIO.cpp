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

// Bytes in memory.
class MemorySource : public PngByteSource {
public:
    MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t read(uint8_t* out, size_t size) override {
        const size_t n = size < size_ - at_ ? size : size_ - at_;
        if (n > 0) std::memcpy(out, data_ + at_, n);
        at_ += n;
        return n;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// libpng reads through a PngByteSource; a failure to read becomes libpng's error.
void readFromSource(png_structp png, png_bytep out, png_size_t count) {
    auto* source = static_cast<PngByteSource*>(png_get_io_ptr(png));
    size_t got = 0;
    try {
        for (size_t n; got < count && (n = source->read(out + got, count - got)) > 0;) got += n;
    } catch (const std::exception&) {
        got = 0;
    }
    if (got < count) png_error(png, "the file ends early");
}

// libpng writes through a PngBytesSink; its failure is kept and becomes libpng's error.
struct WriteTarget {
    const PngBytesSink* sink;
    std::string failure;
};

void writeToSink(png_structp png, png_bytep data, png_size_t count) {
    auto* target = static_cast<WriteTarget*>(png_get_io_ptr(png));
    try {
        (*target->sink)(data, count);
    } catch (const std::exception& e) {
        target->failure = e.what();
        png_error(png, "the output refused the data");
    }
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

void decodePngRows(PngByteSource& source, const std::string& name, const PngLayout& layout, uint8_t* const* rows,
                   PngChannelOrder order) {
    std::string problem;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &problem, pngError, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        throw std::runtime_error("out of memory reading " + name);
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw UsageError(name + " is not a readable PNG picture (" + problem + ")");
    }
    png_set_read_fn(png, &source, readFromSource);
    png_set_user_limits(png, kMaxPictureSide, kMaxPictureSide);
    png_read_info(png, info);
    const png_byte depth = png_get_bit_depth(png, info);
    const png_byte type = png_get_color_type(png, info);
    if (png_get_image_width(png, info) != layout.width || png_get_image_height(png, info) != layout.height ||
        depth != layout.bitDepth || type != layout.colourType) {
        png_error(png, "the file changed while it was read");
    }
    if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    const int filler = order == PngChannelOrder::Argb ? PNG_FILLER_BEFORE : PNG_FILLER_AFTER;
    png_set_filler(png, depth == 16 ? 0xFFFF : 0xFF, filler);
    if (order == PngChannelOrder::Argb) png_set_swap_alpha(png);
    if (depth == 16) png_set_swap(png);  // PNG stores big-endian values; rows take them natively (little-endian hosts)
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    png_read_image(png, const_cast<png_bytepp>(rows));
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
}

RgbaImage decodePng(const uint8_t* data, size_t size, const std::string& name) {
    checkPictureSize(readPngSize(data, size, name), name);
    MemorySource check(data, size);
    const PngLayout layout = checkPngStructure(check, name);
    RgbaImage image;
    image.width = static_cast<int>(layout.width);
    image.height = static_cast<int>(layout.height);
    const size_t values = static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4;
    std::vector<uint8_t*> rows(static_cast<size_t>(image.height));
    if (layout.bitDepth == 16) {
        image.bitsPerChannel = 16;
        image.rgba16.resize(values);
        for (int y = 0; y < image.height; ++y) {
            rows[static_cast<size_t>(y)] = reinterpret_cast<uint8_t*>(&image.rgba16[static_cast<size_t>(y) * image.width * 4]);
        }
    } else {
        image.rgba.resize(values);
        for (int y = 0; y < image.height; ++y) rows[static_cast<size_t>(y)] = &image.rgba[static_cast<size_t>(y) * image.width * 4];
    }
    MemorySource decode(data, size);
    decodePngRows(decode, name, layout, rows.data(), PngChannelOrder::Rgba);
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

PngFileSource::PngFileSource(const std::string& path) : path_(path), file_(std::fopen(path.c_str(), "rb")) {
    if (!file_) throw UsageError("cannot read " + path + ": " + std::strerror(errno));
}

PngFileSource::~PngFileSource() {
    if (file_) std::fclose(file_);
}

size_t PngFileSource::read(uint8_t* out, size_t size) {
    const size_t n = std::fread(out, 1, size, file_);
    if (n == 0 && std::ferror(file_)) throw UsageError("cannot read " + path_ + ": " + std::strerror(errno));
    return n;
}

void PngFileSource::rewind() {
    if (std::fseek(file_, 0, SEEK_SET) != 0) throw UsageError("cannot read " + path_ + ": " + std::strerror(errno));
}

PngLayout readPngLayout(PngFileSource& file) {
    uint8_t header[kPngHeaderSize];
    size_t got = 0;
    for (size_t n; got < sizeof(header) && (n = file.read(header + got, sizeof(header) - got)) > 0;) got += n;
    checkPictureSize(readPngSize(header, got, file.path()), file.path());  // before the rest is read
    file.rewind();
    const PngLayout layout = checkPngStructure(file, file.path());
    file.rewind();
    return layout;
}

void encodePngRows(int width, int height, bool deep, const PngRowSource& rowAt, const PngBytesSink& sink) {
    std::string problem;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &problem, pngError, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw std::runtime_error("out of memory encoding a PNG picture");
    }
    WriteTarget target{&sink, std::string()};
    std::vector<uint8_t> row(static_cast<size_t>(width) * (deep ? 8 : 4));
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error(target.failure.empty() ? "cannot encode a PNG picture: " + problem : target.failure);
    }
    png_set_write_fn(png, &target, writeToSink, flushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), deep ? 16 : 8,
                 PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    if (deep) png_set_swap(png);
    for (int y = 0; y < height; ++y) {
        const uint8_t* data = nullptr;
        try {
            data = rowAt(y, row.data());
        } catch (const std::exception& e) {
            target.failure = e.what();
            png_error(png, "the picture's rows could not be read");
        }
        png_write_row(png, const_cast<png_bytep>(data));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
}

std::vector<uint8_t> encodePng(const RgbaImage& image) {
    std::vector<uint8_t> bytes;
    const bool deep = image.bitsPerChannel == 16;
    encodePngRows(
        image.width, image.height, deep,
        [&](int y, uint8_t*) -> const uint8_t* {
            const size_t at = static_cast<size_t>(y) * image.width * 4;
            return deep ? reinterpret_cast<const uint8_t*>(&image.rgba16[at]) : &image.rgba[at];
        },
        [&](const uint8_t* data, size_t size) { bytes.insert(bytes.end(), data, data + size); });
    return bytes;
}

void writePng(const std::string& path, const RgbaImage& image, bool force) {
    const std::vector<uint8_t> bytes = encodePng(image);
    writeOutputFile(path, bytes.data(), bytes.size(), force);
}

}  // namespace zanth
