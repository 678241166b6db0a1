// The effect's OpenGL contexts on WGL, in the test process (the effect's code
// linked in): hidden windows and their classes, the root and the 3.3 contexts
// sharing with it, the host's WGL state saved and restored, failures that
// give back what they made, and set-down followed by set-up.
#include <gtest/gtest.h>

#include <glbinding/Meta.h>
#include <glbinding/gl33core/gl.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>
#include <regex>
#include <set>
#include <thread>

#include "gl/AEOpenGLContext.h"
#include "gl/ContextRegistry.h"
#include "gl/GlName.h"
#include "gl/wgl/HiddenWindowThread.h"
#include "hostsim/HostGlContext.h"
#include "tests/GlContextFixture.h"
#include "tests/WindowsGlFixture.h"

namespace {

using namespace Ombrix::Levels;
using namespace gl33core;
using hostsim::HostGlContext;
using zanth_test::effectWindows;
using zanth_test::GlContextTest;
using zanth_test::WglState;

size_t descriptionsIn(const std::string& printed) {
    size_t n = 0;
    for (size_t at = printed.find("OpenGL Version:  "); at != std::string::npos;
         at = printed.find("OpenGL Version:  ", at + 1)) {
        ++n;
    }
    return n;
}

class WglContexts : public ::testing::Test {
protected:
    void TearDown() override {
        destroyAllContexts();
        EXPECT_TRUE(effectWindows().empty()) << "hidden windows left after destroyAllContexts";
        EXPECT_EQ(HiddenWindowThread::instance().windowCount(), 0);
    }
};

// ---- windows and classes -------------------------------------------------------------------

TEST_F(WglContexts, EachContextHasAHiddenWindowOfAClassOfItsOwn) {
    ::testing::internal::CaptureStdout();
    createRootContext();
    AEOpenGLContext& mine = contextForCurrentThread();
    AEOpenGLContext* theirs = nullptr;
    std::thread other([&] { theirs = &contextForCurrentThread(); });
    other.join();
    ::testing::internal::GetCapturedStdout();
    ASSERT_NE(theirs, nullptr);

    const std::vector<const AEOpenGLContext*> contexts = {rootContext(), &mine, theirs};
    std::set<std::string> names;
    for (const AEOpenGLContext* c : contexts) {
        const std::string& name = c->windowClassName();
        EXPECT_TRUE(zanth_test::wellFormedClassName(name)) << name;
        EXPECT_EQ(name.rfind("AEOpenGL_Win_Class" + std::to_string(reinterpret_cast<uintptr_t>(c)) + "_", 0), 0u)
            << name << ": the class name starts with the object's address";
        names.insert(name);

        char className[256] = {0};
        ASSERT_GT(GetClassNameA(c->window(), className, sizeof(className)), 0);
        EXPECT_EQ(name, className);
        EXPECT_FALSE(IsWindowVisible(c->window())) << "the window is never shown";
        char title[64] = {0};
        GetWindowTextA(c->window(), title, sizeof(title));
        EXPECT_STREQ(title, "OpenGL-using FBOs in AE");
        const LONG_PTR exStyle = GetWindowLongPtrA(c->window(), GWL_EXSTYLE);
        EXPECT_EQ(exStyle & (WS_EX_APPWINDOW | WS_EX_WINDOWEDGE), WS_EX_APPWINDOW | WS_EX_WINDOWEDGE);

        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), name.c_str(), &wc)) << name;
        EXPECT_EQ(wc.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
        EXPECT_EQ(wc.hbrBackground, GetStockObject(BLACK_BRUSH));

        PIXELFORMATDESCRIPTOR pfd{};
        const int format = GetPixelFormat(c->deviceContext());
        ASSERT_GT(format, 0);
        DescribePixelFormat(c->deviceContext(), format, sizeof(pfd), &pfd);
        EXPECT_TRUE(pfd.dwFlags & PFD_SUPPORT_OPENGL);
        EXPECT_TRUE(pfd.dwFlags & PFD_DRAW_TO_WINDOW);
        EXPECT_EQ(pfd.iPixelType, PFD_TYPE_RGBA);
    }
    EXPECT_EQ(names.size(), 3u) << "two contexts registered the same class name";
    EXPECT_EQ(effectWindows().size(), 3u);
}

