// Every output pixel depends on its own input pixel only, at every frame
// size: pictures whose neighbours differ (checkerboards, noise) rendered
// through the module at sizes that are no powers of two, with strong gammas
// that turn the slightest mix of a neighbour into a visible error.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <sstream>

#include "tests/RenderFixture.h"

namespace {

using namespace zanth_test;

struct Size {
    int width;
    int height;
};

enum class Pattern { Checkerboard, Noise };

struct NeighbourCase {
    Size size;
    Pattern pattern;
    double gamma;
};

std::ostream& operator<<(std::ostream& out, const NeighbourCase& c) {
    return out << c.size.width << "x" << c.size.height << (c.pattern == Pattern::Checkerboard ? " checkerboard" : " noise")
               << " gamma " << c.gamma;
}

hostsim::World picture(const NeighbourCase& c) {
    hostsim::World world(c.size.width, c.size.height, PF_PixelFormat_ARGB32, 8);
    std::mt19937 random(1234u + static_cast<uint32_t>(c.size.width * 31 + c.size.height));
    for (int y = 0; y < c.size.height; ++y) {
        for (int x = 0; x < c.size.width; ++x) {
            PF_Pixel8& p = world.pixel8(x, y);
            if (c.pattern == Pattern::Checkerboard) {
                const A_u_char v = ((x + y) & 1) ? 255 : 0;
                p = PF_Pixel8{255, v, v, v};
            } else {
                const uint32_t bits = random();
                p = PF_Pixel8{A_u_char(bits), A_u_char(bits >> 8), A_u_char(bits >> 16), A_u_char(bits >> 24)};
            }
        }
    }
    return world;
}

class Neighbours : public RenderTest, public ::testing::WithParamInterface<NeighbourCase> {};

TEST_P(Neighbours, EveryPixelDependsOnItsOwnInputOnly) {
    const NeighbourCase& c = GetParam();
    LevelsSettings settings;
    settings.composite.gamma = c.gamma;
    settings.alpha.gamma = c.gamma;
    applySettings(*host, settings);
    hostsim::World input = picture(c);
    hostsim::World output(c.size.width, c.size.height, PF_PixelFormat_ARGB32, 4);
    ASSERT_EQ(render(input, output), PF_Err_NONE);

    // The model of every byte value of every channel, once: black stays
    // black under any gamma, where the least neighbour's share would show.
    std::array<std::array<int, 256>, 4> model{};
    for (Channel ch : {kAlpha, kRed, kGreen, kBlue}) {
        for (int v = 0; v < 256; ++v) model[ch][v] = byteModel(v, ch, settings);
    }
    long wrong = 0;
    long checked = 0;
    std::string first;
    for (int y = 0; y < c.size.height; ++y) {
        for (int x = 0; x < c.size.width; ++x) {
            for (Channel ch : {kAlpha, kRed, kGreen, kBlue}) {
                const int in = channelOf(input.pixel8(x, y), ch);
                const int expected = model[ch][in];
                ++checked;
                const int out = channelOf(output.pixel8(x, y), ch);
                if (out != expected && wrong++ == 0) {
                    std::ostringstream text;
                    text << "channel " << ch << " at (" << x << ", " << y << "): input " << in << ", output " << out
                         << ", expected " << expected;
                    first = text.str();
                }
            }
        }
    }
    EXPECT_EQ(wrong, 0) << wrong << " bytes differ, first: " << first;
    const long bytes = static_cast<long>(c.size.width) * c.size.height * 4;
    EXPECT_EQ(checked, bytes);
    EXPECT_HOST_CLEAN(*host);
}

std::vector<NeighbourCase> cases() {
    const Size sizes[] = {{1920, 1080}, {480, 270}, {2, 643}, {1, 517}, {733, 1}, {257, 129}};
    std::vector<NeighbourCase> all;
    for (const Size& s : sizes) {
        for (Pattern p : {Pattern::Checkerboard, Pattern::Noise}) {
            for (double gamma : {5.0, 0.2}) all.push_back({s, p, gamma});
        }
    }
    return all;
}

INSTANTIATE_TEST_SUITE_P(Render, Neighbours, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<NeighbourCase>& info) {
                             const NeighbourCase& c = info.param;
                             std::ostringstream name;
                             name << c.size.width << "x" << c.size.height
                                  << (c.pattern == Pattern::Checkerboard ? "Checkerboard" : "Noise") << "Gamma"
                                  << (c.gamma >= 1.0 ? "Five" : "FifthOfOne");
                             return name.str();
                         });

}  // namespace
