// The effect's OpenGL contexts on EGL: the registry, sharing between
// contexts, the description on standard output and the saved host context.
#include <gtest/gtest.h>

#include <glbinding/Meta.h>
#include <glbinding/gl33core/gl.h>

#include <EGL/egl.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <regex>
#include <thread>

#include "gl/AEOpenGLContext.h"
#include "gl/ContextRegistry.h"
#include "gl/GlName.h"
#include "hostsim/HostGlContext.h"
#include "tests/GlContextFixture.h"

namespace {

using namespace Ombrix::Levels;
using namespace gl33core;
using hostsim::HostGlContext;
using zanth_test::GlContextTest;

EGLContext currentEglContext() {
    const EGLenum api = eglQueryAPI();
    eglBindAPI(EGL_OPENGL_API);
    const EGLContext c = eglGetCurrentContext();
    eglBindAPI(api);
    return c;
}

class ContextRegistry : public ::testing::Test {
protected:
    void TearDown() override { destroyAllContexts(); }
};

TEST_F(ContextRegistry, TheRootDescribesItselfOnStandardOutput) {
    ::testing::internal::CaptureStdout();
    ASSERT_NO_THROW(createRootContext()) << "no OpenGL 3.3 context: these tests need Mesa's llvmpipe";
    const std::string printed = ::testing::internal::GetCapturedStdout();
    const std::regex form(
        "\nOpenGL Version:  ([0-9]+)\\.([0-9]+)\nOpenGL Vendor:   [^\n]+\nOpenGL Renderer: [^\n]+\n"
        "OpenGL Revision: ([0-9]+) \\(gl\\.xml\\)\n\n");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(printed, match, form)) << printed;
    EXPECT_GE(std::stoi(match[1]) * 10 + std::stoi(match[2]), 33);
    EXPECT_EQ(std::stoi(match[3]), glbinding::Meta::glRevision());
    ASSERT_NE(rootContext(), nullptr);
    EXPECT_EQ(currentEglContext(), rootContext()->context()) << "a new context is left current";
}

TEST_F(ContextRegistry, AThreadKeepsItsContextAndAnotherThreadGetsItsOwn) {
    ::testing::internal::CaptureStdout();
    createRootContext();
    AEOpenGLContext& mine = contextForCurrentThread();
    AEOpenGLContext& again = contextForCurrentThread();
    AEOpenGLContext* theirs = nullptr;
    std::thread other([&] { theirs = &contextForCurrentThread(); });
    other.join();
    const std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(&mine, &again);
    ASSERT_NE(theirs, nullptr);
    EXPECT_NE(theirs, &mine);
    EXPECT_NE(theirs, rootContext());
    EXPECT_EQ(threadContextCount(), 2u);
    size_t descriptions = 0;
    for (size_t at = printed.find("OpenGL Version:"); at != std::string::npos; at = printed.find("OpenGL Version:", at + 1)) {
        ++descriptions;
    }
    EXPECT_EQ(descriptions, 3u) << printed;
}

TEST_F(ContextRegistry, ObjectsMadeInOneThreadsContextAreUsableInAnothers) {
    ::testing::internal::CaptureStdout();
    createRootContext();
    AEOpenGLContext& mine = contextForCurrentThread();
    mine.makeCurrent();
    GlTexture texture = GlTexture::make();
    glBindTexture(GL_TEXTURE_2D, texture.get());
    const float texel[4] = {0.25f, 0.5f, 0.75f, 1.0f};
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_RGBA32F), 1, 1, 0, GL_RGBA, GL_FLOAT, texel);
    glFinish();
    bool known = false;
    float seen[4] = {0, 0, 0, 0};
    std::thread other([&] {
        AEOpenGLContext& theirs = contextForCurrentThread();
        theirs.makeCurrent();
        known = glIsTexture(texture.get()) == GL_TRUE;
        GlFramebuffer framebuffer = GlFramebuffer::make();
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer.get());
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture.get(), 0);
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_FLOAT, seen);
        framebuffer.reset();
        eglMakeCurrent(theirs.display(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    });
    other.join();
    ::testing::internal::GetCapturedStdout();
    mine.makeCurrent();
    texture.reset();
    EXPECT_TRUE(known);
    EXPECT_EQ(seen[0], 0.25f);
    EXPECT_EQ(seen[3], 1.0f);
}

TEST_F(ContextRegistry, WithoutARootNoContextIsMade) {
    EXPECT_THROW(contextForCurrentThread(), AESDK_OpenGL_Fault);
    EXPECT_EQ(threadContextCount(), 0u);
}

