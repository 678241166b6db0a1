#include "render/PixelTransfer.h"

#include <glbinding/gl33core/gl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "hostaccess/SuiteScope.h"
#include "host/ae_suites.h"
#include "hostaccess/HostHandle.h"

using namespace gl33core;

namespace Ombrix::Levels {
namespace {

int bytesPerPixelOf(PixelFormatCode code) {
    switch (code) {
        case kPixelFormat8: return 4;
        case kPixelFormat16: return 8;
        case kPixelFormat32: return 16;
    }
    throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
}

// The base pixel of a world: its `data`, rows `rowbytes` apart.
uint8_t* basePixel(PF_InData* /*in_data*/, PF_EffectWorld* world, PixelFormatCode /*code*/) {
    if (!world->data) throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    return reinterpret_cast<uint8_t*>(world->data);
}

// Uploads rows `rowbytes` apart into the bound texture. Rows whose distance is
// a whole number of pixels go straight from host memory (the unpack row
// length absorbs the padding); others are packed first.
void uploadRows(const uint8_t* base, int64_t rowbytes, int bytesPerPixel, int width, int height, GLenum type) {
    if (rowbytes % bytesPerPixel == 0) {
        glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(rowbytes / bytesPerPixel));
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, type, base);
        return;
    }
    const size_t packedRow = static_cast<size_t>(width) * static_cast<size_t>(bytesPerPixel);
    std::vector<uint8_t> packed(packedRow * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) std::memcpy(&packed[packedRow * y], base + rowbytes * y, packedRow);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, type, packed.data());
}

// Reference of the float pixel functions: a packed array of width x height
// pixels and the part of it that the iteration may touch.
struct PackedFloats {
    PF_PixelFloat* pixels;
    A_long width;   // pixels per packed row
    A_long usableWidth;
    A_long usableHeight;
    bool inside(A_long x, A_long y) const { return x >= 0 && y >= 0 && x < usableWidth && y < usableHeight; }
};

PF_Err AE_CALLBACK copyIn(void* refcon, A_long x, A_long y, PF_PixelFloat* in, PF_PixelFloat* /*out*/) {
    const auto* packed = static_cast<const PackedFloats*>(refcon);
    if (in && packed->inside(x, y)) packed->pixels[static_cast<size_t>(y) * packed->width + x] = *in;
    return PF_Err_NONE;
}

PF_Err AE_CALLBACK copyOut(void* refcon, A_long x, A_long y, PF_PixelFloat* /*in*/, PF_PixelFloat* out) {
    const auto* packed = static_cast<const PackedFloats*>(refcon);
    if (out && packed->inside(x, y)) *out = packed->pixels[static_cast<size_t>(y) * packed->width + x];
    return PF_Err_NONE;
}

void iterateFloat(PF_InData* in_data, A_long progressFinal, PF_EffectWorld* source, const PF_Rect* area,
                  PackedFloats& packed,
                  PF_Err(AE_CALLBACK* pixelFunction)(void*, A_long, A_long, PF_PixelFloat*, PF_PixelFloat*),
                  PF_EffectWorld* destination) {
    SuiteScope<PF_iterateFloatSuite1> iterate(in_data, kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1);
    const PF_Err err = iterate->iterate(in_data, 0, progressFinal, source, area, &packed, pixelFunction, destination);
    if (err != PF_Err_NONE) throw static_cast<int>(err);
}

}  // namespace

namespace {

void checkUploadable(PixelFormatCode code, const PF_EffectWorld* world) {
    const int bytesPerPixel = bytesPerPixelOf(code);
    if (!world || world->width <= 0 || world->height <= 0 ||
        world->rowbytes < static_cast<int64_t>(world->width) * bytesPerPixel) {
        throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    }
}

}  // namespace

GlTexture uploadWorld(PixelFormatCode code, PF_EffectWorld* world, PF_InData* in_data, TransferFormat& format) {
    checkUploadable(code, world);
    GlTexture texture = GlTexture::make();
    glBindTexture(GL_TEXTURE_2D, texture.get());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(GL_LINEAR));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(GL_LINEAR));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(GL_CLAMP_TO_EDGE));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(GL_CLAMP_TO_EDGE));
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_RGBA32F), world->width, world->height, 0, GL_RGBA,
                 GL_FLOAT, nullptr);
    uploadWorldInto(texture.get(), code, world, in_data, format);
    return texture;
}

void uploadWorldInto(unsigned int texture, PixelFormatCode code, PF_EffectWorld* world, PF_InData* in_data,
                     TransferFormat& format) {
    checkUploadable(code, world);
    const int bytesPerPixel = bytesPerPixelOf(code);
    const int width = world->width;
    const int height = world->height;
    glBindTexture(GL_TEXTURE_2D, texture);

    format.multiplier = 1.0f;
    format.bytesPerPixel = bytesPerPixel;
    switch (code) {
        case kPixelFormat8:
            format.pixelType = GL_UNSIGNED_BYTE;
            uploadRows(basePixel(in_data, world, code), world->rowbytes, bytesPerPixel, width, height, GL_UNSIGNED_BYTE);
            break;
        case kPixelFormat16:
            format.pixelType = GL_UNSIGNED_SHORT;
            format.multiplier = 65535.0f / 32768.0f;
            uploadRows(basePixel(in_data, world, code), world->rowbytes, bytesPerPixel, width, height,
                       GL_UNSIGNED_SHORT);
            break;
        case kPixelFormat32: {
            format.pixelType = GL_FLOAT;
            std::vector<PF_PixelFloat> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
            PackedFloats packed{pixels.data(), width, width, height};
            iterateFloat(in_data, height, world, nullptr, packed, copyIn, world);
            glPixelStorei(GL_UNPACK_ROW_LENGTH, width);
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_FLOAT, pixels.data());
            break;
        }
    }
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void readBackWorld(int width, int height, PF_EffectWorld* input, PF_EffectWorld* output, PF_InData* in_data,
                   PixelFormatCode code, const TransferFormat& format) {
    const int bytesPerPixel = bytesPerPixelOf(code);
    if (!output || width <= 0 || height <= 0 || output->width < 0 || output->height < 0 ||
        output->rowbytes < static_cast<int64_t>(output->width) * bytesPerPixel) {
        throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    }
    // Only what both have: an output world of another size is not overrun.
    const int rows = std::min(output->height, height);
    const int columns = std::min(output->width, width);

    SuiteScope<PF_HandleSuite1> handles(in_data, kPFHandleSuite, kPFHandleSuiteVersion1);
    const uint64_t packedRow = static_cast<uint64_t>(width) * static_cast<uint64_t>(bytesPerPixel);
    HostHandle buffer(handles.suite, packedRow * static_cast<uint64_t>(height));
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glReadPixels(0, 0, width, height, GL_RGBA, format.pixelType, buffer.data());

    if (code == kPixelFormat32) {
        PackedFloats packed{reinterpret_cast<PF_PixelFloat*>(buffer.data()), width, columns, rows};
        const PF_Rect area{0, 0, columns, rows};
        iterateFloat(in_data, height, input, &area, packed, copyOut, output);
        return;
    }
    const size_t copied = static_cast<size_t>(columns) * static_cast<size_t>(bytesPerPixel);
    for (int row = 0; row < rows; ++row) {
        uint8_t* base = basePixel(in_data, output, code);  // fetched anew for every row
        std::memcpy(base + static_cast<int64_t>(output->rowbytes) * row, buffer.data() + packedRow * row, copied);
    }
}

}  // namespace Ombrix::Levels
