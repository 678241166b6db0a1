// Global set-down gives back every OpenGL context the effect made: the root
// and each rendering thread's. A later set-up renders just as well with
// contexts left over, so the contexts themselves are looked at: each one the
// module selected must be unknown to EGL after the set-down.
#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <set>
#include <thread>

#include "hostsim/HostGlContext.h"
#include "tests/GlCallCounter.h"
#include "tests/RenderFixture.h"

namespace {

using namespace zanth_test;

#if ZANTH_MODULE_GL_CALLS_VISIBLE

// Whether EGL still knows `context` on the display the effect uses.
bool contextAlive(glbinding::ContextHandle context) {
    const EGLDisplay display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint id = 0;
    const bool known = eglQueryContext(display, reinterpret_cast<EGLContext>(context), EGL_CONFIG_ID, &id) == EGL_TRUE;
    eglGetError();
    return known;
}

std::set<glbinding::ContextHandle> all(const GlCallCounter& counter) {
    std::set<glbinding::ContextHandle> out;
    for (const auto& entry : counter.selected()) out.insert(entry.second.begin(), entry.second.end());
    return out;
}

// The contexts belong to the GPU path, which a software rasteriser would not
// choose by itself.
class SetdownContexts : public HostTest {
protected:
    void SetUp() override {
        forcePath(Path::Gpu);
        HostTest::SetUp();
    }
    void TearDown() override {
        HostTest::TearDown();
        setRendererVariable(nullptr);
    }
};

TEST_F(SetdownContexts, EveryContextIsDestroyedAtSetDownAndNewOnesComeAfter) {
    std::set<glbinding::ContextHandle> first;
    {
        GlCallCounter counter;
        setUpEffect();
        hostsim::World input = everyValuePicture();
        hostsim::World output(256, 4);
        host->setInputLayer(input.def());
        ASSERT_EQ(host->render(output.def()), PF_Err_NONE);
        std::thread other([&] {
            hostsim::World again(256, 4);
            EXPECT_EQ(host->render(again.def()), PF_Err_NONE);
        });
        other.join();
        ASSERT_EQ(host->globalSetdown(), PF_Err_NONE);  // the set-down selects the root once more
        first = all(counter);
    }
    // The root and the two threads' contexts, or the test sees nothing.
    ASSERT_GE(first.size(), 3u) << "the module's contexts were not observed";
    for (glbinding::ContextHandle c : first) EXPECT_FALSE(contextAlive(c)) << "context " << c << " outlived the set-down";

    // A new set-up makes and renders in contexts of its own.
    GlCallCounter counter;
    setUpEffect();
    hostsim::World input = everyValuePicture();
    hostsim::World output(256, 4);
    host->setInputLayer(input.def());
    ASSERT_EQ(host->render(output.def()), PF_Err_NONE);
    const std::set<glbinding::ContextHandle> second = all(counter);
    ASSERT_FALSE(second.empty());
    for (glbinding::ContextHandle c : second) EXPECT_TRUE(contextAlive(c));
    ASSERT_EQ(host->globalSetdown(), PF_Err_NONE);
    for (glbinding::ContextHandle c : second) EXPECT_FALSE(contextAlive(c));
    EXPECT_HOST_CLEAN(*host);
}

#endif

}  // namespace