TEST_F(WglContexts, ClassNamesNeverRepeatAlsoAtTheSameAddress) {
    ::testing::internal::CaptureStdout();
    createRootContext();
    alignas(AEOpenGLContext) unsigned char storage[sizeof(AEOpenGLContext)];
    std::set<std::string> names;
    std::vector<int> counters;
    for (int i = 0; i < 3; ++i) {
        auto* c = new (storage) AEOpenGLContext(rootContext());
        const std::string name = c->windowClassName();
        names.insert(name);
        counters.push_back(std::stoi(name.substr(name.rfind('_') + 1)));
        c->~AEOpenGLContext();
        EXPECT_FALSE(zanth_test::classRegistered(name)) << name << " is still registered";
    }
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(names.size(), 3u);
    EXPECT_EQ(counters[1], counters[0] + 1);
    EXPECT_EQ(counters[2], counters[1] + 1);
}

TEST_F(WglContexts, OneThreadOwnsEveryHiddenWindowAndEndsWithTheLast) {
    ::testing::internal::CaptureStdout();
    createRootContext();
    contextForCurrentThread();
    // Two more threads make their contexts and stay until the windows are looked at.
    std::atomic<int> made{0};
    std::atomic<bool> done{false};
    auto renderThread = [&] {
        contextForCurrentThread();
        ++made;
        while (!done) std::this_thread::yield();
    };
    std::thread first(renderThread);
    std::thread second(renderThread);
    while (made < 2) std::this_thread::yield();
    ::testing::internal::GetCapturedStdout();

    auto windows = effectWindows();
    done = true;
    first.join();
    second.join();
    ASSERT_EQ(windows.size(), 4u);
    const DWORD owner = windows.front().thread;
    for (const auto& w : windows) EXPECT_EQ(w.thread, owner) << w.className;
    EXPECT_NE(owner, GetCurrentThreadId()) << "the windows belong to the module's own thread";
    EXPECT_TRUE(zanth_test::threadAlive(owner));

    // The ended threads' contexts, and their windows, go at the next lookup.
    EXPECT_EQ(effectWindows().size(), 4u);
    contextForCurrentThread();
    EXPECT_EQ(effectWindows().size(), 2u) << "the windows of ended threads outlived the next lookup";
    EXPECT_TRUE(zanth_test::threadAlive(owner));

    destroyAllContexts();  // on a thread that made only two of them
    EXPECT_TRUE(effectWindows().empty());
    for (const auto& w : windows) EXPECT_FALSE(zanth_test::classRegistered(w.className)) << w.className;
    EXPECT_FALSE(zanth_test::threadAlive(owner)) << "the window thread outlived the last window";
}

TEST_F(WglContexts, SetDownThenSetUpLeavesNothingBehind) {
    std::set<std::string> everyName;
    for (int cycle = 0; cycle < 3; ++cycle) {
        ::testing::internal::CaptureStdout();
        createRootContext();
        contextForCurrentThread().makeCurrent();
        std::thread([] { contextForCurrentThread().makeCurrent(); }).join();
        ::testing::internal::GetCapturedStdout();
        const auto windows = effectWindows();
        ASSERT_EQ(windows.size(), 3u) << "cycle " << cycle;
        for (const auto& w : windows) {
            EXPECT_TRUE(everyName.insert(w.className).second) << w.className << " was used before";
        }
        // The calling thread's GL still works in its new context.
        GLint major = 0;
        glGetIntegerv(GL_MAJOR_VERSION, &major);
        EXPECT_GE(major, 3);

        destroyAllContexts();
        EXPECT_EQ(wglGetCurrentContext(), nullptr);
        EXPECT_TRUE(effectWindows().empty()) << "cycle " << cycle;
        for (const auto& w : windows) EXPECT_FALSE(zanth_test::classRegistered(w.className)) << w.className;
    }
}

