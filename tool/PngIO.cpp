#include "tool/PngIO.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

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

}  // namespace

RgbaImage readPng(const std::string& path) {
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) throw UsageError("cannot read " + path + ": " + std::strerror(errno));
    unsigned char signature[8] = {0};
    if (std::fread(signature, 1, 8, file.get()) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
        throw UsageError(path + " is not a PNG picture");
    }
    std::string problem;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &problem, pngError, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        throw std::runtime_error("out of memory reading " + path);
    }
    RgbaImage image;
    std::vector<png_bytep> rows;
    volatile bool tooDeep = false;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw UsageError(path + " is not a readable PNG picture (" + problem + ")");
    }
    png_init_io(png, file.get());
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, 30000, 30000);
    png_read_info(png, info);
    const png_byte depth = png_get_bit_depth(png, info);
    const png_byte type = png_get_color_type(png, info);
    if (depth == 16) {
        tooDeep = true;
    } else {
        if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
        if (type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
        if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
        if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
        png_set_interlace_handling(png);
        png_read_update_info(png, info);
        image.width = static_cast<int>(png_get_image_width(png, info));
        image.height = static_cast<int>(png_get_image_height(png, info));
        image.rgba.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4);
        rows.resize(static_cast<size_t>(image.height));
        for (int y = 0; y < image.height; ++y) rows[static_cast<size_t>(y)] = &image.rgba[static_cast<size_t>(y) * image.width * 4];
        png_read_image(png, rows.data());
        png_read_end(png, nullptr);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    if (tooDeep) throw UsageError(path + " has 16-bit channels; only 8-bit pictures are read");
    return image;
}

void writePng(const std::string& path, const RgbaImage& image) {
    const std::string temporary = path + ".tmp-zanth";
    {
        FilePtr file(std::fopen(temporary.c_str(), "wb"));
        if (!file) throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
        std::string problem;
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &problem, pngError, pngWarning);
        png_infop info = png ? png_create_info_struct(png) : nullptr;
        if (!info) {
            png_destroy_write_struct(&png, nullptr);
            file.reset();
            std::remove(temporary.c_str());
            throw std::runtime_error("out of memory writing " + path);
        }
        std::vector<png_bytep> rows(static_cast<size_t>(image.height));
        for (int y = 0; y < image.height; ++y) {
            rows[static_cast<size_t>(y)] = const_cast<png_bytep>(&image.rgba[static_cast<size_t>(y) * image.width * 4]);
        }
        if (setjmp(png_jmpbuf(png))) {
            png_destroy_write_struct(&png, &info);
            file.reset();
            std::remove(temporary.c_str());
            throw std::runtime_error("cannot write " + path + ": " + problem);
        }
        png_init_io(png, file.get());
        png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                     PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        png_write_image(png, rows.data());
        png_write_end(png, nullptr);
        png_destroy_write_struct(&png, &info);
        if (std::fflush(file.get()) != 0) {
            file.reset();
            std::remove(temporary.c_str());
            throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
        }
    }
#if defined(_WIN32)
    std::remove(path.c_str());
#endif
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        std::remove(temporary.c_str());
        throw std::runtime_error("cannot write " + path + ": " + why);
    }
}

}  // namespace zanth
