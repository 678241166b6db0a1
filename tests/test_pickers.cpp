// The black, grey and white point pickers through the simulated host: the
// user sets a colour (the eyedropper samples the effect's output), the host
// sends PF_Cmd_USER_CHANGED_PARAM and takes the changed levels back. The
// levels are judged against an inverse of the model found by bisection, and
// the rendered frame against the model: the picked colour comes out at
// output black, neutral or output white.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "params/ParamIndices.h"
#include "tests/RenderFixture.h"

namespace {

using namespace zanth_test;
using namespace Ombrix::Levels;

// The block's input level whose model is y, by bisection over the input
// range (the model rises or falls monotonically over it); a y at or beyond an
// end of the output range gives that end's input level.
double enteringLevel(double y, const ChannelLevels& block, bool clipBlack, bool clipWhite) {
    double lo = block.inputBlack, hi = block.inputWhite;
    const bool rising = (levelModel(hi, block, clipBlack, clipWhite) > levelModel(lo, block, clipBlack, clipWhite));
    for (int i = 0; i < 200; ++i) {
        const double mid = 0.5 * (lo + hi);
        ((levelModel(mid, block, clipBlack, clipWhite) < y) == rising ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

const ChannelLevels& blockOf(const LevelsSettings& s, int c) { return c == 0 ? s.red : c == 1 ? s.green : s.blue; }
ChannelLevels& blockOf(LevelsSettings& s, int c) { return c == 0 ? s.red : c == 1 ? s.green : s.blue; }
const Channel kColours[] = {kRed, kGreen, kBlue};

// Earlier settings the picks start from: a composite curve, a red block
// with a gamma and a narrower output, a green block with an input range.
LevelsSettings earlierSettings() {
    LevelsSettings s;
    s.composite = {8, 247, 1.1, 0, 255};
    s.red = {0, 255, 1.25, 6, 250};
    s.green = {12, 240, 1, 0, 255};
    return s;
}

// A picture with a cast: red high, blue low; pixel 1 is the one picked.
hostsim::World castPicture() {
    hostsim::World world(4, 1, PF_PixelFormat_ARGB32);
    world.pixel8(0, 0) = PF_Pixel8{255, 30, 20, 10};
    world.pixel8(1, 0) = PF_Pixel8{255, 170, 128, 90};
    world.pixel8(2, 0) = PF_Pixel8{255, 240, 225, 200};
    world.pixel8(3, 0) = PF_Pixel8{255, 250, 252, 255};
    return world;
}

class Pickers : public RenderTest {
protected:
    Path path() const override { return Path::Cpu; }

    // The model's output of pixel 1 of the cast picture, as a float colour.
    PF_PixelFloat pickedOutput(const LevelsSettings& s, int x = 1) {
        hostsim::World picture = castPicture();
        const PF_Pixel8& in = picture.pixel8(x, 0);
        return PF_PixelFloat{1.0f, float(channelLevel(in.red, kRed, s) / 255.0),
                             float(channelLevel(in.green, kGreen, s) / 255.0),
                             float(channelLevel(in.blue, kBlue, s) / 255.0)};
    }

    // Sets the picker to `colour` and sends the user's change; the settings
    // the host holds afterwards.
    LevelsSettings pick(int picker, const PF_PixelFloat& colour, LevelsSettings s) {
        host->setColourParam(picker, colour);
        EXPECT_EQ(host->userChangedParam(picker), PF_Err_NONE);
        for (const auto& change : host->lastChanges()) {
            EXPECT_EQ(change.second.param_type, PF_Param_FLOAT_SLIDER);
            EXPECT_FALSE(std::isnan(change.second.u.fs_d.value));
        }
        for (int c = 0; c < 3; ++c) {
            ChannelLevels& block = blockOf(s, c);
            block.inputBlack = host->param(blockStart(c + 1) + kSlotInputBlack).u.fs_d.value;
            block.inputWhite = host->param(blockStart(c + 1) + kSlotInputWhite).u.fs_d.value;
            block.gamma = host->param(blockStart(c + 1) + kSlotGamma).u.fs_d.value;
        }
        return s;
    }

    hostsim::World rendered() {
        hostsim::World input = castPicture();
        hostsim::World output(4, 1, PF_PixelFormat_ARGB32);
        EXPECT_EQ(render(input, output), PF_Err_NONE);
        return output;
    }
};

TEST_F(Pickers, BlackAndWhitePointsTakeThePickedOutputBackThroughEachBlock) {
    const LevelsSettings start = earlierSettings();
    applySettings(*host, start);
    for (int picker : {kParamBlackPoint, kParamWhitePoint}) {
        SCOPED_TRACE(picker);
        applySettings(*host, start);
        const PF_PixelFloat colour = pickedOutput(start);
        const LevelsSettings after = pick(picker, colour, start);
        const float picked[3] = {colour.red, colour.green, colour.blue};
        for (int c = 0; c < 3; ++c) {
            const ChannelLevels& block = blockOf(start, c);
            const double expected = enteringLevel(255.0 * picked[c], block, true, true);
            const ChannelLevels& now = blockOf(after, c);
            EXPECT_NEAR(picker == kParamBlackPoint ? now.inputBlack : now.inputWhite, expected, 1e-6) << c;
            EXPECT_EQ(picker == kParamBlackPoint ? now.inputWhite : now.inputBlack,
                      picker == kParamBlackPoint ? block.inputWhite : block.inputBlack);
            EXPECT_EQ(now.gamma, block.gamma);
        }
        // The picked pixel now comes out at each block's output black or white.
        const hostsim::World output = rendered();
        for (int c = 0; c < 3; ++c) {
            const ChannelLevels& block = blockOf(start, c);
            const double end = picker == kParamBlackPoint ? block.outputBlack : block.outputWhite;
            EXPECT_EQ(channelOf(const_cast<hostsim::World&>(output).pixel8(1, 0), kColours[c]), std::lrint(end)) << c;
        }
    }
    EXPECT_HOST_CLEAN(*host);
}

// The grey point: after it, the picked pixel renders neutral within one code
// (each channel's value is the same target, rounded once), with the float
// colour and with only the 8-bit value (the colour suite refused).
TEST_F(Pickers, GreyPointMakesThePickedColourNeutral) {
    for (bool floatColour : {true, false}) {
        SCOPED_TRACE(floatColour);
        if (!floatColour) host->refuseSuite("PF ColorParamSuite", 1);
        const LevelsSettings start = earlierSettings();
        applySettings(*host, start);
        const LevelsSettings after = pick(kParamGreyPoint, pickedOutput(start), start);
        EXPECT_EQ(host->lastChanges().size(), 3u);
        const hostsim::World output = rendered();
        const PF_Pixel8 p = const_cast<hostsim::World&>(output).pixel8(1, 0);
        const int tolerance = floatColour ? 1 : 2;  // an 8-bit pick is itself off by up to half a code
        EXPECT_LE(std::abs(p.red - p.green), tolerance);
        EXPECT_LE(std::abs(p.green - p.blue), tolerance);
        EXPECT_LE(std::abs(p.red - p.blue), tolerance);
        for (int c = 0; c < 3; ++c) EXPECT_EQ(blockOf(after, c).inputBlack, blockOf(start, c).inputBlack);
    }
    EXPECT_HOST_CLEAN(*host);
}

struct EdgePick {
    const char* name;
    int picker;
    PF_PixelFloat colour;
    // The red, green and blue blocks after the pick (start: earlierSettings()).
    void (*expect)(const LevelsSettings& start, const LevelsSettings& after, size_t changes);
};

const float kNaN = std::numeric_limits<float>::quiet_NaN();

const EdgePick kEdgePicks[] = {
    // Output black is clipped: the clip edge, each block's input black, which
    // is already there: nothing changes.
    {"ClippedBlack", kParamBlackPoint, {1, 0, 0, 0},
     [](const LevelsSettings& start, const LevelsSettings& after, size_t) {
         for (int c = 0; c < 3; ++c) EXPECT_EQ(blockOf(after, c).inputBlack, blockOf(start, c).inputBlack);
     }},
    // A white point at white: input white stays; red's output white is 250, so
    // full red lies beyond it: red's input white, its clip edge.
    {"ClippedWhite", kParamWhitePoint, {1, 1, 1, 1},
     [](const LevelsSettings& start, const LevelsSettings& after, size_t) {
         for (int c = 0; c < 3; ++c) EXPECT_EQ(blockOf(after, c).inputWhite, blockOf(start, c).inputWhite);
     }},
    // A black point at white would make input black equal input white: not written.
    {"BlackAtWhite", kParamBlackPoint, {1, 1, 1, 1},
     [](const LevelsSettings& start, const LevelsSettings& after, size_t changes) {
         EXPECT_EQ(changes, 0u);
         for (int c = 0; c < 3; ++c) EXPECT_EQ(blockOf(after, c).inputBlack, blockOf(start, c).inputBlack);
     }},
    {"NaN", kParamGreyPoint, {1, 0.5f, kNaN, 0.5f},
     [](const LevelsSettings&, const LevelsSettings&, size_t changes) { EXPECT_EQ(changes, 0u); }},
    {"Infinite", kParamWhitePoint, {1, 0.5f, HUGE_VALF, 0.5f},
     [](const LevelsSettings&, const LevelsSettings&, size_t changes) { EXPECT_EQ(changes, 0u); }},
    // Over-bright and negative channels beyond clipped ends: the ends.
    {"BeyondTheRange", kParamWhitePoint, {1, 4.0f, -1.0f, 0.5f},
     [](const LevelsSettings& start, const LevelsSettings& after, size_t) {
         EXPECT_EQ(after.red.inputWhite, start.red.inputWhite);
         EXPECT_EQ(after.green.inputWhite, start.green.inputWhite);  // would be input black: not written
         EXPECT_NEAR(after.blue.inputWhite, enteringLevel(127.5, start.blue, true, true), 1e-6);
     }},
    // A near-black red against a grey: a gamma far above 5 would be needed: held at 5.
    {"GammaBeyondItsRange", kParamGreyPoint, {1, 0.03f, 0.9f, 0.9f},
     [](const LevelsSettings&, const LevelsSettings& after, size_t) {
         EXPECT_EQ(after.red.gamma, 5.0);
         EXPECT_GT(after.green.gamma, 0.0);
         EXPECT_LT(after.green.gamma, 1.0);
     }},
};

TEST_F(Pickers, EdgesAndBadColoursGiveASensibleSettingOrNothing) {
    for (const EdgePick& e : kEdgePicks) {
        SCOPED_TRACE(e.name);
        const LevelsSettings start = earlierSettings();
        applySettings(*host, start);
        const LevelsSettings after = pick(e.picker, e.colour, start);
        e.expect(start, after, host->lastChanges().size());
    }
    // Another parameter's change, and a change without its record, write nothing.
    EXPECT_EQ(host->userChangedParam(kParamChannel), PF_Err_NONE);
    EXPECT_TRUE(host->lastChanges().empty());
    EXPECT_EQ(host->send(PF_Cmd_USER_CHANGED_PARAM), PF_Err_NONE);
    EXPECT_TRUE(host->lastChanges().empty());
    EXPECT_HOST_CLEAN(*host);
}

}  // namespace
