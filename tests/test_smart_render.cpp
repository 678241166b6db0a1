// Smart rendering through the module as the host drives it: pre-render's
// checkout and rectangles, smart render at 8 bits, 16 bits and float on both
// paths against the independent model, and the host's checkout rules under
// refusals, missing pre-renders and worlds of the wrong depth.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <vector>

#include "tests/RenderFixture.h"

namespace {

using namespace zanth_test;

class SmartRender : public PathRenderTest {
protected:
    // Pre-render of the whole input layer at `bits`, then smart render into `output`.
    PF_Err smartFrame(hostsim::World& input, hostsim::World& output, A_short bits) {
        host->setInputLayer(input.def());
        const PF_Err err = host->smartPreRender(hostsim::Host::fullRequest(input.width(), input.height()), bits);
        if (err != PF_Err_NONE) return err;
        return host->smartRender(output.def());
    }
};

bool sameRect(const PF_LRect& a, const PF_LRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Float values from -1 to 4, the edges of the float range, NaN and infinities.
std::vector<float> floatValues() {
    std::vector<float> values;
    for (int i = 0; i <= 500; ++i) values.push_back(-1.0f + 5.0f * static_cast<float>(i) / 500.0f);
    for (float v : {0.0f, -0.0f, 1.0f, 1e-30f, -1e-30f, 0.5f, 1.0f / 255, 254.0f / 255, 1e30f, -1e30f, FLT_MAX,
                    -FLT_MAX, std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                    std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::quiet_NaN()}) {
        values.push_back(v);
    }
    return values;
}

hostsim::World floatPicture(const std::vector<float>& values, int width) {
    const int n = static_cast<int>(values.size());
    const int height = (n + width - 1) / width;
    hostsim::World world(width, height, PF_PixelFormat_ARGB128, 4);
    for (int i = 0; i < width * height; ++i) {
        auto v = [&](int shift) { return values[static_cast<size_t>((i + shift) % n)]; };
        world.pixelFloat(i % width, i / width) = PF_PixelFloat{v(0), v(n / 3), v(n / 2 + 1), v(n - 1)};
    }
    return world;
}

void expectFloatFrame(hostsim::World& input, hostsim::World& output, const LevelsSettings& s) {
    int wrong = 0;
    for (int y = 0; y < input.height(); ++y) {
        for (int x = 0; x < input.width(); ++x) {
            for (Channel c : {kAlpha, kRed, kGreen, kBlue}) {
                const float in = channelOf(input.pixelFloat(x, y), c);
                const float out = channelOf(output.pixelFloat(x, y), c);
                const float model = channelModelUnclamped(in, c, s);
                const bool close = std::isfinite(out) &&
                                   std::fabs(out - model) <= 1e-6f * std::max(1.0f, std::fabs(model));
                if (!close && wrong++ < 3) {
                    ADD_FAILURE() << "channel " << c << " at (" << x << ", " << y << "): input " << in
                                  << ", output " << out << ", expected " << model;
                }
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_P(SmartRender, FloatRampsBeyondZeroToOneNanAndInfinitiesFollowTheModel) {
    struct Case {
        const char* name;
        void (*set)(LevelsSettings&);
    };
    const Case cases[] = {
        {"defaults", [](LevelsSettings&) {}},
        {"clips off, range and gamma",
         [](LevelsSettings& s) {
             s.clipBlack = s.clipWhite = false;
             s.composite.inputBlack = 20, s.composite.inputWhite = 200, s.composite.gamma = 2.2;
             s.red.outputBlack = 10, s.alpha.gamma = 0.4;
         }},
        {"strong gamma, clips on", [](LevelsSettings& s) { s.composite.gamma = 5.0, s.blue.gamma = 0.2; }},
        {"inverted, clips off",
         [](LevelsSettings& s) {
             s.clipBlack = s.clipWhite = false;
             s.composite.outputBlack = 255, s.composite.outputWhite = 0;
         }},
    };
    const std::vector<float> values = floatValues();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LevelsSettings settings;
        c.set(settings);
        applySettings(*host, settings);
        hostsim::World input = floatPicture(values, 37);
        hostsim::World output(input.width(), input.height(), PF_PixelFormat_ARGB128, 12);
        ASSERT_EQ(smartFrame(input, output, 32), PF_Err_NONE);
        expectFloatFrame(input, output, settings);
    }
    EXPECT_EQ(host->preRenderDataFreed(), 4);
    EXPECT_HOST_CLEAN(*host);
}

TEST_P(SmartRender, FloatValuesOutsideZeroToOnePassUnclampedWithClipsOff) {
    LevelsSettings settings;
    settings.clipBlack = settings.clipWhite = false;
    applySettings(*host, settings);
    hostsim::World input(3, 1, PF_PixelFormat_ARGB128);
    input.pixelFloat(0, 0) = PF_PixelFloat{1.0f, 2.5f, -0.5f, 4.0f};
    input.pixelFloat(1, 0) = PF_PixelFloat{0.5f, std::numeric_limits<float>::quiet_NaN(),
                                           std::numeric_limits<float>::infinity(),
                                           -std::numeric_limits<float>::infinity()};
    hostsim::World output(3, 1, PF_PixelFormat_ARGB128);
    ASSERT_EQ(smartFrame(input, output, 32), PF_Err_NONE);
    EXPECT_FLOAT_EQ(output.pixelFloat(0, 0).red, 2.5f);
    EXPECT_FLOAT_EQ(output.pixelFloat(0, 0).green, -0.5f);
    EXPECT_FLOAT_EQ(output.pixelFloat(0, 0).blue, 4.0f);
    EXPECT_EQ(output.pixelFloat(1, 0).red, 0.0f) << "NaN is taken as 0";
    EXPECT_EQ(output.pixelFloat(1, 0).green, FLT_MAX) << "infinity is held at the largest float";
    EXPECT_EQ(output.pixelFloat(1, 0).blue, -FLT_MAX);
    EXPECT_HOST_CLEAN(*host);
}

// 8-bit through smart render: the same bytes as through PF_Cmd_RENDER.
TEST_P(SmartRender, EightBitFramesGiveTheBytesOfARender) {
    LevelsSettings settings;
    settings.composite.gamma = 1.7;
    settings.green.inputBlack = 12;
    applySettings(*host, settings);
    hostsim::World input = everyValuePicture(5, 8);
    hostsim::World smart(256, 5, PF_PixelFormat_ARGB32, 4);
    hostsim::World plain(256, 5, PF_PixelFormat_ARGB32, 4);
    ASSERT_EQ(smartFrame(input, smart, 8), PF_Err_NONE);
    ASSERT_EQ(render(input, plain), PF_Err_NONE);
    EXPECT_EQ(smart.memory(), plain.memory());
    const FrameCheck check = checkFrame(input, smart, settings);
    EXPECT_EQ(check.wrong, 0) << check.firstWrong;
    EXPECT_HOST_CLEAN(*host);
}

TEST_P(SmartRender, SixteenBitFramesFollowTheModel) {
    LevelsSettings settings;
    settings.composite.gamma = 0.3;
    settings.composite.inputWhite = 240;
    applySettings(*host, settings);
    hostsim::World input(131, 7, PF_PixelFormat_ARGB64, 6);
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 131; ++x) {
            const int i = y * 131 + x;
            input.pixel16(x, y) = PF_Pixel16{static_cast<A_u_short>(i * 37 % 32769), static_cast<A_u_short>(i),
                                             static_cast<A_u_short>(32768 - i), static_cast<A_u_short>(i * 911 % 32769)};
        }
    }
    hostsim::World output(131, 7, PF_PixelFormat_ARGB64);
    ASSERT_EQ(smartFrame(input, output, 16), PF_Err_NONE);
    int wrong = 0;
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 131; ++x) {
            for (Channel c : {kAlpha, kRed, kGreen, kBlue}) {
                const CodeModel model = codeModel16(channelOf(input.pixel16(x, y), c), c, settings);
                if (model.stable && std::abs(channelOf(output.pixel16(x, y), c) - model.expected) > 1) ++wrong;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_HOST_CLEAN(*host);
}

// The result is what the input gives; with a transparent pixel made visible,
// the whole layer at most, and the pixels past the input are the map of a
// transparent one.
TEST_P(SmartRender, PreRenderRectanglesFollowTheInputUnlessTransparencyBecomesVisible) {
    hostsim::World input(20, 10, PF_PixelFormat_ARGB128);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x) input.pixelFloat(x, y) = PF_PixelFloat{1.0f, 0.25f, 0.5f, 0.75f};
    }
    host->setInputLayer(input.def());
    const PF_LRect trim{4, 2, 12, 9};
    host->trimLayerCheckout(&trim);
    ASSERT_EQ(host->smartPreRender(hostsim::Host::fullRequest(20, 10), 32), PF_Err_NONE);
    EXPECT_TRUE(sameRect(host->preRenderOutput().result_rect, trim));
    EXPECT_TRUE(sameRect(host->preRenderOutput().max_result_rect, trim));
    hostsim::World small(8, 7, PF_PixelFormat_ARGB128);
    ASSERT_EQ(host->smartRender(small.def()), PF_Err_NONE);
    EXPECT_FLOAT_EQ(small.pixelFloat(0, 0).red, 0.25f);

    LevelsSettings settings;
    settings.alpha.outputBlack = 51;  // transparent becomes 0.2
    applySettings(*host, settings);
    PF_RenderRequest request = hostsim::Host::fullRequest(20, 10);
    request.rect = PF_LRect{1, 1, 30, 8};  // past the layer on the right
    ASSERT_EQ(host->smartPreRender(request, 32), PF_Err_NONE);
    EXPECT_TRUE(sameRect(host->preRenderOutput().max_result_rect, PF_LRect{0, 0, 20, 10}));
    EXPECT_TRUE(sameRect(host->preRenderOutput().result_rect, PF_LRect{1, 1, 20, 8}));
    hostsim::World whole(19, 7, PF_PixelFormat_ARGB128);
    ASSERT_EQ(host->smartRender(whole.def()), PF_Err_NONE);
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 19; ++x) {
            const int lx = x + 1;
            const int ly = y + 1;
            const bool inside = lx >= trim.left && lx < trim.right && ly >= trim.top && ly < trim.bottom;
            const PF_PixelFloat source = inside ? input.pixelFloat(lx, ly) : PF_PixelFloat{0, 0, 0, 0};
            for (Channel c : {kAlpha, kRed, kGreen, kBlue}) {
                ASSERT_NEAR(channelOf(whole.pixelFloat(x, y), c), channelModelUnclamped(channelOf(source, c), c, settings),
                            1e-6f)
                    << "channel " << c << " at (" << x << ", " << y << ")";
            }
        }
    }
    host->trimLayerCheckout(nullptr);
    EXPECT_HOST_CLEAN(*host);
}

