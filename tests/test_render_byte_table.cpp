// The 8-bit pass in a context of the test's own: frames taken through the
// table (packed storage with both parts: four pixels a texel and a tail of
// three) against the independent model, byte for byte, for settings that
// reach every corner of the map; and what the pass leaves bound, makes and
// keeps.
#include <gtest/gtest.h>

#include <glbinding/gl33core/gl.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "gl/Framebuffer.h"
#include "hostsim/World.h"
#include "render/LevelsSettings.h"
#include "render/gpu/LevelsPass8.h"
#include "tests/GlCallCounter.h"
#include "tests/GlContextFixture.h"
#include "tests/LevelsReference.h"

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
hostsim::World everyValueWorld() {
    hostsim::World world(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            for (int c = 0; c < 4; ++c) {
                const int value = c % 2 == 0 ? x + 61 * c + 17 * y : 255 - x + 29 * c + 5 * y;
                world.row(y)[4 * x + c] = static_cast<uint8_t>(value & 255);
            }
        }
    }
    return world;
}

class ByteTable : public GlContextTest {
protected:
    void TearDown() override {
        if (context) {
            zanth_test::expectGlStateClean("before the release");
            pass.releaseGl();  // leaves the root current
        }
        GlContextTest::TearDown();
    }

    std::vector<uint8_t> throughTheTable(const LevelsSettings& settings, hostsim::World& input) {
        hostsim::World output(input.width(), input.height());
        pass.render(*context, settings, *input.def(), *output.def(), input.width(), input.height());
        return output.memory();
    }

    LevelsPass8 pass;
};

// The model's bytes for `input`, in the host's order.
std::vector<uint8_t> modelBytes(const LevelsSettings& settings, hostsim::World& input) {
    const zanth_test::Channel order[4] = {zanth_test::kAlpha, zanth_test::kRed, zanth_test::kGreen, zanth_test::kBlue};
    std::vector<uint8_t> bytes = input.memory();
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(zanth_test::byteModel(bytes[i], order[i % 4], settings));
    }
    return bytes;
}

struct TableCase {
    const char* name;
    std::function<void(LevelsSettings&)> set;
};

TEST_F(ByteTable, GivesTheModelsBytesForEverySetting) {
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
    hostsim::World input = everyValueWorld();
    for (const TableCase& c : cases) {
        LevelsSettings settings;
        c.set(settings);
        const std::vector<uint8_t> expected = modelBytes(sanitised(settings), input);
        const std::vector<uint8_t> actual = throughTheTable(settings, input);
        int differing = 0;
        std::string first;
        for (size_t i = 0; i < 4u * kWidth * kHeight; ++i) {  // the frame's bytes
            if (expected[i] != actual[i] && differing++ == 0) {
                first = "byte " + std::to_string(i % 4) + " of pixel " + std::to_string(i / 4 % kWidth) + ", row " +
                        std::to_string(i / 4 / kWidth) + ": " + std::to_string(actual[i]) + " instead of " +
                        std::to_string(expected[i]);
            }
        }
        EXPECT_EQ(differing, 0) << c.name << ": " << first;
    }
}

TEST_F(ByteTable, PutsBackTheCallersBindingsAndLeavesNoTextureBound) {
    // The caller's framebuffer, viewport, pixel pack buffer and pack state.
    GlRenderbuffer colour = GlRenderbuffer::make();
    glBindRenderbuffer(GL_RENDERBUFFER, colour.get());
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 8, 8);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    Framebuffer mine;
    ASSERT_TRUE(mine.attachRenderbuffer(colour.get()));
    glViewport(1, 2, 30, 3);
    GlBuffer packBuffer = GlBuffer::make();
    glBindBuffer(GL_PIXEL_PACK_BUFFER, packBuffer.get());
    glPixelStorei(GL_PACK_ALIGNMENT, 2);
    hostsim::World input = everyValueWorld();
    EXPECT_EQ(throughTheTable(LevelsSettings(), input), input.memory()) << "the defaults give every byte back";
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
    GLint drawn = 0;
    GLint read = 0;
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawn);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(static_cast<unsigned>(drawn), mine.get());
    EXPECT_EQ(static_cast<unsigned>(read), mine.get());
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
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, kWidth, kHeight);
}

#if ZANTH_MODULE_GL_CALLS_VISIBLE
TEST_F(ByteTable, KeepsItsTableAndFrameAndMakesNothingOnLaterFrames) {
    hostsim::World input = everyValueWorld();
    GlCallCounter counter;
    context->makeCurrent();  // the counter sees contexts selected after it
    throughTheTable(LevelsSettings(), input);
    const zanth_test::GlCounts first = counter.counts();
    EXPECT_EQ(first.links, 1) << "the lookup program";
    EXPECT_EQ(first.made_(GlObject::Texture), 2) << "the frame's body and tail";
    EXPECT_EQ(first.made_(GlObject::Renderbuffer), 2) << "the frame's body and tail";
    EXPECT_EQ(first.made_(GlObject::Framebuffer), 2) << "the body's and the tail's";
    EXPECT_EQ(first.made_(GlObject::Buffer), 2) << "the table's and the quad's";
    LevelsSettings other;
    other.composite.gamma = 3.0;
    for (int i = 0; i < 3; ++i) throughTheTable(i % 2 ? other : LevelsSettings(), input);
    const zanth_test::GlCounts steady = counter.counts() - first;
    EXPECT_EQ(steady.objectsMade(), 0);
    EXPECT_EQ(steady.links, 0);
}

TEST_F(ByteTable, ReleaseDeletesEverythingItMade) {
    hostsim::World input = everyValueWorld();
    GlCallCounter counter;
    context->makeCurrent();  // the counter sees contexts selected after it
    throughTheTable(LevelsSettings(), input);
    pass.releaseGl();
    context->makeCurrent();
    const zanth_test::GlCounts all = counter.counts();
    for (GlObject kind : {GlObject::Texture, GlObject::Renderbuffer, GlObject::Framebuffer, GlObject::VertexArray,
                          GlObject::Buffer, GlObject::Program}) {
        EXPECT_EQ(all.made_(kind), all.deleted_(kind)) << "kind " << static_cast<int>(kind);
    }
    EXPECT_FALSE(pass.programsBuilt());
    // The pass renders again after a release, making what it needs anew.
    EXPECT_EQ(throughTheTable(LevelsSettings(), input), input.memory());
}
#endif

}  // namespace
