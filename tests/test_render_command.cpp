// The render command as the host drives it: the host's own GL context is put
// back, failures end with a host error code and leave nothing behind, every
// thread renders in its own context with shared programs, and the GL objects
// of a frame are the frame's alone.
#include <gtest/gtest.h>

#include <glbinding/gl33core/gl.h>

#include <atomic>
#include <thread>

#include "gl/ContextRegistry.h"
#include "hostsim/HostGlContext.h"
#include "hostsim/RenderServices.h"
#include "tests/GlCallCounter.h"
#include "tests/RenderFixture.h"

namespace {

using namespace zanth_test;
using hostsim::HostGlContext;

LevelsSettings someSettings() {
    LevelsSettings s;
    s.composite = {10, 230, 1.4, 0, 255};
    s.blue.gamma = 0.8;
    s.alpha.outputBlack = 20;
    return s;
}

void expectModel(const hostsim::World& input, const hostsim::World& output, const LevelsSettings& s) {
    const FrameCheck check = checkFrame(input, output, s);
    EXPECT_EQ(check.wrong, 0) << check.firstWrong;
    EXPECT_GT(check.checked, 0);
}

class RenderCommand : public RenderTest {};

// ---- the host's context --------------------------------------------------------------

TEST_F(RenderCommand, PutsBackTheHostsOpenGlContext) {
    HostGlContext hostContext(HostGlContext::Api::OpenGL);
    hostContext.makeCurrent();
    hostsim::World input = everyValuePicture();
    hostsim::World output(256, 4);
    ASSERT_EQ(render(input, output), PF_Err_NONE);
    EXPECT_TRUE(hostContext.isCurrent());
    ASSERT_EQ(render(input, output), PF_Err_NONE);
    EXPECT_TRUE(hostContext.isCurrent());
    hostContext.release();
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(RenderCommand, PutsBackTheHostsOpenGlEsContextAndItsApi) {
#if defined(_WIN32)
    GTEST_SKIP() << "OpenGL ES host contexts are EGL's here: Wine's WGL offers no WGL_EXT_create_context_es2_profile";
#endif
    HostGlContext hostContext(HostGlContext::Api::OpenGLES);
    hostContext.makeCurrent();
    hostsim::World input = everyValuePicture();
    hostsim::World output(256, 4);
    ASSERT_EQ(render(input, output), PF_Err_NONE);
    EXPECT_TRUE(hostContext.isCurrent());
    EXPECT_EQ(HostGlContext::boundApi(), HostGlContext::Api::OpenGLES);
    // EGL through glvnd keeps one current context per thread, whatever its API.
    void* const current = HostGlContext::currentOpenGl();
    EXPECT_TRUE(current == nullptr || current == hostContext.handle()) << "the effect's context was left current";
    hostContext.release();
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(RenderCommand, LeavesNoContextCurrentWhenTheHostHadNone) {
    ASSERT_TRUE(HostGlContext::noneCurrent());
    hostsim::World input = everyValuePicture();
    hostsim::World output(256, 4);
    ASSERT_EQ(render(input, output), PF_Err_NONE);
    EXPECT_TRUE(HostGlContext::noneCurrent());
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(RenderCommand, SetUpAndSetDownPutBackTheHostsContext) {
    HostGlContext hostContext;
    hostContext.makeCurrent();
    ASSERT_EQ(host->globalSetdown(), PF_Err_NONE);
    EXPECT_TRUE(hostContext.isCurrent());
    ASSERT_EQ(host->globalSetup(), PF_Err_NONE);
    EXPECT_TRUE(hostContext.isCurrent());
    hostContext.release();
}

// ---- failures ----------------------------------------------------------------------------

struct Failure {
    const char* name;
    std::function<void(PF_EffectWorld&)> inject;  // spoils the output world
};

std::ostream& operator<<(std::ostream& out, const Failure& f) { return out << f.name; }

class RenderFailure : public RenderTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(RenderFailure, GivesAHostErrorLeavesNothingAndRestoresTheHostsContext) {
    const LevelsSettings settings = someSettings();
    applySettings(*host, settings);
    hostsim::World input = everyValuePicture(4, 8);
    hostsim::World output(256, 4);
    ASSERT_EQ(render(input, output), PF_Err_NONE);  // steady state first: the failing frame is an ordinary one

    HostGlContext hostContext;
    hostContext.makeCurrent();
    GlCallCounter counter;
    GetParam().inject(*output.def());
    EXPECT_EQ(render(input, output), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_TRUE(hostContext.isCurrent());
    EXPECT_HOST_CLEAN(*host);
    const GlCounts failed = counter.counts();
    for (GlObject kind : {GlObject::Texture, GlObject::Renderbuffer, GlObject::Buffer, GlObject::Program}) {
        EXPECT_EQ(failed.made_(kind), failed.deleted_(kind))
            << "GL objects of kind " << static_cast<int>(kind) << " left by the failed frame";
    }

    // The next frame is whole again.
    hostsim::World again(256, 4);
    ASSERT_EQ(render(input, again), PF_Err_NONE);
    expectModel(input, again, settings);
    EXPECT_TRUE(hostContext.isCurrent());
    hostContext.release();
    EXPECT_HOST_CLEAN(*host);
}

INSTANTIATE_TEST_SUITE_P(
    Render, RenderFailure,
    ::testing::Values(Failure{"OutputWithoutPixels", [](PF_EffectWorld& w) { w.data = nullptr; }},
                      Failure{"OutputRowsTooShort", [](PF_EffectWorld& w) { w.rowbytes = 4; }}),
    [](const ::testing::TestParamInfo<Failure>& info) { return info.param.name; });

TEST_F(RenderCommand, FramesCallNoHostServiceForTheirPixels) {
    // The pixels come from the worlds' own rows: no handle suite, no
    // iteration suite and no pixel accessor of the utility table.
    const LevelsSettings settings = someSettings();
    applySettings(*host, settings);
    host->refuseSuite(kPFHandleSuite, kPFHandleSuiteVersion1);
    host->refuseSuite(kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1);
    hostsim::World input = everyValuePicture(4, 8);
    for (int frame = 0; frame < 2; ++frame) {
        hostsim::World output(256, 4, PF_PixelFormat_ARGB32, 12);
        ASSERT_EQ(render(input, output), PF_Err_NONE);
        expectModel(input, output, settings);
    }
    EXPECT_EQ(host->suiteCounts(kPFHandleSuite, kPFHandleSuiteVersion1).acquired, 0);
    EXPECT_EQ(host->suiteCounts(kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1).acquired, 0);
    EXPECT_HOST_CLEAN(*host);
}

class RenderCommandOnBothPaths : public PathRenderTest {};

// A parameter the host refuses (here: the render is cancelled) fails the frame
// with the host's code: the output is not drawn (a frame with that parameter
// at its default would be cached as right), nothing stays checked out, and the
// next frame renders. The first, a middle and the last of the 27 reads.
TEST_P(RenderCommandOnBothPaths, ARefusedParameterCheckoutFailsTheFrameWithTheHostsCode) {
    const LevelsSettings settings = someSettings();
    applySettings(*host, settings);
    hostsim::World input = everyValuePicture(3, 8);
    for (const int nth : {1, 14, 27}) {
        for (const PF_PixelFormat format : {PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64}) {
            SCOPED_TRACE("checkout " + std::to_string(nth) + ", format " + std::to_string(format));
            hostsim::World in(input.width(), input.height(), format, 8);
            for (int y = 0; y < in.height(); ++y) {
                for (int x = 0; x < in.width(); ++x) {
                    const PF_Pixel8 p = input.pixel8(x, y);
                    if (format == PF_PixelFormat_ARGB32) {
                        in.pixel8(x, y) = p;
                    } else {
                        in.pixel16(x, y) = PF_Pixel16{static_cast<A_u_short>(p.alpha * 128), static_cast<A_u_short>(p.red * 128),
                                                      static_cast<A_u_short>(p.green * 128), static_cast<A_u_short>(p.blue * 128)};
                    }
                }
            }
            hostsim::World output(in.width(), in.height(), format, 4);
            fillBytes(output, 0x5A);
            host->failCheckout(nth, PF_Interrupt_CANCEL);
            EXPECT_EQ(render(in, output), PF_Interrupt_CANCEL);
            host->failCheckout(0, 0);
            for (uint8_t byte : output.memory()) ASSERT_EQ(byte, 0x5A) << "the output was written";
            EXPECT_EQ(host->checkedOutParams(), 0);
            if (format == PF_PixelFormat_ARGB32) {
                ASSERT_EQ(render(in, output), PF_Err_NONE);
                expectModel(in, output, settings);
            }
        }
    }
    EXPECT_HOST_CLEAN(*host);
}

TEST_P(RenderCommandOnBothPaths, PaddedRowsAndOutputsOfAnotherSize) {
    const LevelsSettings settings = someSettings();
    applySettings(*host, settings);
    for (int inPadding : {0, 4, 12, 3, 1}) {
        hostsim::World input = everyValuePicture(6, inPadding);
        for (const auto& size : {std::make_pair(256, 6), std::make_pair(300, 9), std::make_pair(100, 3),
                                 std::make_pair(300, 2), std::make_pair(40, 9)}) {
            hostsim::World output(size.first, size.second, PF_PixelFormat_ARGB32, 36);
            fillBytes(output, 0x5A);
            ASSERT_EQ(render(input, output), PF_Err_NONE) << size.first << " x " << size.second;
            expectModel(input, output, settings);
            for (int y = 0; y < output.height(); ++y) {
                for (int b = 0; b < output.rowbytes(); ++b) {
                    const bool inside = y < 6 && b < std::min(256, output.width()) * 4;
                    if (!inside) {
                        ASSERT_EQ(output.row(y)[b], 0x5A) << "byte " << b << " of row " << y;
                    }
                }
            }
        }
    }
    EXPECT_HOST_CLEAN(*host);
}

TEST_P(RenderCommandOnBothPaths, AnEmptyLayerIsNothingToDraw) {
    for (const auto& size : {std::make_pair(0, 0), std::make_pair(0, 5), std::make_pair(5, 0)}) {
        hostsim::World input(size.first, size.second);
        hostsim::World output(4, 4);
        fillBytes(output, 0x5A);
        EXPECT_EQ(render(input, output), PF_Err_NONE);
        EXPECT_EQ(output.pixel8(3, 3).red, 0x5A);
    }
    hostsim::World input(4, 4);
    hostsim::World output(0, 0);
    EXPECT_EQ(render(input, output), PF_Err_NONE);
    EXPECT_HOST_CLEAN(*host);
}

TEST_P(RenderCommandOnBothPaths, WithoutGlobalSetUpARenderIsAHostError) {
    ASSERT_EQ(host->globalSetdown(), PF_Err_NONE);
    hostsim::World input = everyValuePicture();
    hostsim::World output(256, 4);
    fillBytes(output, 0x5A);
    EXPECT_EQ(render(input, output), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(output.pixel8(0, 0).red, 0x5A);
    EXPECT_HOST_CLEAN(*host);
}

// Worlds whose rows are stored bottom-up (rowbytes negative, data at the
// first row, which lies last in memory), as input, output or both, with rows
// that are and are not whole groups of four pixels: every pixel as the model
// says, the padding untouched.
TEST_P(RenderCommandOnBothPaths, BottomUpWorldsAreRenderedAsAnyOther) {
    const LevelsSettings settings = someSettings();
    applySettings(*host, settings);
    for (const int width : {256, 7, 1}) {
        hostsim::World input(width, 5, PF_PixelFormat_ARGB32, 12);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < width; ++x) {
                const auto byte = [](int value) { return static_cast<A_u_char>(value & 255); };
                input.pixel8(x, y) = PF_Pixel8{byte(x * 7 + 13 * y), byte(x + 85 + 29 * y), byte(255 - x + 41 * y),
                                               byte(x * 3 + 53 * y)};
            }
        }
        for (const bool flipInput : {true, false}) {
            for (const bool flipOutput : {true, false}) {
                if (!flipInput && !flipOutput) continue;
                const std::string what = std::to_string(width) + " wide, bottom-up" + (flipInput ? " input" : "") +
                                         (flipOutput ? " output" : "");
                hostsim::World output(width, 5, PF_PixelFormat_ARGB32, 8);
                fillBytes(output, 0x5A);
                PF_EffectWorld in = flipInput ? bottomUp(input) : *input.def();
                PF_EffectWorld out = flipOutput ? bottomUp(output) : *output.def();
                host->setInputLayer(&in);
                ASSERT_EQ(host->render(&out), PF_Err_NONE) << what;
                for (int y = 0; y < 5; ++y) {
                    for (int x = 0; x < width; ++x) {
                        const PF_Pixel8& from = input.pixel8(x, flipInput ? 4 - y : y);
                        const PF_Pixel8& to = output.pixel8(x, flipOutput ? 4 - y : y);
                        for (Channel c : {kAlpha, kRed, kGreen, kBlue}) {
                            ASSERT_EQ(channelOf(to, c), byteModel(channelOf(from, c), c, settings))
                                << what << " at " << x << "," << y;
                        }
                    }
                    for (int b = width * 4; b < output.rowbytes(); ++b) ASSERT_EQ(output.row(y)[b], 0x5A) << what;
                }
            }
        }
    }
    EXPECT_HOST_CLEAN(*host);
}

INSTANTIATE_TEST_SUITE_P(Render, RenderCommandOnBothPaths, ::testing::Values(Path::Gpu, Path::Cpu), pathTestName);

TEST_F(RenderCommand, ALayerBeyondTheGlLimitsIsAHostError) {
    // The limits of the implementation, asked in a context of the test's own.
    gl::GLint limit = 0;
    {
        Ombrix::Levels::SavedCurrentContext saved;
        Ombrix::Levels::createRootContext();
        using namespace gl33core;
        gl::GLint texture = 0;
        gl::GLint renderbuffer = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
        glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
        limit = std::min(texture, renderbuffer);
        Ombrix::Levels::destroyAllContexts();
    }
    ASSERT_GT(limit, 0);
    HostGlContext hostContext;
    hostContext.makeCurrent();
    for (const auto& size : {std::make_pair(limit + 1, 1), std::make_pair(1, limit + 1)}) {
        hostsim::World input(size.first, size.second);
        hostsim::World output(size.first, size.second);
        fillBytes(output, 0x5A);
        EXPECT_EQ(render(input, output), PF_Err_OUT_OF_MEMORY) << size.first << " x " << size.second;
        EXPECT_EQ(output.pixel8(0, 0).alpha, 0x5A) << "the output was written";
        EXPECT_TRUE(hostContext.isCurrent());
    }
    hostContext.release();
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(RenderCommand, AnEmptyLayerIsNothingToDraw) {
    GlCallCounter counter;
    for (const auto& size : {std::make_pair(0, 0), std::make_pair(0, 5), std::make_pair(5, 0)}) {
        hostsim::World input(size.first, size.second);
        hostsim::World output(4, 4);
        fillBytes(output, 0x5A);
        EXPECT_EQ(render(input, output), PF_Err_NONE);
        EXPECT_EQ(output.pixel8(3, 3).red, 0x5A);
    }
    host->setInputLayer(nullptr);  // a layer without pixels
    hostsim::World output(4, 4);
    EXPECT_EQ(host->render(output.def()), PF_Err_NONE);
    EXPECT_EQ(counter.counts().objectsMade(), 0);
    EXPECT_HOST_CLEAN(*host);
}

// ---- sizes and rows --------------------------------------------------------------------------

TEST_F(RenderCommand, PaddedRowsAreReadAndWrittenInPlace) {
    const LevelsSettings settings = someSettings();
    applySettings(*host, settings);
    for (int inPadding : {0, 4, 12, 3, 1}) {  // 3 and 1: rows that are no whole number of pixels apart
        hostsim::World input = everyValuePicture(5, inPadding);
        hostsim::World output(256, 5, PF_PixelFormat_ARGB32, 36);
        fillBytes(output, 0xA5);
        ASSERT_EQ(render(input, output), PF_Err_NONE) << "input padding " << inPadding;
        expectModel(input, output, settings);
        for (int y = 0; y < 5; ++y) {
            for (int b = 256 * 4; b < output.rowbytes(); ++b) {
                ASSERT_EQ(output.row(y)[b], 0xA5) << "padding byte " << b << " of row " << y << " was written";
            }
        }
    }
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(RenderCommand, TheFirstRowStaysTheFirstRow) {
    // Rows that differ: a vertical flip, or rows out of step, cannot pass.
    hostsim::World input(3, 7);
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 3; ++x) {
            input.pixel8(x, y) = PF_Pixel8{255, static_cast<A_u_char>(30 * y), static_cast<A_u_char>(100 * x),
                                           static_cast<A_u_char>(y == 0 && x == 0 ? 255 : 0)};
        }
    }
    hostsim::World output(3, 7);
    ASSERT_EQ(render(input, output), PF_Err_NONE);
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 3; ++x) {
            ASSERT_EQ(std::memcmp(&input.pixel8(x, y), &output.pixel8(x, y), 4), 0) << x << "," << y;
        }
    }
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(RenderCommand, AnOutputOfAnotherSizeGetsOnlyTheOverlap) {
    const LevelsSettings settings = someSettings();
    applySettings(*host, settings);
    hostsim::World input = everyValuePicture(6, 4);
    for (const auto& size : {std::make_pair(300, 9), std::make_pair(100, 3), std::make_pair(300, 2),
                             std::make_pair(40, 9)}) {
        hostsim::World output(size.first, size.second, PF_PixelFormat_ARGB32, 8);
        fillBytes(output, 0x5A);
        ASSERT_EQ(render(input, output), PF_Err_NONE) << size.first << " x " << size.second;
        expectModel(input, output, settings);
        for (int y = 0; y < output.height(); ++y) {
            for (int b = 0; b < output.rowbytes(); ++b) {
                const bool inside = y < 6 && b < std::min(256, output.width()) * 4;
                if (!inside) {
                    ASSERT_EQ(output.row(y)[b], 0x5A) << "byte " << b << " of row " << y;
                }
            }
        }
    }
    EXPECT_HOST_CLEAN(*host);
}

// Any width and height: pixel patterns as in everyValuePicture, for frames
// that are not 256 pixels wide.
hostsim::World patternPicture(int width, int height, int rowPadding) {
    hostsim::World world(width, height, PF_PixelFormat_ARGB32, rowPadding);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            PF_Pixel8& p = world.pixel8(x, y);
            p.alpha = static_cast<A_u_char>((x * 7 + 13 * y) % 256);
            p.red = static_cast<A_u_char>((x + 85 + 29 * y) % 256);
            p.green = static_cast<A_u_char>((255 - x + 41 * y) % 256);
            p.blue = static_cast<A_u_char>((x * 3 + 170 + 53 * y) % 256);
        }
    }
    return world;
}

// The GPU path keeps 8-bit frames four pixels to a texel, with the last
// width % 4 pixels of each row apart: every width, the narrow and the flat
// ones included, with rows of every padding, and outputs whose overlap ends
// inside a group of four.
TEST_F(RenderCommand, FramesOfEveryShapeAndRowDistance) {
    const LevelsSettings settings = someSettings();
    applySettings(*host, settings);
    const std::pair<int, int> sizes[] = {{1, 1}, {2, 3}, {3, 2}, {4, 1}, {5, 4}, {6, 2}, {7, 3}, {9, 9},
                                         {1, 643}, {643, 1}, {259, 3}, {4099, 2}};
    for (const auto& size : sizes) {
        for (int inPadding : {0, 4, 8, 12, 3, 1}) {
            hostsim::World input = patternPicture(size.first, size.second, inPadding);
            const std::pair<int, int> outputs[] = {size, {size.first + 5, size.second + 1},
                                                   {std::max(1, size.first - 1), size.second},
                                                   {std::max(1, size.first - 2), std::max(1, size.second - 1)}};
            for (const auto& outSize : outputs) {
                for (int outPadding : {0, 4, 2}) {
                    hostsim::World output(outSize.first, outSize.second, PF_PixelFormat_ARGB32, outPadding);
                    fillBytes(output, 0x5A);
                    const std::string what = std::to_string(size.first) + " x " + std::to_string(size.second) +
                                             ", padding " + std::to_string(inPadding) + ", output " +
                                             std::to_string(outSize.first) + " x " + std::to_string(outSize.second) +
                                             ", padding " + std::to_string(outPadding);
                    ASSERT_EQ(render(input, output), PF_Err_NONE) << what;
                    const FrameCheck check = checkFrame(input, output, settings);
                    ASSERT_EQ(check.wrong, 0) << what << ": " << check.firstWrong;
                    ASSERT_GT(check.checked, 0) << what;
                    const int columns = std::min(size.first, outSize.first);
                    const int rows = std::min(size.second, outSize.second);
                    for (int y = 0; y < output.height(); ++y) {
                        for (int b = 0; b < output.rowbytes(); ++b) {
                            if (y >= rows || b >= 4 * columns) {
                                ASSERT_EQ(output.row(y)[b], 0x5A) << what << ": byte " << b << " of row " << y;
                            }
                        }
                    }
                }
            }
        }
    }
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(RenderCommand, SizeChangesBetweenFrames) {
    const LevelsSettings settings = someSettings();
    applySettings(*host, settings);
    GlCallCounter counter;
    for (int height : {4, 4, 9, 2, 2}) {
        hostsim::World input = everyValuePicture(height);
        hostsim::World output(256, height);
        ASSERT_EQ(render(input, output), PF_Err_NONE);
        expectModel(input, output, settings);
    }
    // Framebuffers are made for the first size and again for each new size only.
    if (ZANTH_MODULE_GL_CALLS_VISIBLE) {
        EXPECT_EQ(counter.counts().made_(GlObject::Framebuffer), 3);
    }
    EXPECT_HOST_CLEAN(*host);
}

// ---- what a frame makes --------------------------------------------------------------------
#if ZANTH_MODULE_GL_CALLS_VISIBLE

TEST_F(RenderCommand, SteadyFramesMakeOnlyTheirOwnObjectsAndLinkNothing) {
    hostsim::World input = everyValuePicture();
    hostsim::World output(256, 4);
    GlCallCounter counter;
    ASSERT_EQ(render(input, output), PF_Err_NONE);
    const GlCounts first = counter.counts();
    EXPECT_EQ(first.links, 1) << "the lookup program, which writes the host's order itself";
    // What a context keeps: the packed input texture and output (a frame 256
    // pixels wide has no tail), no layer, no copy; and the byte table's buffer.
    EXPECT_EQ(first.made_(GlObject::Texture), 1);
    EXPECT_EQ(first.made_(GlObject::Renderbuffer), 1);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(render(input, output), PF_Err_NONE);
    const GlCounts steady = counter.counts() - first;
    EXPECT_EQ(steady.links, 0);
    EXPECT_EQ(steady.made_(GlObject::Program) + steady.made_(GlObject::Shader), 0);
    EXPECT_EQ(steady.made_(GlObject::Framebuffer) + steady.made_(GlObject::VertexArray), 0);
    EXPECT_EQ(steady.made_(GlObject::Buffer), 0);
    // The input texture and the output are kept for frames of the same size.
    EXPECT_EQ(steady.objectsMade(), 0);
    EXPECT_EQ(steady.deleted_(GlObject::Texture) + steady.deleted_(GlObject::Renderbuffer), 0);
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(RenderCommand, SetDownDeletesEverySharedObject) {
    GlCallCounter counter;
    hostsim::World input = everyValuePicture();
    hostsim::World output(256, 4);
    ASSERT_EQ(render(input, output), PF_Err_NONE);
    std::thread other([&] { EXPECT_EQ(render(input, output), PF_Err_NONE); });
    other.join();
    ASSERT_EQ(host->globalSetdown(), PF_Err_NONE);
    const GlCounts all = counter.counts();
    // Framebuffers and vertex arrays go with their contexts; the rest is deleted.
    for (GlObject kind : {GlObject::Texture, GlObject::Renderbuffer, GlObject::Buffer, GlObject::Program,
                          GlObject::Shader}) {
        EXPECT_EQ(all.made_(kind), all.deleted_(kind)) << "kind " << static_cast<int>(kind);
    }
    EXPECT_HOST_CLEAN(*host);
}

#endif  // ZANTH_MODULE_GL_CALLS_VISIBLE

// ---- threads and contexts -----------------------------------------------------------------

TEST_F(RenderCommand, EachThreadRendersInItsOwnContextWithSharedPrograms) {
    const LevelsSettings settings = someSettings();
    applySettings(*host, settings);
    GlCallCounter counter;
    std::atomic<int> failures{0};

    // Alternating frames on two threads, each thread with a host context of its own.
    hostsim::World input = everyValuePicture(4, 4);
    host->setInputLayer(input.def());
    auto frames = [&](int count) {
        HostGlContext hostContext;
        hostContext.makeCurrent();
        for (int i = 0; i < count; ++i) {
            hostsim::World output(256, 4);
            if (host->render(output.def()) != PF_Err_NONE) ++failures;
            const FrameCheck check = checkFrame(input, output, settings);
            if (check.wrong != 0) ++failures;
            if (!hostContext.isCurrent()) ++failures;
        }
        hostContext.release();
    };
    for (int round = 0; round < 2; ++round) {
        std::thread a(frames, 2);
        a.join();
        std::thread b(frames, 2);
        b.join();
    }
    EXPECT_EQ(failures.load(), 0);
    if (!ZANTH_MODULE_GL_CALLS_VISIBLE) return;
    // Four threads, four contexts, each selected by its own thread only; the
    // lookup program was linked once and serves them all.
    // (A context goes with its thread, so a later thread's context may come
    // to have the same handle.)
    const auto selected = counter.selected();
    size_t threads = 0;
    for (const auto& entry : selected) {
        if (entry.first == GlCallCounter::threadKey()) continue;
        EXPECT_EQ(entry.second.size(), 1u);
        ++threads;
    }
    EXPECT_EQ(threads, 4u);
    EXPECT_EQ(counter.counts().links, 1);
    EXPECT_HOST_CLEAN(*host);
}

#if ZANTH_MODULE_GL_CALLS_VISIBLE
TEST_F(RenderCommand, ShortLivedThreadsLeaveNothingBehind) {
    const LevelsSettings settings = someSettings();
    applySettings(*host, settings);
    hostsim::World input = everyValuePicture(6, 4);
    host->setInputLayer(input.def());
    GlCallCounter counter;
    std::atomic<int> failures{0};
    for (int i = 0; i < 50; ++i) {
        std::thread once([&] {
            hostsim::World output(256, 6);
            if (host->render(output.def()) != PF_Err_NONE) ++failures;
            if (checkFrame(input, output, settings).wrong != 0) ++failures;
        });
        once.join();
    }
    EXPECT_EQ(failures.load(), 0);
    // Each thread's context took its kept textures, renderbuffers and
    // framebuffers with it: nothing of theirs is left.
    const GlCounts counts = counter.counts();
    for (GlObject kind : {GlObject::Texture, GlObject::Renderbuffer, GlObject::Framebuffer, GlObject::VertexArray}) {
        EXPECT_EQ(counts.made_(kind), counts.deleted_(kind)) << "kind " << static_cast<int>(kind);
    }
    EXPECT_GE(counts.made_(GlObject::Texture), 50);
    // Frames are still right afterwards, here and on a new thread.
    hostsim::World output(256, 6);
    ASSERT_EQ(host->render(output.def()), PF_Err_NONE);
    expectModel(input, output, settings);
    std::thread another([&] {
        hostsim::World theirs(256, 6);
        EXPECT_EQ(host->render(theirs.def()), PF_Err_NONE);
        expectModel(input, theirs, settings);
    });
    another.join();
    EXPECT_HOST_CLEAN(*host);
}
#endif

TEST_F(RenderCommand, ConcurrentFramesOnTwoThreadsAreBothRight) {
    const LevelsSettings settings = someSettings();
    applySettings(*host, settings);
    hostsim::World input = everyValuePicture(8, 4);
    host->setInputLayer(input.def());
    std::atomic<int> failures{0};
    auto frames = [&] {
        HostGlContext hostContext;
        hostContext.makeCurrent();
        for (int i = 0; i < 6; ++i) {
            hostsim::World output(256, 8);
            if (host->render(output.def()) != PF_Err_NONE) ++failures;
            if (checkFrame(input, output, settings).wrong != 0) ++failures;
            if (!hostContext.isCurrent()) ++failures;
        }
        hostContext.release();
    };
    std::thread a(frames);
    std::thread b(frames);
    a.join();
    b.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(RenderCommand, SetUpAfterSetDownRendersWithNewContexts) {
    const LevelsSettings settings = someSettings();
    applySettings(*host, settings);
    hostsim::World input = everyValuePicture();
    for (int cycle = 0; cycle < 3; ++cycle) {
        hostsim::World output(256, 4);
        ASSERT_EQ(render(input, output), PF_Err_NONE) << "cycle " << cycle;
        expectModel(input, output, settings);
        ASSERT_EQ(host->globalSetdown(), PF_Err_NONE);
        ASSERT_EQ(host->globalSetup(), PF_Err_NONE);
    }
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(RenderCommand, WithoutGlobalSetUpARenderIsAHostError) {
    ASSERT_EQ(host->globalSetdown(), PF_Err_NONE);
    HostGlContext hostContext;
    hostContext.makeCurrent();
    hostsim::World input = everyValuePicture();
    hostsim::World output(256, 4);
    EXPECT_EQ(render(input, output), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_TRUE(hostContext.isCurrent());
    hostContext.release();
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(HostTest, WithoutAnySetUpARenderIsAHostError) {
    HostGlContext hostContext;
    hostContext.makeCurrent();
    hostsim::World input = everyValuePicture();
    hostsim::World output(256, 4);
    host->setInputLayer(input.def());
    EXPECT_EQ(host->render(output.def()), PF_Err_INVALID_INDEX);  // no parameter declared yet
    EXPECT_TRUE(hostContext.isCurrent());
    hostContext.release();
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(RenderCommand, OneDescriptionPerContextOnStandardOutput) {
    hostsim::World input = everyValuePicture();
    hostsim::World output(256, 4);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(render(input, output), PF_Err_NONE);
    EXPECT_EQ(render(input, output), PF_Err_NONE);
    std::thread other([&] { EXPECT_EQ(render(input, output), PF_Err_NONE); });
    other.join();
    const std::string printed = ::testing::internal::GetCapturedStdout();
    size_t count = 0;
    for (size_t at = printed.find("OpenGL Version:  "); at != std::string::npos;
         at = printed.find("OpenGL Version:  ", at + 1)) {
        ++count;
    }
    EXPECT_EQ(count, 2u) << printed;
    EXPECT_HOST_CLEAN(*host);
}

}  // namespace
