// A process in which OpenGL 3.3 cannot be had: CTest runs this program once
// with no EGL driver at all and once with a driver that offers less than 3.3
// (see tests/CMakeLists.txt). Global set-up chooses the CPU path and frames
// render there; only a GPU path asked for by ZANTH_LEVELS_RENDERER=gpu fails.
// Run elsewhere, where OpenGL 3.3 is available, it fails: it proves nothing
// there.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "hostsim/World.h"
#include "tests/HostFixture.h"
#include "tests/RenderFixture.h"

namespace {

using namespace zanth_test;

constexpr const char* kWhy =
    "OpenGL 3.3 was available: this program must run with the environment that hides it "
    "(ctest -R no_gl runs it so)";

class WithoutOpenGl : public ::testing::Test {
protected:
    void TearDown() override { setRendererVariable(nullptr); }
};

TEST_F(WithoutOpenGl, GlobalSetUpChoosesTheCpuAndSaysWhy) {
    for (const char* request : {static_cast<const char*>(nullptr), "auto", "cpu"}) {
        setRendererVariable(request);
        hostsim::Host host(ZANTH_MODULE_PATH);
        ::testing::internal::CaptureStdout();
        const PF_Err err = host.globalSetup();
        const std::string printed = ::testing::internal::GetCapturedStdout();
        ASSERT_EQ(err, PF_Err_NONE) << (request ? request : "unset");
        const std::string why = request && std::string(request) == "cpu" ? "(ZANTH_LEVELS_RENDERER=cpu)"
                                                                          : "(no OpenGL 3.3 context)";
        EXPECT_NE(printed.find(std::string("Zanth Levels renders on the CPU ") + why), std::string::npos) << printed;
        EXPECT_EQ(printed.find("OpenGL Version:"), std::string::npos) << kWhy << "\n" << printed;
        EXPECT_HOST_CLEAN(host);
        EXPECT_EQ(host.globalSetdown(), PF_Err_NONE);
        EXPECT_HOST_CLEAN(host);
    }
}

TEST_F(WithoutOpenGl, AFrameRendersOnTheCpuAndMatchesTheModel) {
    hostsim::Host host(ZANTH_MODULE_PATH);
    ASSERT_EQ(host.globalSetup(), PF_Err_NONE);
    ASSERT_EQ(host.paramsSetup(), PF_Err_NONE);
    LevelsSettings settings;
    settings.composite = {20, 230, 1.7, 5, 250};
    settings.alpha.gamma = 0.6;
    applySettings(host, settings);
    hostsim::World input = everyValuePicture(8, 4);
    hostsim::World output(256, 8, PF_PixelFormat_ARGB32, 12);
    fillBytes(output, 0x5A);
    host.setInputLayer(input.def());
    ASSERT_EQ(host.render(output.def()), PF_Err_NONE);
    const FrameCheck check = checkFrame(input, output, settings);
    EXPECT_EQ(check.wrong, 0) << check.firstWrong;
    EXPECT_EQ(check.checked, 256 * 8 * 4);
    EXPECT_EQ(output.row(0)[256 * 4], 0x5A) << "the padding was written";
    EXPECT_HOST_CLEAN(host);
    EXPECT_EQ(host.globalSetdown(), PF_Err_NONE);
    EXPECT_HOST_CLEAN(host);
}

TEST_F(WithoutOpenGl, AGpuPathAskedForIsAHostErrorAndHoldsNothing) {
    setRendererVariable("gpu");
    hostsim::Host host(ZANTH_MODULE_PATH);
    ASSERT_EQ(host.globalSetup(), PF_Err_BAD_CALLBACK_PARAM) << kWhy;
    EXPECT_HOST_CLEAN(host);
    EXPECT_EQ(host.globalSetup(), PF_Err_BAD_CALLBACK_PARAM) << "a second attempt fails the same way";
    ASSERT_EQ(host.paramsSetup(), PF_Err_NONE);
    hostsim::World input(16, 8, PF_PixelFormat_ARGB32, 4);
    hostsim::World output(16, 8);
    std::memset(output.memory().data(), 0x5A, output.memory().size());
    host.setInputLayer(input.def());
    EXPECT_EQ(host.render(output.def()), PF_Err_BAD_CALLBACK_PARAM) << "no path was set up";
    EXPECT_EQ(output.pixel8(0, 0).red, 0x5A) << "nothing written";
    EXPECT_EQ(host.globalSetdown(), PF_Err_NONE);
    EXPECT_HOST_CLEAN(host);
}

TEST_F(WithoutOpenGl, TheRestOfTheEffectStillWorks) {
    hostsim::Host host(ZANTH_MODULE_PATH);
    EXPECT_EQ(host.about(), PF_Err_NONE);
    EXPECT_STREQ(host.outData().return_msg, "Zanth Levels v1.0\rZanth Levels");
    EXPECT_EQ(host.globalSetdown(), PF_Err_NONE);
    EXPECT_HOST_CLEAN(host);
}

}  // namespace
