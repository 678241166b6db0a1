#include "render/PixelTransfer.h"

#include <glbinding/gl33core/gl.h>

#include <algorithm>
#include <cstring>

#include "gl/ExactTexture.h"

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

GLenum pixelTypeOf(PixelFormatCode code) {
    switch (code) {
        case kPixelFormat8: return GL_UNSIGNED_BYTE;
        case kPixelFormat16: return GL_UNSIGNED_SHORT;
        case kPixelFormat32: return GL_FLOAT;
    }
    throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
}

void checkUploadable(PixelFormatCode code, const PF_EffectWorld* world) {
    const int bytesPerPixel = bytesPerPixelOf(code);
    if (!world || !world->data || world->width <= 0 || world->height <= 0 ||
        world->rowbytes < static_cast<int64_t>(world->width) * bytesPerPixel) {
        throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    }
}

// Pixel-store state back to GL's defaults, as every other user expects it.
void resetPixelStore() {
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
}

}  // namespace

GlTexture uploadWorld(PixelFormatCode code, const PF_EffectWorld* world, TransferFormat& format) {
    checkUploadable(code, world);
    GlTexture texture = makeExactTexture(GL_RGBA32F, world->width, world->height, GL_RGBA, GL_FLOAT);
    TransferScratch scratch;
    uploadWorldInto(texture.get(), code, world, format, scratch);
    return texture;
}

void uploadWorldInto(unsigned int texture, PixelFormatCode code, const PF_EffectWorld* world, TransferFormat& format,
                     TransferScratch& scratch) {
    checkUploadable(code, world);
    const int bytesPerPixel = bytesPerPixelOf(code);
    const int width = world->width;
    const int height = world->height;
    const auto* base = static_cast<const uint8_t*>(static_cast<const void*>(world->data));
    const int64_t rowbytes = world->rowbytes;
    format.bytesPerPixel = bytesPerPixel;
    format.pixelType = pixelTypeOf(code);
    format.multiplier = code == kPixelFormat16 ? 65535.0f / 32768.0f : 1.0f;

    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (rowbytes % bytesPerPixel == 0) {
        // The unpack row length absorbs the padding: straight from host memory.
        glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(rowbytes / bytesPerPixel));
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, format.pixelType, base);
    } else {
        const size_t packedRow = static_cast<size_t>(width) * static_cast<size_t>(bytesPerPixel);
        scratch.resize(packedRow * static_cast<size_t>(height));
        for (int y = 0; y < height; ++y) std::memcpy(&scratch[packedRow * y], base + rowbytes * y, packedRow);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, format.pixelType, scratch.data());
    }
    resetPixelStore();
    glBindTexture(GL_TEXTURE_2D, 0);
}

void readBackWorld(int width, int height, PF_EffectWorld* output, PixelFormatCode code, const TransferFormat& format,
                   TransferScratch& scratch) {
    const int bytesPerPixel = bytesPerPixelOf(code);
    if (!output || !output->data || width <= 0 || height <= 0 || output->width < 0 || output->height < 0 ||
        output->rowbytes < static_cast<int64_t>(output->width) * bytesPerPixel) {
        throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    }
    // Only what both have: an output world of another size is not overrun.
    const int rows = std::min(output->height, height);
    const int columns = std::min(output->width, width);
    if (rows == 0 || columns == 0) return;
    auto* base = static_cast<uint8_t*>(static_cast<void*>(output->data));
    const int64_t rowbytes = output->rowbytes;

    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (rowbytes % bytesPerPixel == 0) {
        // Straight into the output rows; the bytes past `columns` are not touched.
        glPixelStorei(GL_PACK_ROW_LENGTH, static_cast<GLint>(rowbytes / bytesPerPixel));
        glReadPixels(0, 0, columns, rows, GL_RGBA, format.pixelType, base);
    } else {
        const size_t packedRow = static_cast<size_t>(columns) * static_cast<size_t>(bytesPerPixel);
        scratch.resize(packedRow * static_cast<size_t>(rows));
        glPixelStorei(GL_PACK_ROW_LENGTH, 0);
        glReadPixels(0, 0, columns, rows, GL_RGBA, format.pixelType, scratch.data());
        for (int y = 0; y < rows; ++y) std::memcpy(base + rowbytes * y, &scratch[packedRow * y], packedRow);
    }
    resetPixelStore();
}

void readBackWorld(int width, int height, PF_EffectWorld* output, PixelFormatCode code, const TransferFormat& format) {
    TransferScratch scratch;
    readBackWorld(width, height, output, code, format, scratch);
}

}  // namespace Ombrix::Levels
