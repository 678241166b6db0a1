// The levels pass's 8-bit route in a context of the test's own: a frame taken
// through the table (drawBytes, packed storage with both parts: four pixels a
// texel and a tail of three) against the same frame drawn pixel by pixel by
// the levels program (draw, host order), byte for byte, for settings that
// reach every corner of the map; and what the route leaves bound, makes and
// keeps.
#include <gtest/gtest.h>

#include <glbinding/gl33core/gl.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "gl/OpenglRenderTarget.h"
#include "gl/PackedByteFrame.h"
#include "render/LevelsPass.h"
#include "render/LevelsSettings.h"
#include "tests/GlCallCounter.h"
#include "tests/GlContextFixture.h"

namespace {

using namespace Ombrix::Levels;
using namespace gl33core;
using zanth_test::GlCallCounter;
using zanth_test::GlContextTest;
using zanth_test::GlObject;

constexpr int kWidth = 259;  // 256 pixels four to a texel, and a tail of 3
constexpr int kHeight = 4;

// Every byte value in every channel, each channel's values in another order
// on every row, so that no two channels of a pixel are alike.
std::vector<uint8_t> everyValueBytes() {
    std::vector<uint8_t> bytes(4 * kWidth * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            for (int c = 0; c < 4; ++c) {
                const int value = c % 2 == 0 ? x + 61 * c + 17 * y : 255 - x + 29 * c + 5 * y;
                bytes[4 * (kWidth * y + x) + c] = static_cast<uint8_t>(value & 255);
            }
        }
    }
    return bytes;
}

std::vector<uint8_t> readOutput() {
    std::vector<uint8_t> bytes(4 * kWidth * kHeight);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return bytes;
}

// The packed frame's output, both parts, as host rows (row by row: the rows
// are no whole number of the body's texels long).
std::vector<uint8_t> readPacked(const PackedByteFrame& frame) {
    std::vector<uint8_t> bytes(4 * kWidth * kHeight);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int index = 0; index < PackedByteFrame::kPartCount; ++index) {
        const PackedByteFrame::Part& part = frame.part(index);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, part.framebuffer.get());
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        for (int y = 0; y < kHeight; ++y) {
            glReadPixels(0, y, part.texelsWide(), 1, part.pixelsPerTexel == 4 ? GL_RGBA_INTEGER : GL_RED_INTEGER,
                         GL_UNSIGNED_INT, &bytes[4 * (kWidth * y + part.firstColumn)]);
        }
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return bytes;
}

class ByteTable : public GlContextTest {
protected:
    void SetUp() override {
        GlContextTest::SetUp();
        if (HasFatalFailure()) return;
        target = &OpenglRenderTarget::forContext(*context);
        packFrame();
    }
    // The bytes into the packed frame, part by part (the body's rows are no
    // whole number of its texels long: copied row by row).
    const PackedByteFrame& packFrame() {
        const PackedByteFrame& frame = target->packedFrame(kWidth, kHeight);
        const std::vector<uint8_t> bytes = everyValueBytes();
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        for (int index = 0; index < PackedByteFrame::kPartCount; ++index) {
            const PackedByteFrame::Part& part = frame.part(index);
            glBindTexture(GL_TEXTURE_2D, part.input.get());
            for (int y = 0; y < kHeight; ++y) {
                glTexSubImage2D(GL_TEXTURE_2D, 0, 0, y, part.texelsWide(), 1,
                                part.pixelsPerTexel == 4 ? GL_RGBA_INTEGER : GL_RED_INTEGER, GL_UNSIGNED_INT,
                                &bytes[4 * (kWidth * y + part.firstColumn)]);
            }
        }
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glBindTexture(GL_TEXTURE_2D, 0);
        return frame;
    }
    void TearDown() override {
        if (context) {
            zanth_test::expectGlStateClean("before the release");
            pass.releaseGl();  // leaves the root current
            OpenglRenderTarget::releaseAll();
        }
        GlContextTest::TearDown();
    }

