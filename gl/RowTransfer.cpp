#include "gl/RowTransfer.h"

#include <glbinding/gl33core/gl.h>

#include <cstring>

#include "gl/PixelStore.h"

using namespace gl33core;

namespace Ombrix::Levels {
namespace {

// Whether GL can move the rows by itself, its row length absorbing what lies
// between them.
bool straight(std::ptrdiff_t stride, std::size_t bytes, int texelBytes) {
    return stride > 0 && stride % texelBytes == 0 && bytes % static_cast<std::size_t>(texelBytes) == 0;
}

}  // namespace

void uploadRows(const HostRows<const uint8_t>& rows, const TexelFormat& texel, TransferScratch& scratch) {
    if (rows.count <= 0 || rows.bytes == 0) return;
    const auto texels = static_cast<GLsizei>(rows.bytes / static_cast<std::size_t>(texel.bytes));
    PixelStore store;
    if (straight(rows.stride, rows.bytes, texel.bytes)) {
        store.setUnpackRowLength(static_cast<int>(rows.stride / texel.bytes));
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, texels, rows.count, texel.format, texel.type, rows.first);
        return;
    }
    scratch.resize(rows.bytes * static_cast<std::size_t>(rows.count));
    for (int y = 0; y < rows.count; ++y) {
        std::memcpy(&scratch[rows.bytes * y], rows.first + rows.stride * y, rows.bytes);
    }
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, texels, rows.count, texel.format, texel.type, scratch.data());
}

void readRows(const HostRows<uint8_t>& rows, const TexelFormat& texel, TransferScratch& scratch) {
    if (rows.count <= 0 || rows.bytes == 0) return;
    const std::size_t texelBytes = static_cast<std::size_t>(texel.bytes);
    const auto texels = static_cast<GLsizei>((rows.bytes + texelBytes - 1) / texelBytes);
    PixelStore store;
    if (straight(rows.stride, rows.bytes, texel.bytes)) {
        store.setPackRowLength(static_cast<int>(rows.stride / texel.bytes));
        glReadPixels(0, 0, texels, rows.count, texel.format, texel.type, rows.first);
        return;
    }
    const std::size_t texelRow = texelBytes * static_cast<std::size_t>(texels);
    scratch.resize(texelRow * static_cast<std::size_t>(rows.count));
    glReadPixels(0, 0, texels, rows.count, texel.format, texel.type, scratch.data());
    for (int y = 0; y < rows.count; ++y) {
        std::memcpy(rows.first + rows.stride * y, &scratch[texelRow * y], rows.bytes);
    }
}

}  // namespace Ombrix::Levels
