// The clipping views against the model at every depth and on both paths:
// each red, green and blue channel shows 0 or full from whether the model's
// final value of its input equals that of the darkest or brightest in-range
// input; alpha keeps its mapped value; the Result view gives the levels'
// pixels exactly, also after a clipping view of the same levels (the tables
// kept for 16-bit frames are told apart by view).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <sstream>

#include "render/ClipView.h"
#include "tests/RenderFixture.h"

namespace {

using namespace zanth_test;
using Ombrix::Levels::ClipView;
using Ombrix::Levels::kParamView;

struct ViewCase {
    const char* name;
    std::function<void(LevelsSettings&)> set;
};

const ViewCase kViewCases[] = {
    {"Levels",
     [](LevelsSettings& s) {
         s.composite = {20, 230, 1.3, 0, 255};
         s.red = {0, 255, 1, 10, 240};
         s.green = {40, 255, 0.8, 0, 255};
         s.blue = {0, 200, 1, 0, 255};
         s.alpha = {10, 245, 1.2, 5, 250};
     }},
    {"ReversedOutputs",
     [](LevelsSettings& s) {
         s.composite = {15, 240, 1, 255, 0};
         s.red = {0, 200, 1.4, 0, 255};
         s.blue = {0, 255, 1, 230, 20};
     }},
    {"ClipFlagsOff",
     [](LevelsSettings& s) {
         s.composite = {30, 220, 0.9, 0, 255};
         s.green = {-20, 270, 1, 0, 255};
         s.clipBlack = false;
         s.clipWhite = false;
     }},
};

const Channel kColours[] = {kRed, kGreen, kBlue};

// What a clipping view shows for a final value `out` of a channel whose
// darkest and brightest in-range inputs give `darkest` and `brightest`.
template <typename T>
T viewModel(ClipView view, T out, T darkest, T brightest, T full) {
    if (view == ClipView::ShadowClipping) return out == darkest ? T(0) : full;
    return out == brightest ? full : T(0);
}

void setView(hostsim::Host& host, ClipView view) { host.param(kParamView).u.pd.value = static_cast<int>(view); }

class ClipViews : public PathRenderTest {
protected:
    PF_Err smartFrame(hostsim::World& input, hostsim::World& output) {
        host->setInputLayer(input.def());
        const PF_Err err = host->smartPreRender(hostsim::Host::fullRequest(input.width(), input.height()), 32);
        return err != PF_Err_NONE ? err : host->smartRender(output.def());
    }
};

TEST_P(ClipViews, EightBitFramesMatchTheModelInEveryView) {
    hostsim::World input = everyValuePicture(4, 3);
    for (const ViewCase& c : kViewCases) {
        LevelsSettings s;
        c.set(s);
        applySettings(*host, s);
        for (ClipView view : {ClipView::Result, ClipView::ShadowClipping, ClipView::HighlightClipping}) {
            setView(*host, view);
            hostsim::World output(256, 4, PF_PixelFormat_ARGB32, 5);
            ASSERT_EQ(render(input, output), PF_Err_NONE);
            int wrong = 0;
            for (int y = 0; y < 4; ++y) {
                for (int x = 0; x < 256; ++x) {
                    const PF_Pixel8& in = input.pixel8(x, y);
                    const PF_Pixel8& out = output.pixel8(x, y);
                    EXPECT_EQ(out.alpha, byteModel(in.alpha, kAlpha, s)) << c.name;
                    for (Channel ch : kColours) {
                        const int mapped = byteModel(channelOf(in, ch), ch, s);
                        const int expected = view == ClipView::Result
                                                 ? mapped
                                                 : viewModel(view, mapped, byteModel(0, ch, s),
                                                             byteModel(255, ch, s), 255);
                        if (channelOf(out, ch) != expected && wrong++ == 0) {
                            ADD_FAILURE() << c.name << " view " << static_cast<int>(view) << " channel " << ch
                                          << " input " << channelOf(in, ch) << ": " << channelOf(out, ch)
                                          << ", expected " << expected;
                        }
                    }
                }
            }
            EXPECT_EQ(wrong, 0) << c.name << " view " << static_cast<int>(view);
        }
    }
    EXPECT_HOST_CLEAN(*host);
}

// Every code 0..32768 once per channel (more pixels than codes, so the CPU
// path takes its table), each channel in its own order. The Result view is
// rendered before and after the clipping views.
TEST_P(ClipViews, SixteenBitFramesMatchTheModelInEveryView) {
    const int width = 181, height = 182;  // 32942 pixels
    hostsim::World input(width, height, PF_PixelFormat_ARGB64, 6);
    for (int i = 0; i < width * height; ++i) {
        auto code = [](int k) { return static_cast<A_u_short>(k % (kWhite16 + 1)); };
        input.pixel16(i % width, i / width) = PF_Pixel16{code(i * 3), code(i), code(i + 11000), code(32768 - i % 32769)};
    }
    for (const ViewCase& c : kViewCases) {
        LevelsSettings s;
        c.set(s);
        applySettings(*host, s);
        for (ClipView view : {ClipView::Result, ClipView::ShadowClipping, ClipView::HighlightClipping,
                              ClipView::Result}) {
            setView(*host, view);
            hostsim::World output(width, height, PF_PixelFormat_ARGB64, 2);
            ASSERT_EQ(render(input, output), PF_Err_NONE);
            int wrong = 0;
            for (int i = 0; i < width * height; ++i) {
                const PF_Pixel16& in = input.pixel16(i % width, i / width);
                const PF_Pixel16& out = output.pixel16(i % width, i / width);
                if (out.alpha != codeModel16(in.alpha, kAlpha, s)) ++wrong;
                for (Channel ch : kColours) {
                    const int mapped = codeModel16(channelOf(in, ch), ch, s);
                    const int expected =
                        view == ClipView::Result
                            ? mapped
                            : viewModel(view, mapped, codeModel16(0, ch, s), codeModel16(kWhite16, ch, s), kWhite16);
                    if (channelOf(out, ch) != expected && wrong++ == 0) {
                        ADD_FAILURE() << c.name << " view " << static_cast<int>(view) << " channel " << ch << " code "
                                      << channelOf(in, ch) << ": " << channelOf(out, ch) << ", expected " << expected;
                    }
                }
            }
            EXPECT_EQ(wrong, 0) << c.name << " view " << static_cast<int>(view);
        }
    }
    EXPECT_HOST_CLEAN(*host);
}

// Float frames: values from -0.5 to 1.5 and both ends exactly. The colour
// channels are exact (0 or 1); alpha is the power function's result, within
// the bound the float rows keep to the double-precision model.
TEST_P(ClipViews, FloatFramesMatchTheModelInEveryView) {
    const int width = 101;
    hostsim::World input(width, 2, PF_PixelFormat_ARGB128, 4);
    for (int x = 0; x < width; ++x) {
        const float v = -0.5f + 2.0f * static_cast<float>(x) / (width - 1);
        input.pixelFloat(x, 0) = PF_PixelFloat{v, v, 1.0f - v, v * 0.5f};
        input.pixelFloat(x, 1) = PF_PixelFloat{0.5f, x % 2 ? 0.0f : 1.0f, x % 3 ? 1.0f : 0.0f, x % 5 ? 0.0f : 1.0f};
    }
    for (const ViewCase& c : kViewCases) {
        LevelsSettings s;
        c.set(s);
        applySettings(*host, s);
        for (ClipView view : {ClipView::ShadowClipping, ClipView::HighlightClipping}) {
            setView(*host, view);
            hostsim::World output(width, 2, PF_PixelFormat_ARGB128);
            ASSERT_EQ(smartFrame(input, output), PF_Err_NONE);
            for (int y = 0; y < 2; ++y) {
                for (int x = 0; x < width; ++x) {
                    const PF_PixelFloat& in = input.pixelFloat(x, y);
                    const PF_PixelFloat& out = output.pixelFloat(x, y);
                    const float alpha = channelModelUnclamped(in.alpha, kAlpha, s);
                    EXPECT_NEAR(out.alpha, alpha, 1e-6f * std::max(1.0f, std::fabs(alpha))) << c.name;
                    for (Channel ch : kColours) {
                        const float expected =
                            viewModel(view, channelModelUnclamped(channelOf(in, ch), ch, s),
                                      channelModelUnclamped(0.0f, ch, s), channelModelUnclamped(1.0f, ch, s), 1.0f);
                        EXPECT_EQ(channelOf(out, ch), expected)
                            << c.name << " view " << static_cast<int>(view) << " channel " << ch << " at " << x << ","
                            << y;
                    }
                }
            }
        }
    }
    EXPECT_HOST_CLEAN(*host);
}

// A project saved before the appended parameters holds only the first 39:
// with the new ones at their defaults (a colour in a picker alone changes
// nothing either) its frames are today's, byte for byte.
TEST_P(ClipViews, ProjectsSavedBeforeTheNewParametersRenderAsBefore) {
    hostsim::World input = everyValuePicture(4);
    LevelsSettings s;
    kViewCases[0].set(s);
    applySettings(*host, s);
    host->param(Ombrix::Levels::kParamGreyPoint).u.cd.value = PF_Pixel{255, 200, 10, 90};
    hostsim::World output(256, 4, PF_PixelFormat_ARGB32);
    ASSERT_EQ(render(input, output), PF_Err_NONE);
    const FrameCheck check = checkFrame(input, output, s);
    EXPECT_EQ(check.wrong, 0) << check.firstWrong;
    EXPECT_HOST_CLEAN(*host);
}

INSTANTIATE_TEST_SUITE_P(Render, ClipViews, ::testing::Values(Path::Gpu, Path::Cpu), pathTestName);

}  // namespace
