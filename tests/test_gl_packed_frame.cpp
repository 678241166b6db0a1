// PackedByteFrame in a context of the test's own: each row split into a body
// of four pixels a texel and a tail of the last width % 4 pixels, integer
// storage of exactly eight bytes a pixel (input and output), complete
// framebuffers, and objects made only for a new size.
#include <gtest/gtest.h>

#include <glbinding/gl33core/gl.h>

#include <utility>

#include "gl/PackedByteFrame.h"
#include "tests/GlCallCounter.h"
#include "tests/GlContextFixture.h"

namespace {

using namespace Ombrix::Levels;
using namespace gl33core;
using zanth_test::GlCallCounter;
using zanth_test::GlContextTest;
using zanth_test::GlObject;

// Bytes a texel of each integer format holds.
long texelBytes(GLint internalFormat) { return internalFormat == static_cast<GLint>(GL_RGBA32UI) ? 16 : 4; }

class PackedFrame : public GlContextTest {
protected:
    void TearDown() override {
        if (context) frame.release();
        GlContextTest::TearDown();
    }
    PackedByteFrame frame;
};

TEST_F(PackedFrame, KeepsEightBytesAPixelInTwoPartsWithCompleteFramebuffers) {
    const std::pair<int, int> sizes[] = {{1920, 1080}, {257, 129}, {1, 643}, {643, 1}, {7, 3}, {1, 1}, {6, 5}};
    for (const auto& size : sizes) {
        ASSERT_TRUE(frame.resize(size.first, size.second));
        const PackedByteFrame::Part& body = frame.part(PackedByteFrame::kBody);
        const PackedByteFrame::Part& tail = frame.part(PackedByteFrame::kTail);
        EXPECT_EQ(body.columns + tail.columns, size.first);
        EXPECT_EQ(tail.columns, size.first % 4);
        EXPECT_EQ(tail.firstColumn, body.columns);
        long bytes = 0;
        for (const PackedByteFrame::Part* part : {&body, &tail}) {
            EXPECT_EQ(static_cast<bool>(part->input), part->columns > 0);
            EXPECT_EQ(static_cast<bool>(part->output), part->columns > 0);
            if (part->columns == 0) continue;
            GLint internal = 0;
            GLint wide = 0;
            GLint high = 0;
            glBindTexture(GL_TEXTURE_2D, part->input.get());
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &wide);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &high);
            glBindTexture(GL_TEXTURE_2D, 0);
            EXPECT_EQ(internal, static_cast<GLint>(part == &body ? GL_RGBA32UI : GL_R32UI));
            EXPECT_EQ(wide, part->texelsWide());
            bytes += texelBytes(internal) * wide * high;
            glBindRenderbuffer(GL_RENDERBUFFER, part->output.get());
            glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_INTERNAL_FORMAT, &internal);
            glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &wide);
            glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_HEIGHT, &high);
            glBindRenderbuffer(GL_RENDERBUFFER, 0);
            EXPECT_EQ(internal, static_cast<GLint>(part == &body ? GL_RGBA32UI : GL_R32UI));
            bytes += texelBytes(internal) * wide * high;
            glBindFramebuffer(GL_FRAMEBUFFER, part->framebuffer.get());
            EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GL_FRAMEBUFFER_COMPLETE);
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
        }
        EXPECT_EQ(bytes, 8L * size.first * size.second) << size.first << " x " << size.second;
    }
}

#if ZANTH_MODULE_GL_CALLS_VISIBLE
TEST_F(PackedFrame, MakesObjectsOnlyForANewSizeAndReleaseDeletesThem) {
    GlCallCounter counter;
    context->makeCurrent();  // the counter sees contexts selected after it
    ASSERT_TRUE(frame.resize(10, 3));
    const zanth_test::GlCounts first = counter.counts();
    EXPECT_EQ(first.made_(GlObject::Texture), 2);
    EXPECT_EQ(first.made_(GlObject::Framebuffer), 2);
    ASSERT_TRUE(frame.resize(10, 3));
    EXPECT_EQ((counter.counts() - first).objectsMade(), 0) << "the same size keeps its objects";
    ASSERT_TRUE(frame.resize(12, 3));
    EXPECT_EQ(frame.part(PackedByteFrame::kTail).columns, 0);
    frame.release();
    EXPECT_EQ(frame.width(), 0);
    const zanth_test::GlCounts all = counter.counts();
    for (GlObject kind : {GlObject::Texture, GlObject::Renderbuffer, GlObject::Framebuffer}) {
        EXPECT_EQ(all.made_(kind), all.deleted_(kind)) << "kind " << static_cast<int>(kind);
    }
}
#endif

}  // namespace
