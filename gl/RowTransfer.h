// Rows of pixels moving between host memory and GL as they lie, byte for
// byte: straight where GL can step through the host rows itself (rows a
// positive whole number of texels apart, whole texels moved), and otherwise
// through scratch memory the caller keeps from frame to frame: rows that are
// no whole number of texels apart, bottom-up rows (a negative distance) and
// reads of part of a texel. Runs within a PixelStore of its own.
#pragma once

#include <glbinding/gl/types.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Ombrix::Levels {

using TransferScratch = std::vector<uint8_t>;

// One texel as it lies in client memory.
struct TexelFormat {
    gl::GLenum format;  // GL_RGBA_INTEGER, GL_RED_INTEGER ...
    gl::GLenum type;    // GL_UNSIGNED_INT, GL_UNSIGNED_SHORT ...
    int bytes;          // of one texel
};

// `count` rows of `bytes` bytes in host memory: row y at first + y * stride,
// where stride is negative for rows stored bottom-up.
template <typename Byte>
struct HostRows {
    Byte* first = nullptr;
    std::ptrdiff_t stride = 0;
    int count = 0;
    std::size_t bytes = 0;

    // `width` bytes of every row, from byte `offset` of each.
    HostRows part(std::size_t offset, std::size_t width) const { return {first + offset, stride, count, width}; }
};

// Fills texel rows 0..count-1 of the 2-D texture bound to GL_TEXTURE_2D
// from column 0 with the host rows, bytes / texel.bytes texels each (a whole
// number).
void uploadRows(const HostRows<const uint8_t>& rows, const TexelFormat& texel, TransferScratch& scratch);

// Reads texel rows 0..count-1 of colour attachment 0 of the bound read
// framebuffer, from column 0, into the host rows: the first `bytes` bytes of
// each texel row, nothing past them.
void readRows(const HostRows<uint8_t>& rows, const TexelFormat& texel, TransferScratch& scratch);

}  // namespace Ombrix::Levels
