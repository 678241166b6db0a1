// The effect's OpenGL contexts: the registry, sharing between contexts, the
// description on standard output and the saved host context.
#include <gtest/gtest.h>

#include <glbinding/Meta.h>
#include <glbinding/gl33core/gl.h>

#include <atomic>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "gl/AEOpenGLContext.h"
#include "gl/ContextRegistry.h"
#include "gl/GlName.h"
#include "gl/PerContext.h"
#include "hostsim/HostGlContext.h"
#include "tests/GlContextFixture.h"

namespace {

using namespace Ombrix::Levels;
using namespace gl33core;
using hostsim::HostGlContext;
using zanth_test::GlContextTest;

void* handleOf(const AEOpenGLContext& c) { return reinterpret_cast<void*>(c.bindingHandle()); }

size_t descriptionsIn(const std::string& printed) {
    size_t n = 0;
    for (size_t at = printed.find("OpenGL Version:"); at != std::string::npos; at = printed.find("OpenGL Version:", at + 1)) {
        ++n;
    }
    return n;
}

class ContextRegistry : public ::testing::Test {
protected:
    void TearDown() override {
        destroyAllContexts();
        host.restore();
    }
    SavedCurrentContext host;  // none: the tests leave nothing current
};

TEST_F(ContextRegistry, TheRootDescribesItselfAndStaysCurrent) {
    ::testing::internal::CaptureStdout();
    ASSERT_NO_THROW(createRootContext()) << "no OpenGL 3.3 context: these tests need Mesa's llvmpipe";
    const std::string printed = ::testing::internal::GetCapturedStdout();
    // An empty line, four labelled lines with their labels padded to one width, an empty line.
    std::vector<std::string> lines;
    std::istringstream in(printed);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 6u) << printed;
    ASSERT_EQ(printed.back(), '\n');
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[5], "");
    const std::string labels[4] = {"OpenGL Version:  ", "OpenGL Vendor:   ", "OpenGL Renderer: ", "OpenGL Revision: "};
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(lines[i + 1].rfind(labels[i], 0), 0u) << lines[i + 1];
        EXPECT_GT(lines[i + 1].size(), labels[i].size()) << lines[i + 1];
    }
    int major = 0;
    int minor = 0;
    char dot = 0;
    std::istringstream version(lines[1].substr(labels[0].size()));
    version >> major >> dot >> minor;
    EXPECT_EQ(dot, '.');
    EXPECT_GE(major * 10 + minor, 33) << lines[1];
    EXPECT_EQ(lines[4], labels[3] + std::to_string(glbinding::Meta::glRevision()) + " (gl.xml)");
    ASSERT_NE(rootContext(), nullptr);
    EXPECT_EQ(HostGlContext::currentOpenGl(), handleOf(*rootContext())) << "a new context is left current";
}

TEST_F(ContextRegistry, AThreadKeepsItsContextAndAnotherThreadGetsItsOwn) {
    ::testing::internal::CaptureStdout();
    createRootContext();
    AEOpenGLContext& mine = contextForCurrentThread();
    AEOpenGLContext& again = contextForCurrentThread();
    AEOpenGLContext* theirs = nullptr;
    std::thread other([&] {
        SavedCurrentContext saved;
        theirs = &contextForCurrentThread();
    });
    other.join();
    const std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(&mine, &again);
    ASSERT_NE(theirs, nullptr);
    EXPECT_NE(theirs, &mine);
    EXPECT_NE(theirs, rootContext());
#if !defined(_WIN32)
    EXPECT_EQ(threadContextCount(), 1u) << "the other thread's context went with its thread";
#endif
    EXPECT_EQ(&contextForCurrentThread(), &mine);
    EXPECT_EQ(threadContextCount(), 1u) << "the other thread's context outlived the next lookup";
    EXPECT_EQ(descriptionsIn(printed), 3u) << "root, this thread's and the other's:\n" << printed;
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
        SavedCurrentContext saved;
        AEOpenGLContext& theirs = contextForCurrentThread();
        theirs.makeCurrent();
        known = glIsTexture(texture.get()) == GL_TRUE;
        GlFramebuffer framebuffer = GlFramebuffer::make();
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer.get());
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture.get(), 0);
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_FLOAT, seen);
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
    EXPECT_EQ(HostGlContext::currentOpenGl(), handleOf(fresh));
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

// ---- the host's context, saved and restored ----------------------------------------------

class SavedContext : public GlContextTest {
protected:
    void SetUp() override {
        SavedCurrentContext none;
        GlContextTest::SetUp();
        none.restore();  // the tests start with nothing current
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
#if defined(_WIN32)
    GTEST_SKIP() << "OpenGL ES host contexts are EGL's here: Wine's WGL offers no WGL_EXT_create_context_es2_profile";
#endif
    HostGlContext host(HostGlContext::Api::OpenGLES);
    host.makeCurrent();
    {
        SavedCurrentContext saved;
        context->makeCurrent();
        EXPECT_EQ(HostGlContext::boundApi(), HostGlContext::Api::OpenGL);
    }
    EXPECT_TRUE(host.isCurrent());
    EXPECT_EQ(HostGlContext::boundApi(), HostGlContext::Api::OpenGLES);
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
        EXPECT_EQ(HostGlContext::currentOpenGl(), handle());
    }
    EXPECT_EQ(HostGlContext::currentOpenGl(), handle()) << "the destructor restored a second time";
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
    context = nullptr;
    EXPECT_TRUE(HostGlContext::noneCurrent());
}

}  // namespace

// ---- contexts of finished threads --------------------------------------------------------

class ThreadContexts : public zanth_test::GlContextTest {};

// A thread's end releases its context, and what was kept for that context
// goes with it; on Windows the next lookup after the end does (here, each new
// thread's first and this thread's last).
TEST_F(ThreadContexts, AThreadsContextAndWhatIsKeptForItGoWithTheThread) {
    const size_t contextsBefore = threadContextCount();
    PerContext<GlTexture> kept;
    std::atomic<int> failures{0};
    for (int i = 0; i < 50; ++i) {
        std::thread shortLived([&] {
            SavedCurrentContext saved;
            AEOpenGLContext& mine = contextForCurrentThread();
            mine.makeCurrent();
            GlWorkLock lock;
            GlTexture& texture = kept.get(mine);
            texture = GlTexture::make();
            if (!texture || kept.size() != 1) ++failures;
            if (threadContextCount() != contextsBefore + 1) ++failures;
        });
        shortLived.join();
    }
    EXPECT_EQ(&contextForCurrentThread(), context);
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(threadContextCount(), contextsBefore) << "contexts of finished threads are kept";
    EXPECT_EQ(kept.size(), 0u) << "what was kept for contexts of finished threads is kept";
    // This thread's context still works.
    context->makeCurrent();
    GlTexture texture = GlTexture::make();
    EXPECT_TRUE(texture);
}

TEST_F(ThreadContexts, AThreadEndingAfterSetDownFindsNothingToRelease) {
    std::atomic<bool> made{false};
    std::atomic<bool> setDown{false};
    std::thread late([&] {
        {
            SavedCurrentContext saved;
            contextForCurrentThread().makeCurrent();
        }
        made = true;
        while (!setDown) std::this_thread::yield();
    });
    while (!made) std::this_thread::yield();
    destroyAllContexts();
    setDown = true;
    late.join();  // its end releases nothing: its context went with the set-down
    EXPECT_EQ(threadContextCount(), 0u);
    createRootContext();
    context = &contextForCurrentThread();
    context->makeCurrent();
}
