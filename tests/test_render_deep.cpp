// 16-bit frames through PF_Cmd_RENDER on both paths, judged against the
// independent model: every code at both ends of 0..32768, a dense sample
// between, codes above white, odd sizes and rows of any padding; and worlds of
// the wrong depth refused with the output untouched.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <thread>
#include <tuple>
#include <vector>

#include "render/cpu/CpuLevelsRenderer.h"
#include "tests/GlCallCounter.h"
#include "tests/RenderFixture.h"

namespace {

using namespace zanth_test;

// Codes a 16-bit frame is checked at: 0, 1, 16384, 32767, 32768, every code
// of 0..2047 and of 30721..32768, every 7th code between, and a few above
// white (the host never sends them; they count as white).
std::vector<int> codesToCheck() {
    std::vector<int> codes;
    for (int k = 0; k <= 2047; ++k) codes.push_back(k);
    for (int k = 2048; k < 30721; k += 7) codes.push_back(k);
    for (int k = 30721; k <= kWhite16; ++k) codes.push_back(k);
    for (int k : {16384, 32769, 40000, 65535}) codes.push_back(k);
    return codes;
}

// Every code of `codes` in every channel, each channel in its own order, so
// that neighbouring pixels differ and a swapped channel shows. Width odd.
hostsim::World picture16(const std::vector<int>& codes, int width, int rowPadding) {
    const int n = static_cast<int>(codes.size());
    const int height = (n + width - 1) / width;
    hostsim::World world(width, height, PF_PixelFormat_ARGB64, rowPadding);
    for (int i = 0; i < width * height; ++i) {
        auto code = [&](int shift) { return static_cast<A_u_short>(codes[static_cast<size_t>((i * 1 + shift) % n)]); };
        world.pixel16(i % width, i / width) =
            PF_Pixel16{code(0), code(n / 3), code(n / 2 + 1), code(n - 1 - (i % 3))};
    }
    return world;
}

struct CodeCheck {
    int checked = 0;
    int wrong = 0;
    std::string firstWrong;
};

CodeCheck checkFrame16(hostsim::World& input, hostsim::World& output, const LevelsSettings& s) {
    CodeCheck check;
    const char* names[] = {"alpha", "red", "green", "blue"};
    for (int y = 0; y < input.height(); ++y) {
        for (int x = 0; x < input.width(); ++x) {
            for (Channel c : {kAlpha, kRed, kGreen, kBlue}) {
                const int in = channelOf(input.pixel16(x, y), c);
                const int out = channelOf(output.pixel16(x, y), c);
                const int expected = codeModel16(in, c, s);
                ++check.checked;
                if (out != expected && check.wrong++ == 0) {
                    std::ostringstream text;
                    text << names[c] << " at (" << x << ", " << y << "): input " << in << ", output " << out
                         << ", expected " << expected;
                    check.firstWrong = text.str();
                }
            }
        }
    }
    return check;
}

struct DeepCase {
    const char* name;
    std::function<void(LevelsSettings&)> set;
};
std::ostream& operator<<(std::ostream& out, const DeepCase& c) { return out << c.name; }

class Deep16 : public RenderTest, public ::testing::WithParamInterface<std::tuple<DeepCase, Path>> {
protected:
    Path path() const override { return std::get<1>(GetParam()); }
};

// Exactly the model's code everywhere.
TEST_P(Deep16, EveryEdgeCodeAndADenseSampleMatchTheModel) {
    LevelsSettings settings;
    std::get<0>(GetParam()).set(settings);
    applySettings(*host, settings);
    hostsim::World input = picture16(codesToCheck(), 257, 24);
    hostsim::World output(input.width(), input.height(), PF_PixelFormat_ARGB64, 8);
    ASSERT_EQ(render(input, output), PF_Err_NONE);
    const CodeCheck check = checkFrame16(input, output, settings);
    EXPECT_EQ(check.wrong, 0) << check.wrong << " codes differ, first: " << check.firstWrong;
    EXPECT_HOST_CLEAN(*host);
}

const DeepCase kDeepCases[] = {
    {"Defaults", [](LevelsSettings&) {}},
    {"MixedMagnitudes", zanth_test::setMixedMagnitudes},
    {"InputRange", [](LevelsSettings& s) { s.composite.inputBlack = 50, s.composite.inputWhite = 200; }},
    {"GammaFive", [](LevelsSettings& s) { s.composite.gamma = 5.0; }},
    {"GammaFifthClipsOff",
     [](LevelsSettings& s) {
         s.composite.gamma = 0.2, s.composite.inputBlack = 30, s.composite.inputWhite = 220;
         s.clipBlack = s.clipWhite = false;
     }},
    {"InvertedOutputs", [](LevelsSettings& s) { s.composite.outputBlack = 255, s.composite.outputWhite = 0; }},
    {"ChannelsOwnMaps",
     [](LevelsSettings& s) {
         s.red.gamma = 2.2, s.green.inputBlack = 10, s.green.inputWhite = 90, s.blue.outputBlack = 40;
         s.alpha.gamma = 0.45, s.alpha.outputWhite = 200;
     }},
    {"FractionalLevels",
     [](LevelsSettings& s) {
         s.composite.inputBlack = 0.5, s.composite.inputWhite = 254.5, s.composite.outputBlack = 0.25;
         s.composite.outputWhite = 254.75;
     }},
};

INSTANTIATE_TEST_SUITE_P(Render, Deep16,
                         ::testing::Combine(::testing::ValuesIn(kDeepCases), ::testing::Values(Path::Gpu, Path::Cpu)),
                         [](const ::testing::TestParamInfo<std::tuple<DeepCase, Path>>& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    pathName(std::get<1>(info.param));
                         });

class Deep16Frames : public PathRenderTest {};

// With the defaults every code comes back exactly (above white: white).
TEST_P(Deep16Frames, DefaultsGiveEveryCodeBackExactly) {
    std::vector<int> codes;
    for (int k = 0; k <= kWhite16; ++k) codes.push_back(k);
    hostsim::World input = picture16(codes, 1023, 0);
    hostsim::World output(input.width(), input.height(), PF_PixelFormat_ARGB64);
    ASSERT_EQ(render(input, output), PF_Err_NONE);
    int wrong = 0;
    for (int y = 0; y < input.height(); ++y) {
        for (int x = 0; x < input.width(); ++x) {
            for (Channel c : {kAlpha, kRed, kGreen, kBlue}) {
                const int in = channelOf(input.pixel16(x, y), c);
                if (channelOf(output.pixel16(x, y), c) != std::min(in, kWhite16) && wrong++ == 0) {
                    ADD_FAILURE() << "code " << in << " came back as " << channelOf(output.pixel16(x, y), c);
                }
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_HOST_CLEAN(*host);
}

// 1 x N, N x 1 and odd sizes with rows padded by amounts that are and are not
// whole pixels: every pixel right, the padding and the rest untouched.
TEST_P(Deep16Frames, OddSizesAndPaddedRows) {
    LevelsSettings settings;
    settings.composite.gamma = 3.0;
    settings.composite.inputWhite = 230;
    applySettings(*host, settings);
    const std::vector<int> codes = codesToCheck();
    struct Size {
        int width, height, inPad, outPad;
    };
    for (const Size size : {Size{1, 37, 0, 6}, Size{37, 1, 2, 0}, Size{3, 5, 12, 8}, Size{1, 1, 0, 0},
                            Size{101, 3, 8, 4}}) {
        hostsim::World input(size.width, size.height, PF_PixelFormat_ARGB64, size.inPad);
        for (int i = 0; i < size.width * size.height; ++i) {
            const auto code = [&](int k) { return static_cast<A_u_short>(codes[(i * 37 + k) % codes.size()]); };
            input.pixel16(i % size.width, i / size.width) = PF_Pixel16{code(0), code(11), code(500), code(3001)};
        }
        hostsim::World output(size.width, size.height, PF_PixelFormat_ARGB64, size.outPad);
        fillBytes(output, 0xC3);
        ASSERT_EQ(render(input, output), PF_Err_NONE) << size.width << " x " << size.height;
        const CodeCheck check = checkFrame16(input, output, settings);
        EXPECT_EQ(check.wrong, 0) << size.width << " x " << size.height << ": " << check.firstWrong;
        for (int y = 0; y < size.height; ++y) {
            for (int b = size.width * 8; b < output.rowbytes(); ++b) {
                ASSERT_EQ(output.row(y)[b], 0xC3) << "padding written, row " << y;
            }
        }
    }
    EXPECT_HOST_CLEAN(*host);
}

// Input and output of different depths, or a float world through
// PF_Cmd_RENDER: a host error and the output as it was.
TEST_P(Deep16Frames, WorldsOfTheWrongDepthAreRefusedWithTheOutputUntouched) {
    struct Pair {
        PF_PixelFormat in, out;
    };
    for (const Pair pair : {Pair{PF_PixelFormat_ARGB64, PF_PixelFormat_ARGB32},
                            Pair{PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64},
                            Pair{PF_PixelFormat_ARGB128, PF_PixelFormat_ARGB128},
                            Pair{PF_PixelFormat_ARGB64, PF_PixelFormat_ARGB128}}) {
        hostsim::World input(9, 3, pair.in);
        fillBytes(input, 0x11);
        hostsim::World output(9, 3, pair.out);
        fillBytes(output, 0x5A);
        EXPECT_NE(render(input, output), PF_Err_NONE);
        for (uint8_t byte : output.memory()) ASSERT_EQ(byte, 0x5A);
    }
    EXPECT_HOST_CLEAN(*host);
}

// 16-bit rows that do not start at a whole channel (an odd row padding) are
// refused, not read misaligned; the fuzzer found them.
TEST_P(Deep16Frames, RowsThatDoNotStartAtAWholeChannelAreRefused) {
    hostsim::World input(9, 3, PF_PixelFormat_ARGB64, 3);
    fillBytes(input, 0x11);
    hostsim::World output(9, 3, PF_PixelFormat_ARGB64);
    fillBytes(output, 0x5A);
    EXPECT_EQ(render(input, output), PF_Err_BAD_CALLBACK_PARAM);
    for (uint8_t byte : output.memory()) ASSERT_EQ(byte, 0x5A);
    EXPECT_HOST_CLEAN(*host);
}

// A host without the world suite: the depth comes from the deep flag.
TEST_P(Deep16Frames, WithoutTheWorldSuiteTheDeepFlagDecides) {
    host->refuseSuite("PF World Suite", 2);
    LevelsSettings settings;
    settings.composite.gamma = 2.0;
    applySettings(*host, settings);
    hostsim::World input = picture16(codesToCheck(), 129, 0);
    hostsim::World output(input.width(), input.height(), PF_PixelFormat_ARGB64);
    ASSERT_EQ(render(input, output), PF_Err_NONE);
    EXPECT_EQ(checkFrame16(input, output, settings).wrong, 0);
    EXPECT_HOST_CLEAN(*host);
}

// Codes above white (the host never sends them) count as white: with input
// white at 510 white maps to mid-grey, and every code above it must too (taken
// as they are, 40000 would map brighter).
TEST_P(Deep16Frames, CodesAboveWhiteAreTakenAsWhite) {
    LevelsSettings settings;
    settings.composite.inputWhite = 510;
    settings.alpha.inputWhite = 510;
    applySettings(*host, settings);
    const std::vector<int> codes = {kWhite16, kWhite16 + 1, 33023, 33024, 40000, 49151, 65535};
    hostsim::World input(static_cast<int>(codes.size()), 1, PF_PixelFormat_ARGB64);
    for (size_t i = 0; i < codes.size(); ++i) {
        const auto code = static_cast<A_u_short>(codes[i]);
        input.pixel16(static_cast<int>(i), 0) = PF_Pixel16{code, code, code, code};
    }
    hostsim::World output(input.width(), 1, PF_PixelFormat_ARGB64);
    ASSERT_EQ(render(input, output), PF_Err_NONE);
    for (Channel c : {kAlpha, kRed, kGreen, kBlue}) {
        const int white = codeModel16(kWhite16, c, settings);
        ASSERT_NEAR(white, kWhite16 / 2, 1);
        for (size_t i = 0; i < codes.size(); ++i) {
            EXPECT_EQ(channelOf(output.pixel16(static_cast<int>(i), 0), c), white) << "code " << codes[i];
        }
    }
    EXPECT_HOST_CLEAN(*host);
}

// Worlds whose rows are stored bottom-up (rowbytes negative, data at the
// first row, which lies last in memory), as input, output or both.
TEST_P(Deep16Frames, BottomUpWorldsAreRenderedAsAnyOther) {
    LevelsSettings settings;
    settings.composite.gamma = 1.8;
    settings.red.outputBlack = 30;
    applySettings(*host, settings);
    std::vector<int> codes;
    for (int k = 0; k <= kWhite16; k += 97) codes.push_back(k);
    hostsim::World input = picture16(codes, 37, 8);
    const int last = input.height() - 1;
    for (const bool flipInput : {true, false}) {
        for (const bool flipOutput : {true, false}) {
            if (!flipInput && !flipOutput) continue;
            const std::string what = std::string(flipInput ? "input" : "") + (flipOutput ? " output" : "");
            hostsim::World output(input.width(), input.height(), PF_PixelFormat_ARGB64, 16);
            fillBytes(output, 0xC3);
            PF_EffectWorld in = flipInput ? bottomUp(input) : *input.def();
            PF_EffectWorld out = flipOutput ? bottomUp(output) : *output.def();
            host->setInputLayer(&in);
            ASSERT_EQ(host->render(&out), PF_Err_NONE) << what;
            for (int y = 0; y < input.height(); ++y) {
                for (int x = 0; x < input.width(); ++x) {
                    const PF_Pixel16& from = input.pixel16(x, flipInput ? last - y : y);
                    const PF_Pixel16& to = output.pixel16(x, flipOutput ? last - y : y);
                    for (Channel c : {kAlpha, kRed, kGreen, kBlue}) {
                        ASSERT_EQ(channelOf(to, c), codeModel16(channelOf(from, c), c, settings))
                            << what << " at " << x << "," << y;
                    }
                }
                for (int b = input.width() * 8; b < output.rowbytes(); ++b) ASSERT_EQ(output.row(y)[b], 0xC3) << what;
            }
        }
    }
    EXPECT_HOST_CLEAN(*host);
}

INSTANTIATE_TEST_SUITE_P(Render, Deep16Frames, ::testing::Values(Path::Gpu, Path::Cpu), pathTestName);

}  // namespace

// ---- what a 16-bit GPU frame makes -----------------------------------------------------------
#if ZANTH_MODULE_GL_CALLS_VISIBLE

class Deep16Gpu : public RenderTest {};

// The input texture, the output and the framebuffer are kept per context:
// steady frames make and delete nothing, and a new size gets new storage in
// the same objects.
TEST_F(Deep16Gpu, SteadyFramesAndNewSizesMakeNoObject) {
    std::vector<int> codes;
    for (int k = 0; k <= kWhite16; k += 37) codes.push_back(k);
    GlCallCounter counter;
    hostsim::World first = picture16(codes, 257, 0);
    hostsim::World firstOut(first.width(), first.height(), PF_PixelFormat_ARGB64);
    ASSERT_EQ(render(first, firstOut), PF_Err_NONE);
    const GlCounts made = counter.counts();
    EXPECT_GT(made.objectsMade(), 0);
    for (int width : {257, 31, 1, 257}) {
        hostsim::World input = picture16(codes, width, width == 31 ? 6 : 0);
        hostsim::World output(input.width(), input.height(), PF_PixelFormat_ARGB64);
        ASSERT_EQ(render(input, output), PF_Err_NONE) << width;
        for (int y = 0; y < input.height(); ++y) {
            for (int x = 0; x < input.width(); ++x) {
                ASSERT_EQ(output.pixel16(x, y).red, input.pixel16(x, y).red) << width << " at " << x << "," << y;
                ASSERT_EQ(output.pixel16(x, y).alpha, input.pixel16(x, y).alpha) << width << " at " << x << "," << y;
            }
        }
    }
    const GlCounts steady = counter.counts() - made;
    EXPECT_EQ(steady.objectsMade(), 0);
    EXPECT_EQ(steady.links, 0);
    EXPECT_EQ(steady.deleted_(GlObject::Texture) + steady.deleted_(GlObject::Renderbuffer) +
                  steady.deleted_(GlObject::Framebuffer),
              0);
    EXPECT_HOST_CLEAN(*host);
}

// A thread's end deletes what its context kept for 16-bit frames (input,
// output, framebuffer, table, vertex array) before any set-down; global
// set-down deletes the rest.
TEST_F(Deep16Gpu, ThreadEndAndSetDownDeleteWhatTheFramesKept) {
    std::vector<int> codes;
    for (int k = 0; k <= kWhite16; k += 101) codes.push_back(k);
    hostsim::World input = picture16(codes, 45, 0);
    hostsim::World output(input.width(), input.height(), PF_PixelFormat_ARGB64);
    GlCallCounter counter;
    ASSERT_EQ(render(input, output), PF_Err_NONE);
    const GlCounts beforeThread = counter.counts();
    std::thread other([&] {
        hostsim::World theirs(input.width(), input.height(), PF_PixelFormat_ARGB64);
        EXPECT_EQ(render(input, theirs), PF_Err_NONE);
    });
    other.join();
    const GlCounts ofThread = counter.counts() - beforeThread;
    EXPECT_EQ(ofThread.links, 0) << "the program is shared";
    for (GlObject kind : {GlObject::Texture, GlObject::Renderbuffer, GlObject::Framebuffer, GlObject::VertexArray}) {
        EXPECT_GT(ofThread.made_(kind), 0) << "kind " << static_cast<int>(kind);
        EXPECT_EQ(ofThread.deleted_(kind), ofThread.made_(kind))
            << "kind " << static_cast<int>(kind) << ": its thread's end left what its context kept";
    }
    ASSERT_EQ(host->globalSetdown(), PF_Err_NONE);
    const GlCounts all = counter.counts();
    // Framebuffers and vertex arrays go with their contexts; the rest is deleted.
    for (GlObject kind : {GlObject::Texture, GlObject::Renderbuffer, GlObject::Buffer, GlObject::Program,
                          GlObject::Shader}) {
        EXPECT_EQ(all.made_(kind), all.deleted_(kind)) << "kind " << static_cast<int>(kind);
    }
    EXPECT_HOST_CLEAN(*host);
}

#endif

// ---- the 16-bit GPU path gives the CPU renderer's codes -------------------------------------

class Deep16GpuExact : public RenderTest {};

// Every code in every channel against the CPU renderer itself, exactly, for
// settings at the ends of the valid ranges (levels of +-2550000, Gamma 0 and
// huge gammas, equal and inverted levels) where float arithmetic of another
// kind (a GPU's pow and division, fused multiply-adds) lands codes apart.
// Frames alternate between two threads, each with its own context, and
// settings come back, so that a context holding the table of other settings
// shows.
TEST_F(Deep16GpuExact, FramesAreTheCpuRenderersCodeForCode) {
    std::vector<int> codes;
    for (int k = 0; k <= kWhite16; ++k) codes.push_back(k);
    for (int k : {32769, 40000, 65535}) codes.push_back(k);
    hostsim::World input = picture16(codes, 1031, 8);
    const double limit = Ombrix::Levels::kLevelValueLimit;
    const auto outputsAtTheLimits = [limit](LevelsSettings& s) {
        s.composite.outputBlack = -limit, s.composite.outputWhite = limit;
    };
    const DeepCase cases[] = {
        {"Defaults", [](LevelsSettings&) {}},
        {"OutputsAtTheLimits", outputsAtTheLimits},
        {"InvertedOutputsAtTheLimits",
         [limit](LevelsSettings& s) {
             s.red.outputBlack = limit, s.red.outputWhite = -limit, s.alpha.outputBlack = -limit;
             s.alpha.outputWhite = limit, s.clipBlack = s.clipWhite = false;
         }},
        {"InputsAtTheLimits",
         [limit](LevelsSettings& s) { s.composite.inputBlack = -limit, s.composite.inputWhite = limit; }},
        {"GammaZeroAndHuge",
         [limit](LevelsSettings& s) {
             s.composite.gamma = 0.0, s.composite.inputWhite = 200, s.blue.gamma = limit, s.alpha.gamma = 1e-5;
             s.clipWhite = false;
         }},
        {"EqualInputsClipsOff",
         [](LevelsSettings& s) {
             s.composite.inputBlack = s.composite.inputWhite = 100;
             s.clipBlack = s.clipWhite = false;
         }},
        {"StrongGammasEveryBlock",
         [](LevelsSettings& s) {
             s.composite = {3.5, 251.25, 2.7, 1.5, 253};
             s.red.gamma = 0.31, s.green = {10, 90, 4.4, 20, 230}, s.blue = {0, 255, 0.15, 255, 0};
             s.alpha = {7, 250, 1.9, 12, 240};
         }},
        {"OutputsAtTheLimitsAgain", outputsAtTheLimits},
    };
    int frame = 0;
    for (const DeepCase& c : cases) {
        LevelsSettings settings;
        c.set(settings);
        applySettings(*host, settings);
        hostsim::World expected(input.width(), input.height(), PF_PixelFormat_ARGB64);
        Ombrix::Levels::renderLevels16(settings, *input.def(), *expected.def());
        hostsim::World output(input.width(), input.height(), PF_PixelFormat_ARGB64);
        if (frame++ % 2 == 0) {
            ASSERT_EQ(render(input, output), PF_Err_NONE) << c.name;
        } else {
            std::thread other([&] { EXPECT_EQ(render(input, output), PF_Err_NONE) << c.name; });
            other.join();
        }
        int differing = 0;
        std::string first;
        for (int y = 0; y < input.height(); ++y) {
            for (int x = 0; x < input.width(); ++x) {
                for (Channel ch : {kAlpha, kRed, kGreen, kBlue}) {
                    const int got = channelOf(output.pixel16(x, y), ch);
                    const int want = channelOf(expected.pixel16(x, y), ch);
                    if (got != want && differing++ == 0) {
                        first = "input " + std::to_string(channelOf(input.pixel16(x, y), ch)) + ", channel " +
                                std::to_string(ch) + ": " + std::to_string(got) + " instead of " + std::to_string(want);
                    }
                }
            }
        }
        EXPECT_EQ(differing, 0) << c.name << ": " << differing << " codes differ, the first at " << first;
    }
    EXPECT_HOST_CLEAN(*host);
}