TEST_P(SmartRender, PreRendersWithoutARenderLeakNothing) {
    hostsim::World input(5, 5, PF_PixelFormat_ARGB64);
    host->setInputLayer(input.def());
    for (int i = 0; i < 3; ++i) ASSERT_EQ(host->smartPreRender(hostsim::Host::fullRequest(5, 5), 16), PF_Err_NONE);
    host->discardPreRender();
    EXPECT_EQ(host->preRenderDataFreed(), 3);
    EXPECT_HOST_CLEAN(*host);
}

TEST_P(SmartRender, ASmartRenderWithoutAPreRenderFailsAndChecksNothingOut) {
    hostsim::World input(6, 4, PF_PixelFormat_ARGB128);
    host->setInputLayer(input.def());
    hostsim::World output(6, 4, PF_PixelFormat_ARGB128);
    fillBytes(output, 0x5A);
    EXPECT_NE(host->smartRender(output.def(), 32), PF_Err_NONE);
    for (uint8_t byte : output.memory()) ASSERT_EQ(byte, 0x5A);
    EXPECT_EQ(host->layerPixelsCheckedOut(), 0);
    EXPECT_HOST_CLEAN(*host);
}

TEST_P(SmartRender, RefusedCheckoutsGiveTheHostsCodeAndLeaveNothingCheckedOut) {
    hostsim::World input(6, 4, PF_PixelFormat_ARGB128);
    hostsim::World output(6, 4, PF_PixelFormat_ARGB128);
    fillBytes(output, 0x5A);
    host->setInputLayer(input.def());

    host->refuseLayerCheckout(PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(host->smartPreRender(hostsim::Host::fullRequest(6, 4), 32), PF_Err_OUT_OF_MEMORY);
    EXPECT_NE(host->smartRender(output.def(), 32), PF_Err_NONE);  // no pre-render stands
    host->refuseLayerCheckout(0);

    host->refuseLayerPixels(PF_Err_OUT_OF_MEMORY);
    ASSERT_EQ(host->smartPreRender(hostsim::Host::fullRequest(6, 4), 32), PF_Err_NONE);
    EXPECT_EQ(host->smartRender(output.def()), PF_Err_OUT_OF_MEMORY);
    host->refuseLayerPixels(0);

    host->refuseOutput(PF_Err_OUT_OF_MEMORY);
    ASSERT_EQ(host->smartPreRender(hostsim::Host::fullRequest(6, 4), 32), PF_Err_NONE);
    EXPECT_EQ(host->smartRender(output.def()), PF_Err_OUT_OF_MEMORY);
    host->refuseOutput(0);

    for (uint8_t byte : output.memory()) ASSERT_EQ(byte, 0x5A);
    EXPECT_EQ(host->layerPixelsCheckedOut(), 0);
    EXPECT_EQ(host->preRenderDataFreed(), 2);
    EXPECT_HOST_CLEAN(*host);
}

TEST_P(SmartRender, WorldsOfAnotherDepthThanAnnouncedAreRefusedWithTheOutputUntouched) {
    struct Case {
        PF_PixelFormat in, out;
        A_short bits;
    };
    for (const Case c : {Case{PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB128, 32},
                         Case{PF_PixelFormat_ARGB128, PF_PixelFormat_ARGB128, 16},
                         Case{PF_PixelFormat_ARGB64, PF_PixelFormat_ARGB128, 32},
                         Case{PF_PixelFormat_ARGB64, PF_PixelFormat_ARGB32, 16}}) {
        hostsim::World input(7, 3, c.in);
        fillBytes(input, 0x22);
        hostsim::World output(7, 3, c.out);
        fillBytes(output, 0x5A);
        EXPECT_NE(smartFrame(input, output, c.bits), PF_Err_NONE);
        for (uint8_t byte : output.memory()) ASSERT_EQ(byte, 0x5A);
        EXPECT_EQ(host->layerPixelsCheckedOut(), 0);
    }
    EXPECT_HOST_CLEAN(*host);
}

TEST_P(SmartRender, CommandsWithoutTheirRecordsAreRefused) {
    EXPECT_NE(host->send(PF_Cmd_SMART_PRE_RENDER), PF_Err_NONE);
    EXPECT_NE(host->send(PF_Cmd_SMART_RENDER), PF_Err_NONE);
    EXPECT_HOST_CLEAN(*host);
}

INSTANTIATE_TEST_SUITE_P(Render, SmartRender, ::testing::Values(Path::Gpu, Path::Cpu), pathTestName);

}  // namespace