    // The levels program pixel by pixel, in the target's 8-bit output.
    std::vector<uint8_t> pixelByPixel(const LevelsSettings& settings) {
        target->prepare(kWidth, kHeight, false, OutputPrecision::Bytes8);
        const unsigned int texture = target->inputTexture();
        const std::vector<uint8_t> bytes = everyValueBytes();
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        EXPECT_TRUE(target->beginOutput());
        EXPECT_TRUE(pass.draw(*context, texture, {double(kWidth), double(kHeight)}, settings, true));
        glBindTexture(GL_TEXTURE_2D, 0);
        return readOutput();
    }
    std::vector<uint8_t> throughTheTable(const LevelsSettings& settings) {
        const PackedByteFrame& frame = packFrame();
        EXPECT_TRUE(pass.drawBytes(*context, frame, settings));
        return readPacked(frame);
    }

    LevelsPass pass;
    OpenglRenderTarget* target = nullptr;
};

struct TableCase {
    const char* name;
    std::function<void(LevelsSettings&)> set;
};

TEST_F(ByteTable, GivesTheLevelsProgramsOwnBytesForEverySetting) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const TableCase cases[] = {
        {"defaults", [](LevelsSettings&) {}},
        {"gamma 5 everywhere",
         [](LevelsSettings& s) {
             for (ChannelLevels* l : {&s.composite, &s.red, &s.green, &s.blue, &s.alpha}) l->gamma = 5.0;
         }},
        {"gamma 0.2 everywhere",
         [](LevelsSettings& s) {
             for (ChannelLevels* l : {&s.composite, &s.red, &s.green, &s.blue, &s.alpha}) l->gamma = 0.2;
         }},
        {"gamma 0, clips off",
         [](LevelsSettings& s) {
             s.composite.gamma = 0.0, s.composite.inputWhite = 200, s.composite.outputWhite = 180;
             s.clipBlack = s.clipWhite = false;
         }},
        {"equal inputs, clips off",
         [](LevelsSettings& s) {
             s.composite.inputBlack = s.composite.inputWhite = 100;
             s.clipBlack = s.clipWhite = false;
         }},
        {"inverted outputs, clips off",
         [](LevelsSettings& s) {
             s.composite.outputBlack = 230, s.composite.outputWhite = 20, s.composite.inputBlack = 40;
             s.clipBlack = s.clipWhite = false;
         }},
        {"huge values over equal outputs",
         [](LevelsSettings& s) {
             s.composite.inputWhite = 2, s.composite.gamma = 0.05, s.composite.outputBlack = 77;
             s.composite.outputWhite = 77, s.clipBlack = s.clipWhite = false;
         }},
        {"every block its own",
         [](LevelsSettings& s) {
             s.composite = {12, 240, 1.3, 5, 250};
             s.red = {0, 200, 0.8, 30, 255};
             s.green = {40, 255, 1.1, 0, 220};
             s.blue = {20, 180, 2.5, 10, 245};
             s.alpha = {16, 235, 0.9, 0, 255};
         }},
        {"far outside the nominal range",
         [](LevelsSettings& s) {
             s.composite = {-1000, 2000, 1.0, -500, 600};
             s.alpha = {300, -300, 1.7, 0, 255};
             s.clipBlack = false;
         }},
        {"NaN and infinities, after the rule",
         [nan, inf](LevelsSettings& s) {
             s.composite = {nan, inf, nan, -inf, inf};
             s.green = {0, 255, inf, 0, 255};
             s.alpha = {100, 100, -inf, 0, 1e30};
             s.clipWhite = false;
             s = sanitised(s);
         }},
    };
    for (const TableCase& c : cases) {
        LevelsSettings settings;
        c.set(settings);
        const std::vector<uint8_t> expected = pixelByPixel(settings);
        const std::vector<uint8_t> actual = throughTheTable(settings);
        int differing = 0;
        std::string first;
        for (size_t i = 0; i < expected.size(); ++i) {
            if (expected[i] != actual[i] && differing++ == 0) {
                first = "byte " + std::to_string(i % 4) + " of pixel " + std::to_string(i / 4 % kWidth) + ", row " +
                        std::to_string(i / 4 / kWidth) + ": " + std::to_string(actual[i]) + " instead of " +
                        std::to_string(expected[i]);
            }
        }
        EXPECT_EQ(differing, 0) << c.name << ": " << first;
    }
}

