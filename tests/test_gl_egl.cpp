// What only the EGL binding promises.
#include <gtest/gtest.h>

#include <EGL/egl.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "gl/AEOpenGLContext.h"
#include "gl/ContextRegistry.h"

namespace {

using namespace Ombrix::Levels;

// A switch that fails would send the effect's GL calls to whatever context is
// current, the host's included: it raises instead.
TEST(EglContext, SwitchingToAContextCurrentOnAnotherThreadRaises) {
    SavedCurrentContext none;
    ::testing::internal::CaptureStdout();
    ASSERT_NO_THROW(createRootContext()) << "no OpenGL 3.3 context: these tests need Mesa's llvmpipe";
    AEOpenGLContext* theirs = nullptr;
    std::mutex m;
    std::condition_variable cv;
    bool made = false;
    bool done = false;
    std::thread other([&] {
        SavedCurrentContext saved;
        AEOpenGLContext& c = contextForCurrentThread();
        c.makeCurrent();
        std::unique_lock<std::mutex> lock(m);
        theirs = &c;
        made = true;
        cv.notify_all();
        cv.wait(lock, [&] { return done; });
    });
    {
        std::unique_lock<std::mutex> lock(m);
        cv.wait(lock, [&] { return made; });
    }
    ::testing::internal::GetCapturedStdout();
    {
        SavedCurrentContext saved;
        EXPECT_THROW(theirs->makeCurrent(), AESDK_OpenGL_Fault);
    }
    {
        std::lock_guard<std::mutex> lock(m);
        done = true;
    }
    cv.notify_all();
    other.join();
    destroyAllContexts();
    none.restore();
}

// The contexts live on Mesa's surfaceless platform: no surface at all.
TEST(EglContext, ContextsNeedNoSurface) {
    SavedCurrentContext none;
    ::testing::internal::CaptureStdout();
    ASSERT_NO_THROW(createRootContext());
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(eglGetCurrentSurface(EGL_DRAW), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetCurrentContext(), rootContext()->context());
    destroyAllContexts();
    none.restore();
}

}  // namespace
