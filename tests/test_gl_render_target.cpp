// OpenglRenderTarget and the pixel-order programs in a context of the test's
// own: layers, the channel orders of the output, what is kept between frames
// and what release gives back.
#include <gtest/gtest.h>

#include <glbinding/gl33core/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "gl/OpenglRenderTarget.h"
#include "gl/PixelOrderProgram.h"
#include "tests/GlCallCounter.h"
#include "tests/GlContextFixture.h"

namespace {

using namespace Ombrix::Levels;
using namespace gl33core;
using zanth_test::GlCallCounter;
using zanth_test::GlContextTest;
using zanth_test::GlObject;

using Rgba = std::array<float, 4>;

// The pixel at (x, y) of the read framebuffer's colour attachment 0, as floats.
Rgba readPixel(int x = 0, int y = 0) {
    Rgba p{};
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_FLOAT, p.data());
    return p;
}

// The texel (0, 0) of a texture, read through a framebuffer of its own.
Rgba readTexture(unsigned int texture) {
    GLint previous = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
    GlFramebuffer framebuffer = GlFramebuffer::make();
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer.get());
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    const Rgba p = readPixel();
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
    return p;
}

void clearTo(const Rgba& c) {
    glClearColor(c[0], c[1], c[2], c[3]);
    glClear(GL_COLOR_BUFFER_BIT);
}

void expectNear(const Rgba& actual, const Rgba& expected, const char* what) {
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(actual[i], expected[i], 1e-6) << what << ", component " << i;
}

class RenderTarget : public GlContextTest {
protected:
    void TearDown() override {
        zanth_test::expectGlStateClean("before the target's release");
        target.release();
        GlContextTest::TearDown();
    }
    OpenglRenderTarget target;
};

TEST_F(RenderTarget, ALayerDrawnAsRgbaComesOutArgb) {
    target.prepare(3, 2, false);
    target.begin(false, false);
    clearTo({0.2f, 0.4f, 0.6f, 1.0f});
    ASSERT_TRUE(target.drawToOutput(1.0f));
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(static_cast<unsigned>(bound), target.mainFramebuffer());
    expectNear(readPixel(2, 1), {1.0f, 0.2f, 0.4f, 0.6f}, "argb order");
    EXPECT_EQ(target.layerCount(), 0u);
}

TEST_F(RenderTarget, TheMultiplierChangesNothing) {
    target.prepare(2, 2, false);
    for (float multiplier : {1.0f, 65535.0f / 32768.0f, -7.0f}) {
        target.begin(false, false);
        clearTo({0.2f, 0.4f, 0.6f, 1.0f});
        ASSERT_TRUE(target.drawToOutput(multiplier));
        expectNear(readPixel(), {1.0f, 0.2f, 0.4f, 0.6f}, "any multiplier");
    }
}

TEST_F(RenderTarget, MultisampledModeResolvesAndUsesTheBgarOrder) {
    target.prepare(4, 4, true);
    ASSERT_TRUE(target.multisampled());
    ::testing::internal::CaptureStdout();
    target.begin(false, false);
    const std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "") << "the multisampled layer is complete";
    clearTo({0.2f, 0.4f, 0.6f, 1.0f});
    ASSERT_TRUE(target.drawToOutput(1.0f));
    expectNear(readPixel(1, 1), {0.6f, 0.4f, 1.0f, 0.2f}, "bgar order");
    ASSERT_NE(target.pixelOrderProgram(), nullptr);
    EXPECT_TRUE(target.pixelOrderProgram()->bgarOrder());
}

TEST_F(RenderTarget, LayersPopTopFirstAndTheOneBelowIsDrawnAgain) {
    target.prepare(2, 2, false);
    target.begin(true, false);  // with a depth companion
    clearTo({0.2f, 0.2f, 0.2f, 1.0f});
    target.begin(false, false);
    clearTo({0.8f, 0.6f, 0.4f, 0.2f});
    ASSERT_EQ(target.layerCount(), 2u);

    GlTexture upper = target.popLayerToTexture();
    ASSERT_TRUE(upper);
    expectNear(readTexture(upper.get()), {0.8f, 0.6f, 0.4f, 0.2f}, "upper layer");
    EXPECT_EQ(target.layerCount(), 1u);
    expectNear(readPixel(), {0.2f, 0.2f, 0.2f, 1.0f}, "the lower layer is attached again");

    GlTexture lower = target.popLayerToTexture();
    ASSERT_TRUE(lower);
    expectNear(readTexture(lower.get()), {0.2f, 0.2f, 0.2f, 1.0f}, "lower layer");
    EXPECT_EQ(target.layerCount(), 0u);
}