TEST_F(ByteTable, PutsBackTheFramebufferAndViewportAndLeavesNoTextureBound) {
    // A framebuffer of the caller's bound (the target keeps this or its
    // packed frame: the test keeps a packed frame of its own).
    target->prepare(kWidth, kHeight, false, OutputPrecision::Bytes8);
    ASSERT_TRUE(target->beginOutput());
    glViewport(1, 2, 30, 3);
    GlBuffer packBuffer = GlBuffer::make();
    glBindBuffer(GL_PIXEL_PACK_BUFFER, packBuffer.get());
    glPixelStorei(GL_PACK_ALIGNMENT, 2);
    PackedByteFrame frame;
    frame.resize(kWidth, kHeight);
    ASSERT_TRUE(pass.drawBytes(*context, frame, LevelsSettings()));
    GLint packBound = -1;
    GLint packAlignment = 0;
    GLint uniformBound = -1;
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBound);
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, 0, &uniformBound);
    EXPECT_EQ(static_cast<unsigned>(packBound), packBuffer.get());
    EXPECT_EQ(packAlignment, 2);
    EXPECT_EQ(uniformBound, 0);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    frame.release();
    GLint drawn = 0;
    GLint read = 0;
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawn);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(static_cast<unsigned>(drawn), target->mainFramebuffer());
    EXPECT_EQ(static_cast<unsigned>(read), target->mainFramebuffer());
    EXPECT_EQ(viewport[0], 1);
    EXPECT_EQ(viewport[1], 2);
    EXPECT_EQ(viewport[2], 30);
    EXPECT_EQ(viewport[3], 3);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(static_cast<GLenum>(active), GL_TEXTURE0);
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    glViewport(0, 0, kWidth, kHeight);
}

#if ZANTH_MODULE_GL_CALLS_VISIBLE
TEST_F(ByteTable, KeepsItsRampAndTableAndMakesNothingOnLaterFrames) {
    GlCallCounter counter;
    context->makeCurrent();  // the counter sees contexts selected after it
    ASSERT_TRUE(pass.drawBytes(*context, target->packedFrame(kWidth, kHeight), LevelsSettings()));
    const zanth_test::GlCounts first = counter.counts();
    EXPECT_EQ(first.links, 2) << "the levels program and the lookup program";
    EXPECT_EQ(first.made_(GlObject::Texture), 2) << "the ramp and the table";
    EXPECT_EQ(first.made_(GlObject::Framebuffer), 1) << "the table's";
    EXPECT_EQ(first.made_(GlObject::Buffer), 2) << "the table's and the quad's";
    LevelsSettings other;
    other.composite.gamma = 3.0;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(pass.drawBytes(*context, target->packedFrame(kWidth, kHeight), i % 2 ? other : LevelsSettings()));
    }
    const zanth_test::GlCounts steady = counter.counts() - first;
    EXPECT_EQ(steady.objectsMade(), 0);
    EXPECT_EQ(steady.links, 0);
}

TEST_F(ByteTable, ReleaseDeletesTheRampTableAndPrograms) {
    GlCallCounter counter;
    context->makeCurrent();  // the counter sees contexts selected after it
    ASSERT_TRUE(pass.drawBytes(*context, target->packedFrame(kWidth, kHeight), LevelsSettings()));
    pass.releaseGl();
    context->makeCurrent();
    const zanth_test::GlCounts all = counter.counts();
    for (GlObject kind : {GlObject::Texture, GlObject::Framebuffer, GlObject::Buffer, GlObject::Program}) {
        EXPECT_EQ(all.made_(kind), all.deleted_(kind)) << "kind " << static_cast<int>(kind);
    }
    EXPECT_FALSE(pass.programBuilt());
    EXPECT_FALSE(pass.lookupProgramBuilt());
    // The pass draws again after a release, making what it needs anew.
    EXPECT_TRUE(pass.drawBytes(*context, target->packedFrame(kWidth, kHeight), LevelsSettings()));
}
#endif

}  // namespace
