#include "render/PackedTransfer.h"

#include <glbinding/gl33core/gl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

using namespace gl33core;

namespace Ombrix::Levels {
namespace {

constexpr int64_t kBytesPerPixel = 4;

GLenum formatOf(const PackedByteFrame::Part& part) {
    return part.pixelsPerTexel == 4 ? GL_RGBA_INTEGER : GL_RED_INTEGER;
}

int64_t texelBytesOf(const PackedByteFrame::Part& part) { return kBytesPerPixel * part.pixelsPerTexel; }

// Pixel-store state back to GL's defaults, as every other user expects it.
void resetPixelStore() {
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
}

void uploadPart(const PackedByteFrame::Part& part, int height, const uint8_t* base, int64_t rowbytes,
                TransferScratch& scratch) {
    const uint8_t* first = base + kBytesPerPixel * part.firstColumn;
    const int64_t texelBytes = texelBytesOf(part);
    glBindTexture(GL_TEXTURE_2D, part.input.get());
    if (rowbytes % texelBytes == 0) {
        // The unpack row length absorbs the rest of the row: straight from host memory.
        glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(rowbytes / texelBytes));
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, part.texelsWide(), height, formatOf(part), GL_UNSIGNED_INT, first);
    } else {
        const size_t packedRow = static_cast<size_t>(kBytesPerPixel * part.columns);
        scratch.resize(packedRow * static_cast<size_t>(height));
        for (int y = 0; y < height; ++y) std::memcpy(&scratch[packedRow * y], first + rowbytes * y, packedRow);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, part.texelsWide(), height, formatOf(part), GL_UNSIGNED_INT,
                        scratch.data());
    }
}

// Reads the first `columns` pixels of the part's rows 0..rows-1.
void readPart(const PackedByteFrame::Part& part, int rows, int columns, uint8_t* base, int64_t rowbytes,
              TransferScratch& scratch) {
    uint8_t* first = base + kBytesPerPixel * part.firstColumn;
    const int64_t texelBytes = texelBytesOf(part);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, part.framebuffer.get());
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    if (columns == part.columns && rowbytes % texelBytes == 0) {
        // Straight into the output rows; the bytes past the part are not touched.
        glPixelStorei(GL_PACK_ROW_LENGTH, static_cast<GLint>(rowbytes / texelBytes));
        glReadPixels(0, 0, part.texelsWide(), rows, formatOf(part), GL_UNSIGNED_INT, first);
    } else {
        // Whole texels into the scratch rows, then only the pixels wanted.
        const int texels = (columns + part.pixelsPerTexel - 1) / part.pixelsPerTexel;
        const size_t scratchRow = static_cast<size_t>(texelBytes * texels);
        const size_t wanted = static_cast<size_t>(kBytesPerPixel * columns);
        scratch.resize(scratchRow * static_cast<size_t>(rows));
        glPixelStorei(GL_PACK_ROW_LENGTH, 0);
        glReadPixels(0, 0, texels, rows, formatOf(part), GL_UNSIGNED_INT, scratch.data());
        for (int y = 0; y < rows; ++y) std::memcpy(first + rowbytes * y, &scratch[scratchRow * y], wanted);
    }
}

}  // namespace

void uploadPacked(const PackedByteFrame& frame, const PF_EffectWorld* world, TransferScratch& scratch) {
    if (!world || !world->data || world->width != frame.width() || world->height != frame.height() ||
        world->width <= 0 || world->height <= 0 || world->rowbytes < kBytesPerPixel * world->width) {
        throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    }
    const auto* base = static_cast<const uint8_t*>(static_cast<const void*>(world->data));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int index = 0; index < PackedByteFrame::kPartCount; ++index) {
        const PackedByteFrame::Part& part = frame.part(index);
        if (part.columns > 0) uploadPart(part, frame.height(), base, world->rowbytes, scratch);
    }
    resetPixelStore();
    glBindTexture(GL_TEXTURE_2D, 0);
}

void readBackPacked(const PackedByteFrame& frame, PF_EffectWorld* output, TransferScratch& scratch) {
    if (!output || !output->data || output->width < 0 || output->height < 0 ||
        output->rowbytes < kBytesPerPixel * output->width) {
        throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    }
    // Only what both have: an output world of another size is not overrun.
    const int rows = std::min(output->height, frame.height());
    const int columns = std::min(output->width, frame.width());
    if (rows <= 0 || columns <= 0) return;
    auto* base = static_cast<uint8_t*>(static_cast<void*>(output->data));

    GLint readFramebuffer = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int index = 0; index < PackedByteFrame::kPartCount; ++index) {
        const PackedByteFrame::Part& part = frame.part(index);
        const int partColumns = std::clamp(columns - part.firstColumn, 0, part.columns);
        if (partColumns > 0) readPart(part, rows, partColumns, base, output->rowbytes, scratch);
    }
    resetPixelStore();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
}

}  // namespace Ombrix::Levels