// A construction that fails half-way: the class name the next context will
// register is taken beforehand, so RegisterClassExA refuses it.
TEST_F(WglContexts, AFailedConstructionGivesBackWhatItMade) {
    ::testing::internal::CaptureStdout();
    createRootContext();
    AEOpenGLContext& mine = contextForCurrentThread();
    ::testing::internal::GetCapturedStdout();
    const std::string last = mine.windowClassName();
    const int next = std::stoi(last.substr(last.rfind('_') + 1)) + 1;

    alignas(AEOpenGLContext) unsigned char storage[sizeof(AEOpenGLContext)];
    const std::string taken =
        "AEOpenGL_Win_Class" + std::to_string(reinterpret_cast<uintptr_t>(storage)) + "_" + std::to_string(next);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = taken.c_str();
    ASSERT_TRUE(RegisterClassExA(&wc));

    mine.makeCurrent();
    const WglState before;
    const size_t windowsBefore = effectWindows().size();
    EXPECT_THROW(new (storage) AEOpenGLContext(rootContext()), AESDK_OpenGL_Fault);
    EXPECT_EQ(effectWindows().size(), windowsBefore);
    EXPECT_TRUE(WglState() == before) << "the current context changed";
    EXPECT_TRUE(UnregisterClassA(taken.c_str(), GetModuleHandleA(nullptr)));

    // The next context is made as usual.
    ::testing::internal::CaptureStdout();
    std::thread([] { contextForCurrentThread(); }).join();
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(threadContextCount(), 2u);
}

// ---- contexts ---------------------------------------------------------------------------------

// The root is a plain wglCreateContext context; every thread's context is
// made with wglCreateContextAttribsARB for OpenGL 3.3.
TEST_F(WglContexts, ThreadContextsAreOpenGl33) {
    ::testing::internal::CaptureStdout();
    createRootContext();
    GLint major = 0;
    GLint minor = 0;
    std::thread other([&] {
        contextForCurrentThread().makeCurrent();
        glGetIntegerv(GL_MAJOR_VERSION, &major);
        glGetIntegerv(GL_MINOR_VERSION, &minor);
        wglMakeCurrent(nullptr, nullptr);
    });
    other.join();
    const std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(descriptionsIn(printed), 2u) << printed;
    EXPECT_GE(major * 10 + minor, 33);
}

TEST_F(WglContexts, SwitchingToAContextCurrentOnAnotherThreadRaises) {
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
        wglMakeCurrent(nullptr, nullptr);
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

// ---- the host's WGL state, saved and restored ---------------------------------------------

class SavedWglContext : public GlContextTest {
protected:
    void SetUp() override {
        GlContextTest::SetUp();
        wglMakeCurrent(nullptr, nullptr);
    }
};

TEST_F(SavedWglContext, PutsBackTheHostsContextAndDeviceContext) {
    HostGlContext host;
    host.makeCurrent();
    const WglState hosts;
    {
        SavedCurrentContext saved;
        context->makeCurrent();
        EXPECT_FALSE(host.isCurrent());
    }
    EXPECT_TRUE(WglState() == hosts);
    host.release();
}

TEST_F(SavedWglContext, RestoresWhenMakingAContextFails) {
    destroyAllContexts();
    context = nullptr;
    HostGlContext host;
    host.makeCurrent();
    const WglState hosts;
    try {
        SavedCurrentContext saved;
        contextForCurrentThread();  // no root: raises
        ADD_FAILURE() << "a context was made without a root";
    } catch (const AESDK_OpenGL_Fault& fault) {
        EXPECT_EQ(fault.code(), 1);
    }
    EXPECT_TRUE(WglState() == hosts);
    host.release();
}

}  // namespace