TEST_F(RenderTarget, AFrameDrawnStraightIntoTheOutputKeepsEightBytesAPixel) {
    for (const auto& size : {std::make_pair(1920, 1080), std::make_pair(257, 129), std::make_pair(1, 643)}) {
        target.prepare(size.first, size.second, false, OutputPrecision::Bytes8);
        ASSERT_NE(target.inputTexture(), 0u);
        ASSERT_TRUE(target.beginOutput());
        GLint internal = 0;
        glBindTexture(GL_TEXTURE_2D, target.inputTexture());
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
        glBindTexture(GL_TEXTURE_2D, 0);
        EXPECT_EQ(internal, static_cast<GLint>(GL_RGBA8));
        EXPECT_LE(target.keptBytes(), 8u * size.first * size.second) << size.first << " x " << size.second;
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GL_FRAMEBUFFER_COMPLETE);
    }
}

TEST_F(RenderTarget, APackedFrameKeepsEightBytesAPixelAndNoOtherBuffers) {
    const std::pair<int, int> sizes[] = {{1920, 1080}, {257, 129}, {1, 643}, {643, 1}, {7, 3}, {1, 1}, {6, 5}};
    for (const auto& size : sizes) {
        target.prepare(size.first, size.second, false, OutputPrecision::Bytes8);
        ASSERT_NE(target.inputTexture(), 0u);
        const PackedByteFrame& frame = target.packedFrame(size.first, size.second);
        EXPECT_EQ(target.mainFramebuffer(), 0u) << "the buffers of prepare are deleted";
        EXPECT_EQ(target.keptBytes(), 8u * size.first * size.second) << size.first << " x " << size.second;
        const PackedByteFrame::Part& body = frame.part(PackedByteFrame::kBody);
        const PackedByteFrame::Part& tail = frame.part(PackedByteFrame::kTail);
        EXPECT_EQ(body.columns + tail.columns, size.first);
        EXPECT_EQ(tail.columns, size.first % 4);
        EXPECT_EQ(tail.firstColumn, body.columns);
        for (const PackedByteFrame::Part* part : {&body, &tail}) {
            EXPECT_EQ(static_cast<bool>(part->input), part->columns > 0);
            if (part->columns == 0) continue;
            GLint internal = 0;
            GLint texelsWide = 0;
            glBindTexture(GL_TEXTURE_2D, part->input.get());
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &texelsWide);
            glBindTexture(GL_TEXTURE_2D, 0);
            EXPECT_EQ(internal, static_cast<GLint>(part == &body ? GL_RGBA32UI : GL_R32UI));
            EXPECT_EQ(texelsWide, part->texelsWide());
            glBindFramebuffer(GL_FRAMEBUFFER, part->framebuffer.get());
            EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GL_FRAMEBUFFER_COMPLETE);
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
        }
    }
    // And back: prepare deletes the packed frame.
    target.prepare(8, 8, false, OutputPrecision::Bytes8);
    EXPECT_EQ(target.keptBytes(), 4u * 8 * 8);
}

TEST_F(RenderTarget, PoppingWithNoLayerMakesNothing) {
    target.prepare(2, 2, false);
    GlCallCounter counter;
    context->makeCurrent();
    EXPECT_FALSE(target.popLayerToTexture());
    EXPECT_FALSE(target.drawToOutput(1.0f));
    EXPECT_EQ(counter.counts().objectsMade(), 0);
}

TEST_F(RenderTarget, FramesOfOneSizeKeepTheFramebuffersAndTheProgram) {
    GlCallCounter counter;
    context->makeCurrent();
    for (int frame = 0; frame < 3; ++frame) {
        target.prepare(5, 3, false);
        target.begin(false, false);
        ASSERT_TRUE(target.drawToOutput(1.0f));
    }
    zanth_test::GlCounts counts = counter.counts();
    EXPECT_EQ(counts.made_(GlObject::Framebuffer), 1);
    EXPECT_EQ(counts.made_(GlObject::VertexArray), 1);
    EXPECT_EQ(counts.links, 1) << "the pixel-order program is built once";
    const unsigned int output = target.outputRenderbuffer();
    target.prepare(5, 3, false);
    EXPECT_EQ(target.outputRenderbuffer(), output);

    target.prepare(6, 3, false);  // a new size
    counts = counter.counts();
    EXPECT_EQ(counts.made_(GlObject::Framebuffer), 2);
    EXPECT_EQ(counts.deleted_(GlObject::Framebuffer), 1);
    EXPECT_EQ(target.width(), 6);
    EXPECT_EQ(counts.links, 1);
}