TEST_F(ContextRegistry, AfterSetDownAndNewSetUpAThreadGetsANewContext) {
    ::testing::internal::CaptureStdout();
    createRootContext();
    contextForCurrentThread().makeCurrent();
    destroyAllContexts();
    EXPECT_EQ(rootContext(), nullptr);
    EXPECT_EQ(threadContextCount(), 0u);
    createRootContext();
    AEOpenGLContext& fresh = contextForCurrentThread();
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(threadContextCount(), 1u);
    fresh.makeCurrent();
    EXPECT_EQ(currentEglContext(), fresh.context());
    GLint major = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    EXPECT_GE(major, 3) << "GL calls work in the new context";
}

TEST_F(ContextRegistry, ARepeatedSetUpKeepsTheRoot) {
    ::testing::internal::CaptureStdout();
    createRootContext();
    AEOpenGLContext* first = rootContext();
    createRootContext();
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(rootContext(), first);
}

TEST_F(ContextRegistry, SwitchingToAContextCurrentOnAnotherThreadRaises) {
    ::testing::internal::CaptureStdout();
    createRootContext();
    AEOpenGLContext* theirs = nullptr;
    std::mutex m;
    std::condition_variable cv;
    bool made = false;
    bool done = false;
    std::thread other([&] {
        AEOpenGLContext& c = contextForCurrentThread();
        c.makeCurrent();
        std::unique_lock<std::mutex> lock(m);
        theirs = &c;
        made = true;
        cv.notify_all();
        cv.wait(lock, [&] { return done; });
        eglMakeCurrent(c.display(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    });
    {
        std::unique_lock<std::mutex> lock(m);
        cv.wait(lock, [&] { return made; });
    }
    ::testing::internal::GetCapturedStdout();
    SavedCurrentContext saved;
    EXPECT_THROW(theirs->makeCurrent(), AESDK_OpenGL_Fault) << "GL calls would go to whatever context is current";
    saved.restore();
    {
        std::lock_guard<std::mutex> lock(m);
        done = true;
    }
    cv.notify_all();
    other.join();
}

// ---- the host's context, saved and restored ----------------------------------------------

class SavedContext : public GlContextTest {
protected:
    void SetUp() override {
        GlContextTest::SetUp();
        eglMakeCurrent(context->display(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
};

TEST_F(SavedContext, PutsBackTheHostsContext) {
    HostGlContext host;
    host.makeCurrent();
    {
        SavedCurrentContext saved;
        context->makeCurrent();
        EXPECT_FALSE(host.isCurrent());
    }
    EXPECT_TRUE(host.isCurrent());
    host.release();
}

TEST_F(SavedContext, PutsBackAnOpenGlEsContextAndItsApi) {
    HostGlContext host(HostGlContext::Api::OpenGLES);
    host.makeCurrent();
    {
        SavedCurrentContext saved;
        context->makeCurrent();
        EXPECT_EQ(eglQueryAPI(), static_cast<EGLenum>(EGL_OPENGL_API));
    }
    EXPECT_TRUE(host.isCurrent());
    EXPECT_EQ(eglQueryAPI(), static_cast<EGLenum>(EGL_OPENGL_ES_API));
    host.release();
}

TEST_F(SavedContext, LeavesNoContextWhenTheHostHadNone) {
    ASSERT_TRUE(HostGlContext::noneCurrent());
    {
        SavedCurrentContext saved;
        context->makeCurrent();
    }
    EXPECT_TRUE(HostGlContext::noneCurrent());
}

TEST_F(SavedContext, RestoresOnceAndTheDestructorAfterwardsDoesNothing) {
    HostGlContext host;
    host.makeCurrent();
    {
        SavedCurrentContext saved;
        context->makeCurrent();
        saved.restore();
        EXPECT_TRUE(host.isCurrent());
        context->makeCurrent();  // anything after the restore is the caller's business
        saved.restore();
        EXPECT_EQ(currentEglContext(), context->context());
    }
    EXPECT_EQ(currentEglContext(), context->context()) << "the destructor restored a second time";
    host.makeCurrent();
    host.release();
}

TEST_F(SavedContext, RestoresWhenAnExceptionPasses) {
    HostGlContext host;
    host.makeCurrent();
    try {
        SavedCurrentContext saved;
        context->makeCurrent();
        throw 516;
    } catch (int) {
    }
    EXPECT_TRUE(host.isCurrent());
    host.release();
}

TEST_F(SavedContext, DestroyingTheCurrentContextLeavesNoneCurrent) {
    context->makeCurrent();
    destroyAllContexts();
    EXPECT_EQ(currentEglContext(), EGL_NO_CONTEXT);
    context = nullptr;
}

}  // namespace
