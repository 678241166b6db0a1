// Smart rendering through the module as the host drives it: pre-render's
// checkout and rectangles, smart render at 8 bits, 16 bits and float on both
// paths against the independent model, and the host's checkout rules under
// refusals, missing pre-renders and worlds of the wrong depth.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <vector>

#include "entry/ThrownCode.h"
#include "render/SmartRender.h"
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
    settings.red = {254, 254 + 1.6e-5, 5.0, -2550000, 2550000};  // magnitudes near the limits side by side
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
    settings.green = {0, 1.6e-5, 1.0, 2550000, -2550000};  // magnitudes near the limits side by side
    settings.clipBlack = false;
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
                if (channelOf(output.pixel16(x, y), c) != codeModel16(channelOf(input.pixel16(x, y), c), c, settings)) ++wrong;
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

// A parameter the host refuses during pre-render or smart render (a cancelled
// render) fails the command with the host's code: nothing written, nothing
// left checked out. Smart render reads the settings twice when the output
// reaches past the input (the map of a transparent pixel, then the frame):
// a refusal of either read leaves the output as it was.
TEST_P(SmartRender, ARefusedParameterCheckoutFailsTheCommandWithTheHostsCode) {
    hostsim::World input(20, 10, PF_PixelFormat_ARGB128);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x) input.pixelFloat(x, y) = PF_PixelFloat{1.0f, 0.25f, 0.5f, 0.75f};
    }
    host->setInputLayer(input.def());
    hostsim::World output(20, 10, PF_PixelFormat_ARGB128);
    fillBytes(output, 0x5A);

    host->failCheckout(1, PF_Interrupt_CANCEL);
    EXPECT_EQ(host->smartPreRender(hostsim::Host::fullRequest(20, 10), 32), PF_Interrupt_CANCEL);
    EXPECT_EQ(host->checkedOutParams(), 0);

    for (const int nth : {1, 28}) {
        ASSERT_EQ(host->smartPreRender(hostsim::Host::fullRequest(20, 10), 32), PF_Err_NONE);
        host->failCheckout(nth, PF_Interrupt_CANCEL);
        EXPECT_EQ(host->smartRender(output.def()), PF_Interrupt_CANCEL) << "checkout " << nth;
        host->failCheckout(0, 0);
    }
    LevelsSettings settings;
    settings.alpha.outputBlack = 51;  // transparent becomes visible
    applySettings(*host, settings);
    const PF_LRect trim{4, 2, 12, 9};
    host->trimLayerCheckout(&trim);
    // The settings are read once for the frame (28 parameters: the levels
    // and the view), also when the output reaches past the input; the frame
    // has no 29th checkout.
    for (const int nth : {1, 28}) {
        ASSERT_EQ(host->smartPreRender(hostsim::Host::fullRequest(20, 10), 32), PF_Err_NONE);
        host->failCheckout(nth, PF_Interrupt_CANCEL);
        EXPECT_EQ(host->smartRender(output.def()), PF_Interrupt_CANCEL) << "checkout " << nth;
        host->failCheckout(0, 0);
    }
    {
        hostsim::World other(20, 10, PF_PixelFormat_ARGB128);
        ASSERT_EQ(host->smartPreRender(hostsim::Host::fullRequest(20, 10), 32), PF_Err_NONE);
        host->failCheckout(29, PF_Interrupt_CANCEL);
        EXPECT_EQ(host->smartRender(other.def()), PF_Err_NONE) << "the settings were read more than once";
        host->failCheckout(0, 0);
    }
    host->trimLayerCheckout(nullptr);
    for (uint8_t byte : output.memory()) ASSERT_EQ(byte, 0x5A) << "the output was written";
    EXPECT_EQ(host->checkedOutParams(), 0);
    EXPECT_EQ(host->layerPixelsCheckedOut(), 0);
    EXPECT_HOST_CLEAN(*host);
}

// A host's output world may be larger than the result rectangle: the pixels
// past it are not the effect's to write, also when the map of a transparent
// pixel fills the part the input does not cover. At every depth.
TEST_P(SmartRender, OnlyTheResultRectangleOfALargerOutputIsWritten) {
    for (const A_short bits : {8, 16, 32}) {
        SCOPED_TRACE("bits " + std::to_string(bits));
        const PF_PixelFormat format =
            bits == 8 ? PF_PixelFormat_ARGB32 : bits == 16 ? PF_PixelFormat_ARGB64 : PF_PixelFormat_ARGB128;
        hostsim::World input(20, 10, format);
        fillBytes(input, 0x10);
        host->setInputLayer(input.def());
        LevelsSettings settings;
        settings.alpha.outputBlack = 51;
        applySettings(*host, settings);
        const PF_LRect trim{4, 2, 12, 9};
        host->trimLayerCheckout(&trim);
        PF_RenderRequest request = hostsim::Host::fullRequest(20, 10);
        request.rect = PF_LRect{1, 1, 30, 8};
        ASSERT_EQ(host->smartPreRender(request, bits), PF_Err_NONE);
        const PF_LRect result = host->preRenderOutput().result_rect;
        ASSERT_TRUE(sameRect(result, PF_LRect{1, 1, 20, 8}));
        hostsim::World output(25, 11, format, 8);
        fillBytes(output, 0x5A);
        ASSERT_EQ(host->smartRender(output.def()), PF_Err_NONE);
        host->trimLayerCheckout(nullptr);
        const int pixelBytes = hostsim::World::bytesPerPixel(format);
        int written = 0, outside = 0;
        for (int y = 0; y < output.height(); ++y) {
            const uint8_t* row = output.memory().data() + static_cast<size_t>(y) * output.def()->rowbytes;
            for (int x = 0; x * pixelBytes < output.def()->rowbytes; ++x) {
                const bool inResult = x < 19 && y < 7;
                bool untouched = true;
                for (int b = 0; b < pixelBytes && x * pixelBytes + b < output.def()->rowbytes; ++b) {
                    untouched = untouched && row[x * pixelBytes + b] == 0x5A;
                }
                if (inResult) written += untouched ? 0 : 1;
                if (!inResult && !untouched && outside++ < 3) {
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") past the result rectangle was written";
                }
            }
        }
        EXPECT_EQ(written, 19 * 7);
        EXPECT_EQ(outside, 0);
    }
    EXPECT_HOST_CLEAN(*host);
}

