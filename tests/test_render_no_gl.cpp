// A process in which OpenGL 3.3 cannot be had: CTest runs this program once
// with no EGL driver at all and once with a driver that offers less than 3.3
// (see tests/CMakeLists.txt). Run elsewhere, where OpenGL 3.3 is available,
// it fails: it proves nothing there.
#include <gtest/gtest.h>

#include <cstring>

#include "hostsim/World.h"
#include "tests/HostFixture.h"

namespace {

constexpr const char* kWhy =
    "OpenGL 3.3 was available: this program must run with the environment that hides it "
    "(ctest -R no_gl runs it so)";

TEST(WithoutOpenGl, GlobalSetUpIsAHostErrorAndHoldsNothing) {
    hostsim::Host host(ZANTH_MODULE_PATH);
    ASSERT_EQ(host.globalSetup(), PF_Err_BAD_CALLBACK_PARAM) << kWhy;
    EXPECT_HOST_CLEAN(host);
    EXPECT_EQ(host.globalSetup(), PF_Err_BAD_CALLBACK_PARAM) << "a second attempt fails the same way";
    EXPECT_EQ(host.globalSetdown(), PF_Err_NONE);
    EXPECT_HOST_CLEAN(host);
}

TEST(WithoutOpenGl, ARenderIsAHostErrorAndHoldsNothing) {
    hostsim::Host host(ZANTH_MODULE_PATH);
    ASSERT_EQ(host.globalSetup(), PF_Err_BAD_CALLBACK_PARAM) << kWhy;
    ASSERT_EQ(host.paramsSetup(), PF_Err_NONE);
    hostsim::World input(16, 8, PF_PixelFormat_ARGB32, 4);
    hostsim::World output(16, 8);
    std::memset(output.memory().data(), 0x5A, output.memory().size());
    host.setInputLayer(input.def());
    EXPECT_EQ(host.render(output.def()), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(output.pixel8(0, 0).red, 0x5A) << "nothing written";
    EXPECT_HOST_CLEAN(host);
    EXPECT_EQ(host.globalSetdown(), PF_Err_NONE);
    EXPECT_HOST_CLEAN(host);
}

TEST(WithoutOpenGl, TheRestOfTheEffectStillWorks) {
    hostsim::Host host(ZANTH_MODULE_PATH);
    EXPECT_EQ(host.about(), PF_Err_NONE);
    EXPECT_STREQ(host.outData().return_msg, "Zanth Levels v1.0\rZanth Levels");
    EXPECT_EQ(host.globalSetdown(), PF_Err_NONE);
    EXPECT_HOST_CLEAN(host);
}

}  // namespace
