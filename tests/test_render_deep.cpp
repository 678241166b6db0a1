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
    int unstable = 0;
    int wrong = 0;
    std::string firstWrong;
};

CodeCheck checkFrame16(hostsim::World& input, hostsim::World& output, const LevelsSettings& s, int tolerance) {
    CodeCheck check;
    const char* names[] = {"alpha", "red", "green", "blue"};
    for (int y = 0; y < input.height(); ++y) {
        for (int x = 0; x < input.width(); ++x) {
            for (Channel c : {kAlpha, kRed, kGreen, kBlue}) {
                const int in = channelOf(input.pixel16(x, y), c);
                const int out = channelOf(output.pixel16(x, y), c);
                const CodeModel model = codeModel16(in, c, s);
                if (!model.stable) {
                    ++check.unstable;
                    continue;
                }
                ++check.checked;
                if (std::abs(out - model.expected) > tolerance && check.wrong++ == 0) {
                    std::ostringstream text;
                    text << names[c] << " at (" << x << ", " << y << "): input " << in << ", output " << out
                         << ", expected " << model.expected;
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

// Within one code value of 32768 of the model everywhere it is stable.
TEST_P(Deep16, EveryEdgeCodeAndADenseSampleMatchTheModel) {
    LevelsSettings settings;
    std::get<0>(GetParam()).set(settings);
    applySettings(*host, settings);
    hostsim::World input = picture16(codesToCheck(), 257, 24);
    hostsim::World output(input.width(), input.height(), PF_PixelFormat_ARGB64, 8);
    ASSERT_EQ(render(input, output), PF_Err_NONE);
    const CodeCheck check = checkFrame16(input, output, settings, 1);
    EXPECT_EQ(check.wrong, 0) << check.wrong << " codes off by more than one, first: " << check.firstWrong;
    EXPECT_LE(check.unstable, 64) << "codes left out: " << check.unstable;
    EXPECT_HOST_CLEAN(*host);
}

const DeepCase kDeepCases[] = {
    {"Defaults", [](LevelsSettings&) {}},
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
        const CodeCheck check = checkFrame16(input, output, settings, 1);
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
    EXPECT_EQ(checkFrame16(input, output, settings, 1).wrong, 0);
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

// A thread's end and global set-down delete what 16-bit frames kept.
TEST_F(Deep16Gpu, ThreadEndAndSetDownDeleteWhatTheFramesKept) {
    std::vector<int> codes;
    for (int k = 0; k <= kWhite16; k += 101) codes.push_back(k);
    hostsim::World input = picture16(codes, 45, 0);
    hostsim::World output(input.width(), input.height(), PF_PixelFormat_ARGB64);
    GlCallCounter counter;
    ASSERT_EQ(render(input, output), PF_Err_NONE);
    std::thread other([&] {
        hostsim::World theirs(input.width(), input.height(), PF_PixelFormat_ARGB64);
        EXPECT_EQ(render(input, theirs), PF_Err_NONE);
    });
    other.join();
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
