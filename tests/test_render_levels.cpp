// Frames rendered through the module on both paths (the GPU path on Mesa's
// llvmpipe, and the CPU path), judged against the independent model of the
// levels map for every byte value in every channel.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "tests/RenderFixture.h"

namespace {

using namespace zanth_test;

struct LevelsCase {
    const char* name;
    std::function<void(LevelsSettings&)> set;
};

std::ostream& operator<<(std::ostream& out, const LevelsCase& c) { return out << c.name; }

class LevelsMap : public RenderTest, public ::testing::WithParamInterface<std::tuple<LevelsCase, Path>> {
protected:
    Path path() const override { return std::get<1>(GetParam()); }
};

TEST_P(LevelsMap, MatchesTheModelForEveryValueInEveryChannel) {
    LevelsSettings settings;
    std::get<0>(GetParam()).set(settings);
    applySettings(*host, settings);
    hostsim::World input = everyValuePicture(4, 12);
    hostsim::World output(256, 4, PF_PixelFormat_ARGB32, 20);
    ASSERT_EQ(render(input, output), PF_Err_NONE);

    const FrameCheck check = checkFrame(input, output, settings);
    EXPECT_EQ(check.wrong, 0) << check.wrong << " bytes differ, first: " << check.firstWrong;
    EXPECT_EQ(check.checked, 256 * 4 * 4);
    EXPECT_HOST_CLEAN(*host);
}

const LevelsCase kCases[] = {
    {"Defaults", [](LevelsSettings&) {}},
    {"MixedMagnitudes", zanth_test::setMixedMagnitudes},
    {"InputRange", [](LevelsSettings& s) { s.composite.inputBlack = 50, s.composite.inputWhite = 200; }},
    {"InputRangeClipsOff",
     [](LevelsSettings& s) {
         s.composite.inputBlack = 50, s.composite.inputWhite = 200;
         s.clipBlack = s.clipWhite = false;
     }},
    {"GammaTwo", [](LevelsSettings& s) { s.composite.gamma = 2.0; }},
    {"GammaHalfClipsOff",
     [](LevelsSettings& s) {
         s.composite.gamma = 0.5, s.composite.inputBlack = 30, s.composite.inputWhite = 220;
         s.clipBlack = s.clipWhite = false;
     }},
    {"GammaFive", [](LevelsSettings& s) { s.composite.gamma = 5.0; }},
    {"GammaZero", [](LevelsSettings& s) { s.composite.gamma = 0.0, s.composite.inputWhite = 200; }},
    {"GammaZeroClipsOff",
     [](LevelsSettings& s) {
         s.composite.gamma = 0.0, s.composite.inputWhite = 200, s.composite.outputWhite = 180;
         s.clipBlack = s.clipWhite = false;
     }},
    {"EqualInputs", [](LevelsSettings& s) { s.composite.inputBlack = s.composite.inputWhite = 100; }},
    {"EqualInputsClipsOff",
     [](LevelsSettings& s) {
         s.composite.inputBlack = s.composite.inputWhite = 100;
         s.clipBlack = s.clipWhite = false;
     }},
    {"InvertedOutputs", [](LevelsSettings& s) { s.composite.outputBlack = 255, s.composite.outputWhite = 0; }},
    {"InvertedOutputsClipsOff",
     [](LevelsSettings& s) {
         s.composite.outputBlack = 230, s.composite.outputWhite = 20, s.composite.inputBlack = 40;
         s.clipBlack = s.clipWhite = false;
     }},
    {"EqualOutputs", [](LevelsSettings& s) { s.composite.outputBlack = s.composite.outputWhite = 128; }},
    {"EqualOutputsHugeValues",  // values far past white, raised to a tiny gamma, still land on the level
     [](LevelsSettings& s) {
         s.composite.inputWhite = 2, s.composite.gamma = 0.05, s.composite.outputBlack = 77;
         s.composite.outputWhite = 77, s.clipBlack = s.clipWhite = false;
     }},
    {"OutputRangeBelowBlackClipsOff",
     [](LevelsSettings& s) {
         s.composite.inputBlack = 100, s.composite.outputBlack = 50, s.composite.outputWhite = 200;
         s.clipBlack = s.clipWhite = false;
     }},
    {"OutputRangeClipBlackOnly",
     [](LevelsSettings& s) {
         s.composite.inputBlack = 100, s.composite.outputBlack = 50, s.composite.outputWhite = 200;
         s.clipWhite = false;
     }},
    {"RedGammaOnly", [](LevelsSettings& s) { s.red.gamma = 2.0; }},
    {"GreenAndBlueOwnMaps",
     [](LevelsSettings& s) {
         s.green.inputBlack = 60, s.green.outputWhite = 190;
         s.blue.inputWhite = 90, s.blue.gamma = 0.7;
     }},
    {"AlphaOwnMap", [](LevelsSettings& s) { s.alpha.inputWhite = 128, s.alpha.outputBlack = 40; }},
    {"CompositeThenChannel",  // the composite result is clamped before the red map
     [](LevelsSettings& s) {
         s.composite.inputWhite = 128, s.composite.gamma = 1.5;
         s.red.inputBlack = 20, s.red.outputWhite = 100;
         s.clipBlack = s.clipWhite = false;
     }},
    {"EverythingAtOnce",
     [](LevelsSettings& s) {
         s.composite = {12, 240, 1.3, 5, 250};
         s.red = {0, 200, 0.8, 30, 255};
         s.green = {40, 255, 1.1, 0, 220};
         s.blue = {20, 180, 2.5, 10, 245};
         s.alpha = {16, 235, 0.9, 0, 255};
     }},
    {"FarOutsideTheNominalRange",
     [](LevelsSettings& s) {
         s.composite = {-1000, 2000, 1.0, -500, 600};
         s.alpha = {300, -300, 1.0, 0, 255};
         s.clipBlack = false;
     }},
};

INSTANTIATE_TEST_SUITE_P(Render, LevelsMap, ::testing::Combine(::testing::ValuesIn(kCases), ::testing::Values(Path::Gpu, Path::Cpu)),
                         [](const ::testing::TestParamInfo<std::tuple<LevelsCase, Path>>& info) {
                             return std::string(std::get<0>(info.param).name) + pathName(std::get<1>(info.param));
                         });

// Beyond the model: facts about the map that hold byte for byte, on both paths.
class LevelsFacts : public PathRenderTest {};

TEST_P(LevelsFacts, DefaultsGiveBackEveryByteUnchanged) {
    hostsim::World input = everyValuePicture(4, 12);
    hostsim::World output(256, 4, PF_PixelFormat_ARGB32, 20);
    ASSERT_EQ(render(input, output), PF_Err_NONE);
    for (int y = 0; y < 4; ++y) {
        ASSERT_EQ(std::memcmp(input.row(y), output.row(y), 256 * 4), 0) << "row " << y;
    }
    EXPECT_HOST_CLEAN(*host);
}

TEST_P(LevelsFacts, SpecificValues) {
    struct Probe {
        const char* what;
        std::function<void(LevelsSettings&)> set;
        int in;
        int out;
    };
    const Probe probes[] = {
        {"input 50..200 takes 125 to the middle", [](LevelsSettings& s) { s.composite.inputBlack = 50, s.composite.inputWhite = 200; }, 125, 128},
        {"gamma 2 takes a quarter to a half", [](LevelsSettings& s) { s.composite.gamma = 2.0; }, 64, 128},
        {"gamma 0.5 takes a half to a quarter", [](LevelsSettings& s) { s.composite.gamma = 0.5; }, 128, 64},
        {"equal inputs 100: 101 becomes white", [](LevelsSettings& s) { s.composite.inputBlack = s.composite.inputWhite = 100; }, 101, 255},
        {"equal inputs 100: 100 becomes black", [](LevelsSettings& s) { s.composite.inputBlack = s.composite.inputWhite = 100; }, 100, 0},
        {"clip black holds 50 at output black 50",
         [](LevelsSettings& s) { s.composite.inputBlack = 100, s.composite.outputBlack = 50, s.composite.outputWhite = 200, s.clipWhite = false; }, 50, 50},
        {"without clips 50 falls below output black",
         [](LevelsSettings& s) { s.composite.inputBlack = 100, s.composite.outputBlack = 50, s.composite.outputWhite = 200, s.clipBlack = s.clipWhite = false; }, 50, 2},
        {"gamma 0 takes everything below white to black", [](LevelsSettings& s) { s.composite.gamma = 0.0; }, 254, 0},
        {"gamma 0 keeps white", [](LevelsSettings& s) { s.composite.gamma = 0.0; }, 255, 255},
    };
    for (const Probe& probe : probes) {
        LevelsSettings settings;
        probe.set(settings);
        applySettings(*host, settings);
        hostsim::World input(1, 1);
        input.pixel8(0, 0) = PF_Pixel8{255, static_cast<A_u_char>(probe.in), static_cast<A_u_char>(probe.in),
                                       static_cast<A_u_char>(probe.in)};
        hostsim::World output(1, 1);
        ASSERT_EQ(render(input, output), PF_Err_NONE) << probe.what;
        EXPECT_EQ(output.pixel8(0, 0).red, probe.out) << probe.what;
        EXPECT_EQ(output.pixel8(0, 0).blue, probe.out) << probe.what;
        EXPECT_EQ(output.pixel8(0, 0).alpha, 255) << probe.what << ": alpha goes only through its own map";
    }
    EXPECT_HOST_CLEAN(*host);
}

TEST_P(LevelsFacts, AChannelMapChangesOnlyItsChannel) {
    hostsim::World input = everyValuePicture(2);
    for (int block = 1; block <= 4; ++block) {
        LevelsSettings settings;
        ChannelLevels* maps[] = {nullptr, &settings.red, &settings.green, &settings.blue, &settings.alpha};
        maps[block]->gamma = 2.2;
        maps[block]->outputBlack = 30;
        applySettings(*host, settings);
        hostsim::World output(256, 2);
        ASSERT_EQ(render(input, output), PF_Err_NONE);
        const Channel changed[] = {kAlpha, kRed, kGreen, kBlue, kAlpha};
        int differing = 0;
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 256; ++x) {
                for (Channel c : {kAlpha, kRed, kGreen, kBlue}) {
                    const int in = channelOf(input.pixel8(x, y), c);
                    const int out = channelOf(output.pixel8(x, y), c);
                    if (c == changed[block]) {
                        differing += in != out;
                    } else {
                        ASSERT_EQ(in, out) << "block " << block << " changed another channel at " << x << "," << y;
                    }
                }
            }
        }
        EXPECT_GT(differing, 400) << "block " << block << " changed too little of its own channel";
    }
    EXPECT_HOST_CLEAN(*host);
}

TEST_P(LevelsFacts, TheCompositeMapLeavesAlphaAlone) {
    LevelsSettings settings;
    settings.composite = {40, 180, 0.6, 20, 230};
    applySettings(*host, settings);
    hostsim::World input = everyValuePicture(2);
    hostsim::World output(256, 2);
    ASSERT_EQ(render(input, output), PF_Err_NONE);
    for (int x = 0; x < 256; ++x) {
        ASSERT_EQ(output.pixel8(x, 0).alpha, input.pixel8(x, 0).alpha) << x;
        ASSERT_EQ(output.pixel8(x, 1).alpha, input.pixel8(x, 1).alpha) << x;
    }
    EXPECT_HOST_CLEAN(*host);
}

INSTANTIATE_TEST_SUITE_P(Render, LevelsFacts, ::testing::Values(Path::Gpu, Path::Cpu), pathTestName);

}  // namespace