TEST_F(RenderTarget, ReleaseGivesBackEverythingAndAFollowingPrepareStartsAfresh) {
    GlCallCounter counter;
    context->makeCurrent();
    target.prepare(4, 4, false);
    target.begin(false, false);
    ASSERT_TRUE(target.drawToOutput(1.0f));
    target.begin(true, true);  // a frame left open
    target.release();
    const zanth_test::GlCounts counts = counter.counts();
    for (int k = 0; k < static_cast<int>(GlObject::Count); ++k) {
        EXPECT_EQ(counts.made[k], counts.deleted[k]) << "kind " << k;
    }
    EXPECT_EQ(target.mainFramebuffer(), 0u);
    EXPECT_EQ(target.pixelOrderProgram(), nullptr);

    target.prepare(4, 4, false);  // the same size as before the release
    EXPECT_NE(target.mainFramebuffer(), 0u);
    target.begin(false, false);
    clearTo({0.2f, 0.4f, 0.6f, 1.0f});
    ASSERT_TRUE(target.drawToOutput(1.0f));
    expectNear(readPixel(), {1.0f, 0.2f, 0.4f, 0.6f}, "after release");
}

TEST_F(RenderTarget, DiscardingLayersClosesAFrameLeftOpen) {
    GlCallCounter counter;
    context->makeCurrent();
    target.prepare(4, 4, false);
    target.begin(true, true);
    target.begin(false, true);
    target.discardLayers();
    EXPECT_EQ(target.layerCount(), 0u);
    const zanth_test::GlCounts counts = counter.counts();
    EXPECT_EQ(counts.made_(GlObject::Renderbuffer) - 1, counts.deleted_(GlObject::Renderbuffer))
        << "every layer and companion is deleted, the output stays";
}

// A layer filled with `texels` (RGBA floats, width x 1) by a blit, as a pass would draw it.
void drawIntoLayer(const std::vector<float>& texels, int width) {
    GlTexture source = GlTexture::make();
    glBindTexture(GL_TEXTURE_2D, source.get());
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_RGBA32F), width, 1, 0, GL_RGBA, GL_FLOAT, texels.data());
    GLint layer = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &layer);
    GlFramebuffer read = GlFramebuffer::make();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, read.get());
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, source.get(), 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(layer));
    glBlitFramebuffer(0, 0, width, 1, 0, 0, width, 1, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(layer));
}

TEST_F(RenderTarget, ByteOutputReadsBackTheSameBytesAsFloatOutput) {
    constexpr int kWidth = 1024;
    std::vector<float> texels(kWidth * 4);
    for (size_t i = 0; i < texels.size(); ++i) {
        // Every code value, the points half-way between them, and values beyond 0..1.
        texels[i] = static_cast<float>(static_cast<int>(i * 37 % 1100) - 40) / 1020.0f;
    }
    std::vector<uint8_t> read[2];
    const OutputPrecision precisions[2] = {OutputPrecision::Float32, OutputPrecision::Bytes8};
    for (int p = 0; p < 2; ++p) {
        target.prepare(kWidth, 1, false, precisions[p]);
        EXPECT_EQ(target.outputPrecision(), precisions[p]);
        target.begin(false, false);
        drawIntoLayer(texels, kWidth);
        ASSERT_TRUE(target.drawToOutput(1.0f));
        read[p].resize(kWidth * 4);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        glReadPixels(0, 0, kWidth, 1, GL_RGBA, GL_UNSIGNED_BYTE, read[p].data());
    }
    EXPECT_EQ(read[0], read[1]);
    // And the bytes are the layer's (R, G, B, A) in host order (A, R, G, B).
    for (int x = 0; x < kWidth; ++x) {
        const float a = std::clamp(texels[x * 4 + 3], 0.0f, 1.0f);
        ASSERT_NEAR(read[1][x * 4], std::lrint(a * 255.0f), 1) << x;
    }
}

class PixelOrder : public GlContextTest, public ::testing::WithParamInterface<bool> {};

TEST_P(PixelOrder, ReordersTheChannels) {
    const bool bgar = GetParam();
    GlTexture source = GlTexture::make();
    glBindTexture(GL_TEXTURE_2D, source.get());
    const float texel[4] = {0.2f, 0.4f, 0.6f, 1.0f};
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_RGBA32F), 1, 1, 0, GL_RGBA, GL_FLOAT, texel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(GL_NEAREST));
    GlRenderbuffer output = GlRenderbuffer::make();
    glBindRenderbuffer(GL_RENDERBUFFER, output.get());
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA32F, 1, 1);
    GlFramebuffer framebuffer = GlFramebuffer::make();
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer.get());
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, output.get());
    glViewport(0, 0, 1, 1);
    {
        PixelOrderProgram program(bgar);
        ASSERT_TRUE(program.draw(source.get(), 1.0f));
    }
    const Rgba expected = bgar ? Rgba{0.6f, 0.4f, 1.0f, 0.2f} : Rgba{1.0f, 0.2f, 0.4f, 0.6f};
    expectNear(readPixel(), expected, bgar ? "bgar" : "argb");
}

INSTANTIATE_TEST_SUITE_P(Gl, PixelOrder, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Bgar" : "Argb"; });

}  // namespace