// A host that cannot tell a world's depth: the deep flag with the announced
// bit depth decides, so float worlds are rendered as float and 16-bit worlds
// as 16-bit, not one taken for the other.
TEST_P(SmartRender, WithoutTheWorldSuiteTheDeepFlagTakesTheAnnouncedDepth) {
    host->refuseSuite("PF World Suite", 2);
    LevelsSettings settings;
    settings.clipBlack = settings.clipWhite = false;
    settings.composite.gamma = 2.0;
    settings.red.outputBlack = 20;
    applySettings(*host, settings);
    hostsim::World input = floatPicture(floatValues(), 23);
    hostsim::World output(input.width(), input.height(), PF_PixelFormat_ARGB128, 12);
    ASSERT_EQ(smartFrame(input, output, 32), PF_Err_NONE);
    expectFloatFrame(input, output, settings);

    hostsim::World input16(33, 5, PF_PixelFormat_ARGB64);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 33; ++x) {
            const auto code = [&](int k) { return static_cast<A_u_short>((x * 997 + y * 4099 + k * 7919) % 32769); };
            input16.pixel16(x, y) = PF_Pixel16{code(0), code(1), code(2), code(3)};
        }
    }
    hostsim::World output16(33, 5, PF_PixelFormat_ARGB64);
    hostsim::World expected(33, 5, PF_PixelFormat_ARGB64);
    host->allowSuite("PF World Suite", 2);
    ASSERT_EQ(smartFrame(input16, expected, 16), PF_Err_NONE);
    host->refuseSuite("PF World Suite", 2);
    ASSERT_EQ(smartFrame(input16, output16, 16), PF_Err_NONE);
    EXPECT_EQ(output16.memory(), expected.memory()) << "a 16-bit frame renders alike with and without the suite";
    EXPECT_HOST_CLEAN(*host);
}

// The pre-render record is freed, not only cleared, by the delete function the
// host calls: the effect's own commands, linked into this test, count the
// records they make, and the simulator frees them as a host does.
PF_Err AE_CALLBACK smartCommandsInProcess(PF_Cmd cmd, PF_InData* in_data, PF_OutData*, PF_ParamDef*[], PF_LayerDef*,
                                          void* extra) {
    try {
        if (cmd == PF_Cmd_SMART_PRE_RENDER) {
            return Ombrix::Levels::smartPreRender(in_data, static_cast<PF_PreRenderExtra*>(extra));
        }
        if (cmd == PF_Cmd_SMART_RENDER) {
            return Ombrix::Levels::smartRender(in_data, static_cast<PF_SmartRenderExtra*>(extra), nullptr);
        }
    } catch (int code) {
        return Ombrix::Levels::hostCodeForThrown(code);
    }
    return PF_Err_NONE;
}

TEST_P(SmartRender, EveryPreRenderRecordMadeIsFreed) {
    using Ombrix::Levels::livePreRenderRecords;
    ASSERT_EQ(livePreRenderRecords(), 0);
    hostsim::World input(9, 4, PF_PixelFormat_ARGB128);
    hostsim::World output(9, 4, PF_PixelFormat_ARGB128);
    host->setInputLayer(input.def());
    host->routeCommandsTo(smartCommandsInProcess);
    const int freedBefore = host->preRenderDataFreed();
    ASSERT_EQ(host->smartPreRender(hostsim::Host::fullRequest(9, 4), 32), PF_Err_NONE);
    EXPECT_EQ(livePreRenderRecords(), 1);
    ASSERT_EQ(host->smartPreRender(hostsim::Host::fullRequest(9, 4), 32), PF_Err_NONE);  // replaces the first
    EXPECT_EQ(livePreRenderRecords(), 1);
    host->discardPreRender();
    EXPECT_EQ(livePreRenderRecords(), 0);
    ASSERT_EQ(host->smartPreRender(hostsim::Host::fullRequest(9, 4), 32), PF_Err_NONE);
    host->smartRender(output.def());  // no render path in this copy: it fails, the host frees the record
    EXPECT_EQ(livePreRenderRecords(), 0);
    EXPECT_EQ(host->preRenderDataFreed() - freedBefore, 3);
    host->routeCommandsTo(nullptr);
    EXPECT_HOST_CLEAN(*host);
}

INSTANTIATE_TEST_SUITE_P(Render, SmartRender, ::testing::Values(Path::Gpu, Path::Cpu), pathTestName);

}  // namespace
