// Row transfers in a context of the test's own: host rows up into a texture
// and back into other host rows come back byte for byte, whatever the rows'
// distance (none, whole texels, odd bytes, bottom-up), only the bytes asked
// for are written, and the caller's pixel store is left as it was.
#include <gtest/gtest.h>

#include <glbinding/gl33core/gl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gl/ExactTexture.h"
#include "gl/Framebuffer.h"
#include "gl/RowTransfer.h"
#include "tests/GlContextFixture.h"

namespace {

using namespace Ombrix::Levels;
using namespace gl33core;
using zanth_test::GlContextTest;

constexpr TexelFormat kShorts{GL_RGBA_INTEGER, GL_UNSIGNED_SHORT, 8};  // GL_RGBA16UI
constexpr TexelFormat kWords{GL_RED_INTEGER, GL_UNSIGNED_INT, 4};      // GL_R32UI
constexpr uint8_t kUntouched = 0xA5;

// Host memory for `rows` rows of `bytes`, `gap` bytes apart beyond them,
// top-down or bottom-up (row 0 last in memory).
struct Memory {
    Memory(int rows, std::size_t bytes, int gap, bool bottomUp)
        : store(static_cast<std::size_t>(rows) * (bytes + gap), kUntouched),
          stride(static_cast<std::ptrdiff_t>(bytes) + gap),
          bottomUp(bottomUp),
          rows(rows),
          bytes(bytes) {}
    uint8_t* row(int y) { return store.data() + stride * (bottomUp ? rows - 1 - y : y); }
    HostRows<uint8_t> hostRows() { return {row(0), bottomUp ? -stride : stride, rows, bytes}; }
    HostRows<const uint8_t> constRows() { return {row(0), bottomUp ? -stride : stride, rows, bytes}; }
    std::vector<uint8_t> store;
    std::ptrdiff_t stride;
    bool bottomUp;
    int rows;
    std::size_t bytes;
};

struct Shape {
    int gap;
    bool bottomUp;
};

std::string describe(const Shape& shape) {
    return std::to_string(shape.gap) + " bytes between rows" + (shape.bottomUp ? ", bottom-up" : "");
}

class RowTransfer : public GlContextTest {
protected:
    void TearDown() override {
        if (context) {
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
            framebuffer.reset();
            texture.reset();
        }
        GlContextTest::TearDown();
    }
    // A texture of `internalFormat`, texelsWide x rows, attached for reading.
    void makeTexture(GLenum internalFormat, const TexelFormat& texel, int texelsWide, int rows) {
        texture = makeExactTexture(internalFormat, texelsWide, rows, texel.format, texel.type);
        ASSERT_TRUE(framebuffer.attachTexture(texture.get()));
        glBindTexture(GL_TEXTURE_2D, texture.get());
    }
    GlTexture texture;
    Framebuffer framebuffer;
    TransferScratch scratch;
};

TEST_F(RowTransfer, RowsOfAnyDistanceComeBackByteForByte) {
    constexpr int kRows = 5;
    constexpr int kTexels = 7;
    const Shape shapes[] = {{0, false}, {16, false}, {3, false}, {1, false}, {0, true}, {8, true}, {5, true}};
    for (const TexelFormat& texel : {kShorts, kWords}) {
        const std::size_t bytes = static_cast<std::size_t>(kTexels) * texel.bytes;
        makeTexture(texel.bytes == 8 ? GL_RGBA16UI : GL_R32UI, texel, kTexels, kRows);
        for (const Shape& in : shapes) {
            Memory source(kRows, bytes, in.gap, in.bottomUp);
            for (int y = 0; y < kRows; ++y) {
                for (std::size_t b = 0; b < bytes; ++b) source.row(y)[b] = static_cast<uint8_t>(31 * y + 7 * b + 1);
            }
            uploadRows(source.constRows(), texel, scratch);
            for (const Shape& out : shapes) {
                Memory target(kRows, bytes, out.gap, out.bottomUp);
                readRows(target.hostRows(), texel, scratch);
                const std::string what = "up with " + describe(in) + ", back with " + describe(out);
                for (int y = 0; y < kRows; ++y) {
                    for (std::size_t b = 0; b < bytes + out.gap; ++b) {
                        const uint8_t expected = b < bytes ? source.row(y)[b] : kUntouched;
                        ASSERT_EQ(target.row(y)[b], expected) << what << ": byte " << b << " of row " << y;
                    }
                }
            }
        }
    }
}

TEST_F(RowTransfer, AReadOfPartOfATexelWritesOnlyTheBytesAskedFor) {
    constexpr int kRows = 3;
    makeTexture(GL_RGBA16UI, kShorts, 4, kRows);
    Memory source(kRows, 32, 0, false);
    for (std::size_t i = 0; i < source.store.size(); ++i) source.store[i] = static_cast<uint8_t>(i);
    uploadRows(source.constRows(), kShorts, scratch);
    for (const std::size_t wanted : {std::size_t{20}, std::size_t{8}, std::size_t{1}}) {
        Memory target(kRows, 32, 0, false);
        readRows(target.hostRows().part(0, wanted), kShorts, scratch);
        for (int y = 0; y < kRows; ++y) {
            for (std::size_t b = 0; b < 32; ++b) {
                ASSERT_EQ(target.row(y)[b], b < wanted ? source.row(y)[b] : kUntouched)
                    << wanted << " bytes wanted: byte " << b << " of row " << y;
            }
        }
    }
}

TEST_F(RowTransfer, LeavesThePixelStoreAndPixelBuffersAsTheyWere) {
    makeTexture(GL_R32UI, kWords, 3, 2);
    GlBuffer packBuffer = GlBuffer::make();
    glBindBuffer(GL_PIXEL_PACK_BUFFER, packBuffer.get());
    glPixelStorei(GL_PACK_ALIGNMENT, 8);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 5);
    Memory source(2, 12, 4, false);
    for (std::size_t i = 0; i < source.store.size(); ++i) source.store[i] = static_cast<uint8_t>(3 * i);
    uploadRows(source.constRows(), kWords, scratch);
    Memory target(2, 12, 4, false);
    readRows(target.hostRows(), kWords, scratch);  // into client memory, the pack buffer bound or not
    EXPECT_EQ(std::vector<uint8_t>(target.row(1), target.row(1) + 12),
              std::vector<uint8_t>(source.row(1), source.row(1) + 12));
    GLint value = 0;
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &value);
    EXPECT_EQ(static_cast<unsigned>(value), packBuffer.get());
    glGetIntegerv(GL_PACK_ALIGNMENT, &value);
    EXPECT_EQ(value, 8);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &value);
    EXPECT_EQ(value, 5);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &value);
    EXPECT_EQ(value, 4);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}

}  // namespace
