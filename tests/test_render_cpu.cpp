// The CPU path: its renderer on its own (bands of rows on several threads,
// rows and sizes, 16-bit and float worlds), the choice of the path, the rule
// for bad parameter values, frames of pictures with neighbours that differ at
// the sizes users meet, agreement of the two paths, and frames on several
// threads at once. Every frame is judged against the independent model in
// LevelsReference.h.
#include <gtest/gtest.h>

#include <atomic>
#include <cfloat>
#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "render/RenderPath.h"
#include "render/cpu/CpuLevelsRenderer.h"
#include "tests/RenderFixture.h"

namespace {

using namespace zanth_test;
using Ombrix::Levels::CpuRenderOptions;

// ---- pictures ----------------------------------------------------------------------------

// Noise: every channel of every pixel its own pseudo-random byte.
void fillNoise(hostsim::World& world, uint32_t seed) {
    uint32_t state = seed * 2654435761u + 1;
    for (int y = 0; y < world.height(); ++y) {
        for (int x = 0; x < world.width(); ++x) {
            state ^= state << 13, state ^= state >> 17, state ^= state << 5;
            world.pixel8(x, y) = PF_Pixel8{static_cast<A_u_char>(state), static_cast<A_u_char>(state >> 8),
                                           static_cast<A_u_char>(state >> 16), static_cast<A_u_char>(state >> 24)};
        }
    }
}

// A checkerboard of single pixels: dark and light neighbours everywhere.
void fillCheckerboard(hostsim::World& world) {
    for (int y = 0; y < world.height(); ++y) {
        for (int x = 0; x < world.width(); ++x) {
            const bool light = (x + y) % 2 == 1;
            world.pixel8(x, y) = light ? PF_Pixel8{250, 235, 200, 255} : PF_Pixel8{5, 20, 60, 0};
        }
    }
}

// The model's byte for every input value of every channel, for frames too
// large to judge pixel by pixel with the model itself.
class ModelTable {
public:
    explicit ModelTable(const LevelsSettings& s) {
        for (Channel c : {kAlpha, kRed, kGreen, kBlue}) {
            for (int v = 0; v < 256; ++v) table_[static_cast<size_t>(256 * c + v)] = byteModel(v, c, s);
        }
    }
    // Bytes that differ from the model's.
    int wrongBytes(const hostsim::World& inputWorld, const hostsim::World& outputWorld, std::string& first) const {
        auto& input = const_cast<hostsim::World&>(inputWorld);
        auto& output = const_cast<hostsim::World&>(outputWorld);
        int wrong = 0;
        for (int y = 0; y < std::min(input.height(), output.height()); ++y) {
            for (int x = 0; x < std::min(input.width(), output.width()); ++x) {
                for (Channel c : {kAlpha, kRed, kGreen, kBlue}) {
                    const int in = channelOf(input.pixel8(x, y), c);
                    const int expected = table_[static_cast<size_t>(256 * c + in)];
                    const int out = channelOf(output.pixel8(x, y), c);
                    if (out != expected && wrong++ == 0) {
                        first = "channel " + std::to_string(c) + " at (" + std::to_string(x) + ", " +
                                std::to_string(y) + "): input " + std::to_string(in) + ", output " +
                                std::to_string(out) + ", expected " + std::to_string(expected);
                    }
                }
            }
        }
        return wrong;
    }

private:
    std::vector<int> table_ = std::vector<int>(4 * 256);
};

LevelsSettings strongGamma(double gamma) {
    LevelsSettings s;
    s.composite.gamma = gamma;
    s.red = {10, 245, 1.0, 0, 255};
    s.blue.gamma = gamma;
    s.alpha.gamma = gamma > 0 ? 1.0 / gamma : 0.0;
    return s;
}

// ---- the renderer on its own -------------------------------------------------------------

TEST(CpuRenderer, BandsOnAnyNumberOfThreadsGiveTheSameBytesAsOneThread) {
    const LevelsSettings settings = strongGamma(5.0);
    const ModelTable model(settings);
    for (const auto& size : {std::make_pair(2, 643), std::make_pair(643, 2), std::make_pair(1, 1000),
                             std::make_pair(1000, 1), std::make_pair(480, 270), std::make_pair(3, 3)}) {
        hostsim::World input(size.first, size.second, PF_PixelFormat_ARGB32, 12);
        fillNoise(input, static_cast<uint32_t>(size.first * 7 + size.second));
        hostsim::World single(size.first, size.second, PF_PixelFormat_ARGB32, 4);
        CpuRenderOptions one;
        one.threads = 1;
        Ombrix::Levels::renderLevels8(settings, *input.def(), *single.def(), one);
        std::string first;
        ASSERT_EQ(model.wrongBytes(input, single, first), 0) << first;
        for (int threads : {2, 3, 7, 16}) {
            hostsim::World banded(size.first, size.second, PF_PixelFormat_ARGB32, 4);
            CpuRenderOptions options;
            options.threads = threads;
            options.minPixelsPerThread = 1;  // split even the smallest frame
            Ombrix::Levels::renderLevels8(settings, *input.def(), *banded.def(), options);
            ASSERT_EQ(banded.memory(), single.memory()) << size.first << " x " << size.second << ", " << threads
                                                        << " threads";
        }
    }
}

TEST(CpuRenderer, RendersInPlace) {
    const LevelsSettings settings = strongGamma(0.2);
    hostsim::World input(97, 31, PF_PixelFormat_ARGB32, 8);
    fillNoise(input, 5);
    hostsim::World expected(97, 31);
    Ombrix::Levels::renderLevels8(settings, *input.def(), *expected.def());
    CpuRenderOptions options;
    options.threads = 3;
    options.minPixelsPerThread = 1;
    Ombrix::Levels::renderLevels8(settings, *input.def(), *input.def(), options);
    for (int y = 0; y < 31; ++y) ASSERT_EQ(std::memcmp(input.row(y), expected.row(y), 97 * 4), 0) << y;
}

TEST(CpuRenderer, AWorldWithoutPixelsOrWithOverlappingRowsIsRefused) {
    const LevelsSettings settings;
    hostsim::World input(8, 8);
    hostsim::World output(8, 8);
    PF_EffectWorld noPixels = *input.def();
    noPixels.data = nullptr;
    EXPECT_THROW(Ombrix::Levels::renderLevels8(settings, noPixels, *output.def()), int);
    PF_EffectWorld shortRows = *output.def();
    shortRows.rowbytes = 8 * 4 - 1;
    EXPECT_THROW(Ombrix::Levels::renderLevels8(settings, *input.def(), shortRows), int);
    PF_EffectWorld empty = *output.def();
    empty.data = nullptr;
    empty.width = 0;
    EXPECT_NO_THROW(Ombrix::Levels::renderLevels8(settings, *input.def(), empty)) << "nothing to write";
}

// 16-bit: every host value through the map, back as 0..32768.
int model16(int value, Channel c, const LevelsSettings& s) { return codeModel16(value, c, s); }

int channelOf16(const PF_Pixel16& p, Channel c) {
    switch (c) {
        case kAlpha: return p.alpha;
        case kRed: return p.red;
        case kGreen: return p.green;
        case kBlue: return p.blue;
    }
    return 0;
}

TEST(CpuRenderer, SixteenBitWorldsFollowTheModelWithTablesAndWithout) {
    for (double gamma : {1.0, 5.0, 0.2}) {
        LevelsSettings settings = strongGamma(gamma);
        settings.green = {30, 200, 1.3, 20, 240};
        // Every value 0..32768 and a few beyond the host's range, in one row
        // (large enough for the tables) and in rows of 2 x 181 (without).
        std::vector<int> values;
        for (int v = 0; v <= 32768; ++v) values.push_back(v);
        for (int v : {32769, 40000, 65535}) values.push_back(v);
        const int count = static_cast<int>(values.size());
        hostsim::World wide(count, 1, PF_PixelFormat_ARGB64, 8);
        for (int x = 0; x < count; ++x) {
            const A_u_short v = static_cast<A_u_short>(values[x]);
            const A_u_short w = static_cast<A_u_short>(values[count - 1 - x]);
            wide.pixel16(x, 0) = PF_Pixel16{v, w, v, w};
        }
        hostsim::World wideOut(count, 1, PF_PixelFormat_ARGB64);
        Ombrix::Levels::renderLevels16(settings, *wide.def(), *wideOut.def());
        int wrong = 0;
        for (int x = 0; x < count; ++x) {
            for (Channel c : {kAlpha, kRed, kGreen, kBlue}) {
                const int in = channelOf16(wide.pixel16(x, 0), c);
                const int out = channelOf16(wideOut.pixel16(x, 0), c);
                ASSERT_LE(out, 32768);
                if (out != model16(in, c, settings) && wrong++ == 0) {
                    ADD_FAILURE() << "gamma " << gamma << " channel " << c << " input " << in << ": " << out
                                  << ", expected " << model16(in, c, settings);
                }
            }
        }
        EXPECT_EQ(wrong, 0);
        // The same values in small frames, which map without tables.
        for (int start = 0; start < count; start += 362) {
            const int n = std::min(362, count - start);
            hostsim::World small(2, 181, PF_PixelFormat_ARGB64, 6);
            for (int i = 0; i < 362; ++i) small.pixel16(i % 2, i / 2) = wide.pixel16(start + std::min(i, n - 1), 0);
            hostsim::World smallOut(2, 181, PF_PixelFormat_ARGB64);
            Ombrix::Levels::renderLevels16(settings, *small.def(), *smallOut.def());
            for (int i = 0; i < n; ++i) {
                ASSERT_EQ(std::memcmp(&smallOut.pixel16(i % 2, i / 2), &wideOut.pixel16(start + i, 0), 8), 0)
                    << "value index " << start + i << ", gamma " << gamma;
            }
        }
    }
}

TEST(CpuRenderer, FloatWorldsMapValuesOutsideZeroToOneAndStayFinite) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<float> values = {0.0f, 0.25f, 0.5f, 1.0f, -0.5f, 1.7f, 40.0f, -3.0f, 1e30f, -1e30f,
                                       FLT_MAX, -FLT_MAX, inf, -inf, nan, 1e-30f, 0.999f};
    for (bool clips : {true, false}) {
        for (double gamma : {1.0, 5.0, 0.2, 0.0}) {
            LevelsSettings settings = strongGamma(gamma);
            settings.composite.inputBlack = 12;
            settings.clipBlack = settings.clipWhite = clips;
            const int n = static_cast<int>(values.size());
            hostsim::World input(n, 1, PF_PixelFormat_ARGB128, 16);
            for (int x = 0; x < n; ++x) {
                input.pixelFloat(x, 0) = PF_PixelFloat{values[x], values[(x + 3) % n], values[(x + 7) % n],
                                                       values[n - 1 - x]};
            }
            hostsim::World output(n, 1, PF_PixelFormat_ARGB128);
            Ombrix::Levels::renderLevelsFloat(settings, *input.def(), *output.def());
            for (int x = 0; x < n; ++x) {
                const PF_PixelFloat& in = input.pixelFloat(x, 0);
                const PF_PixelFloat& out = output.pixelFloat(x, 0);
                const float ins[] = {in.alpha, in.red, in.green, in.blue};
                const float outs[] = {out.alpha, out.red, out.green, out.blue};
                for (Channel c : {kAlpha, kRed, kGreen, kBlue}) {
                    ASSERT_TRUE(std::isfinite(outs[c])) << "input " << ins[c] << ", channel " << c;
                    const float expected = channelModelUnclamped(ins[c], c, settings);
                    const float tolerance = std::max(1e-5f, std::fabs(expected) * 1e-5f);
                    EXPECT_NEAR(outs[c], expected, tolerance)
                        << "input " << ins[c] << ", channel " << c << ", gamma " << gamma << ", clips " << clips;
                }
            }
            if (clips) {
                // With both clips and increasing outputs, every value lies between the output levels.
                for (int x = 0; x < n; ++x) {
                    EXPECT_GE(output.pixelFloat(x, 0).red, 0.0f);
                    EXPECT_LE(output.pixelFloat(x, 0).red, 1.0f);
                }
            }
        }
    }
    // Without clips, values beyond white stay beyond white.
    LevelsSettings plain;
    plain.clipBlack = plain.clipWhite = false;
    hostsim::World input(1, 1, PF_PixelFormat_ARGB128);
    input.pixelFloat(0, 0) = PF_PixelFloat{1.0f, 1.5f, -0.25f, 0.5f};
    hostsim::World output(1, 1, PF_PixelFormat_ARGB128);
    Ombrix::Levels::renderLevelsFloat(plain, *input.def(), *output.def());
    EXPECT_FLOAT_EQ(output.pixelFloat(0, 0).red, 1.5f);
    EXPECT_FLOAT_EQ(output.pixelFloat(0, 0).green, -0.25f);
    EXPECT_FLOAT_EQ(output.pixelFloat(0, 0).blue, 0.5f);
}

// ---- the rule for bad values ---------------------------------------------------------------

TEST(LevelValues, NanTakesTheDefaultInfinitiesAndBeyondTheLimitAndTinyValuesGoToZeroInEveryBlock) {
    using Ombrix::Levels::ChannelLevels;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Row {
        ChannelLevels raw, rendered;
    };
    const Row rows[] = {
        {{nan, nan, nan, nan, nan}, {0.0, 255.0, 1.0, 0.0, 255.0}},
        {{inf, -inf, 1e300, -2550000.5, 2550000.0}, {2550000.0, -2550000.0, 2550000.0, -2550000.0, 2550000.0}},
        {{1e-9, -1e-300, 1.0 / 65536, 0.3, -12.5}, {0.0, 0.0, 1.0 / 65536, 0.3, -12.5}},  // 2^-16 itself is kept
    };
    ChannelLevels LevelsSettings::*const blocks[] = {&LevelsSettings::composite, &LevelsSettings::red,
                                                     &LevelsSettings::green, &LevelsSettings::blue,
                                                     &LevelsSettings::alpha};
    for (ChannelLevels LevelsSettings::*block : blocks) {
        for (const Row& row : rows) {
            LevelsSettings raw;
            raw.*block = row.raw;
            const LevelsSettings s = Ombrix::Levels::SanitisedSettings(raw).values();
            for (ChannelLevels LevelsSettings::*each : blocks) {
                const ChannelLevels& want = each == block ? row.rendered : ChannelLevels{};
                const ChannelLevels& got = s.*each;
                EXPECT_EQ(got.inputBlack, want.inputBlack) << "block " << (block == each);
                EXPECT_EQ(got.inputWhite, want.inputWhite);
                EXPECT_EQ(got.gamma, want.gamma);
                EXPECT_EQ(got.outputBlack, want.outputBlack);
                EXPECT_EQ(got.outputWhite, want.outputWhite);
            }
        }
    }
}

// ---- exact codes -----------------------------------------------------------------------------

// A code at Input Black is Output Black, whatever the gamma: 8-bit codes at
// every integer Input Black, 16-bit codes at fractional ones (k * 255 / 32768).
TEST(ExactCodes, ACodeAtInputBlackGivesOutputBlackForEveryGamma) {
    const double gammas[] = {0.01, 0.1, 0.45, 0.99, 1.01, 1.7, 2.5, 3.3, 4.2, 5.0};
    hostsim::World bytes(256, 1);
    for (int k = 0; k < 256; ++k) bytes.pixel8(k, 0) = PF_Pixel8{static_cast<A_u_char>(k), static_cast<A_u_char>(k),
                                                                static_cast<A_u_char>(k), static_cast<A_u_char>(k)};
    hostsim::World bytesOut(256, 1);
    hostsim::World code(1, 1, PF_PixelFormat_ARGB64);
    hostsim::World codeOut(1, 1, PF_PixelFormat_ARGB64);
    const int codes[] = {1, 2, 255, 256, 1000, 12345, 16384, 20001, 32767};
    for (double gamma : gammas) {
        for (int k = 0; k < 256; ++k) {
            LevelsSettings s;
            s.composite = {static_cast<double>(k), 255.0, gamma, 40.0, 255.0};
            s.alpha = {static_cast<double>(k), 255.0, gamma, 17.0, 200.0};
            Ombrix::Levels::renderLevels8(s, *bytes.def(), *bytesOut.def());
            const PF_Pixel8 out = bytesOut.pixel8(k, 0);
            ASSERT_EQ(out.red, 40) << "gamma " << gamma << ", input black " << k;
            ASSERT_EQ(out.alpha, 17) << "gamma " << gamma << ", input black " << k;
        }
        for (int k : codes) {
            LevelsSettings s;
            s.composite = {k * 255.0 / 32768.0, 255.0, gamma, 40.0, 255.0};
            const auto c = static_cast<A_u_short>(k);
            code.pixel16(0, 0) = PF_Pixel16{c, c, c, c};
            Ombrix::Levels::renderLevels16(s, *code.def(), *codeOut.def());
            ASSERT_EQ(codeOut.pixel16(0, 0).green, 5140) << "gamma " << gamma << ", code " << k;  // 40 * 32768 / 255
        }
    }
}

// Every 16-bit code and some beyond white, in one row: large enough for the tables.
constexpr int kCodes = 32769 + 3;
hostsim::World everyCodeWorld() {
    hostsim::World codes(kCodes, 1, PF_PixelFormat_ARGB64);
    const int beyond[] = {40000, 50000, 65535};
    for (int x = 0; x < kCodes; ++x) {
        const auto k = static_cast<A_u_short>(x < 32769 ? x : beyond[x - 32769]);
        codes.pixel16(x, 0) = PF_Pixel16{k, static_cast<A_u_short>(32768 - std::min(x, 32768)), k, k};
    }
    return codes;
}

// Random settings, and hostile ones (magnitudes near the limits of the
// levels side by side), give exactly the model's code for every 8-bit and
// 16-bit code, through the tables and (16-bit) through the map itself.
TEST(ExactCodes, EveryCodeIsTheModelsForRandomAndHostileSettings) {
    uint32_t state = 12345;
    auto next = [&state] { return state ^= state << 13, state ^= state >> 17, state ^= state << 5; };
    const double hostile[] = {0.0, 1.6e-5, -1.6e-5, 0.5, 254.0, 255.0, 127.5, 2550000.0, -2550000.0, 1e-3};
    auto level = [&] {
        return next() % 3 == 0 ? hostile[next() % 10] : static_cast<double>(next() % 900000) / 1000.0 - 300.0;
    };
    auto gamma = [&] { return next() % 4 == 0 ? hostile[next() % 4] : static_cast<double>(next() % 5000) / 1000.0; };
    std::vector<LevelsSettings> all;
    LevelsSettings mixed;  // green's input range of 1.6e-5 against output levels of 2550000
    mixed.green = {0.0, 1.6e-5, 1.0, 2550000.0, -2550000.0};
    mixed.red = {254.0, 254.0 + 1.6e-5, 5.0, -2550000.0, 2550000.0};
    mixed.clipBlack = false;
    all.push_back(mixed);
    for (int i = 0; i < 60; ++i) {
        LevelsSettings s;
        for (ChannelLevels* l : {&s.composite, &s.red, &s.green, &s.blue, &s.alpha}) {
            *l = {level(), level(), gamma(), level(), level()};
        }
        s.clipBlack = next() % 2 == 0;
        s.clipWhite = next() % 2 == 0;
        all.push_back(s);
    }
    hostsim::World bytes(256, 1);
    for (int k = 0; k < 256; ++k) {
        bytes.pixel8(k, 0) = PF_Pixel8{static_cast<A_u_char>(k), static_cast<A_u_char>(255 - k),
                                       static_cast<A_u_char>(k), static_cast<A_u_char>(k ^ 0x5A)};
    }
    hostsim::World bytesOut(256, 1);
    hostsim::World codes = everyCodeWorld();
    hostsim::World codesOut(kCodes, 1, PF_PixelFormat_ARGB64);
    hostsim::World few(181, 1, PF_PixelFormat_ARGB64);  // small: through the map itself
    hostsim::World fewOut(181, 1, PF_PixelFormat_ARGB64);
    for (size_t i = 0; i < all.size(); ++i) {
        const LevelsSettings s = Ombrix::Levels::sanitised(all[i]);
        Ombrix::Levels::renderLevels8(s, *bytes.def(), *bytesOut.def());
        for (int x = 0; x < 256; ++x) {
            for (Channel c : {kAlpha, kRed, kGreen, kBlue}) {
                ASSERT_EQ(channelOf(bytesOut.pixel8(x, 0), c), byteModel(channelOf(bytes.pixel8(x, 0), c), c, s))
                    << "settings " << i << ", channel " << c << ", pixel " << x;
            }
        }
        if (i % 6 != 0) continue;  // the 16-bit tables are slower to judge
        Ombrix::Levels::renderLevels16(s, *codes.def(), *codesOut.def());
        for (int x = 0; x < kCodes; ++x) {
            for (Channel c : {kAlpha, kRed, kGreen, kBlue}) {
                ASSERT_EQ(channelOf(codesOut.pixel16(x, 0), c), codeModel16(channelOf(codes.pixel16(x, 0), c), c, s))
                    << "settings " << i << ", channel " << c << ", pixel " << x;
            }
        }
        for (int x = 0; x < 181; ++x) few.pixel16(x, 0) = codes.pixel16(x * 181, 0);
        Ombrix::Levels::renderLevels16(s, *few.def(), *fewOut.def());
        for (int x = 0; x < 181; ++x) {
            for (Channel c : {kAlpha, kRed, kGreen, kBlue}) {
                ASSERT_EQ(channelOf(fewOut.pixel16(x, 0), c), codeModel16(channelOf(few.pixel16(x, 0), c), c, s))
                    << "settings " << i << ", small frame, channel " << c;
            }
        }
    }
}

// The 16-bit tables kept for later frames belong to their own settings:
// settings that differ in one value (the clip flags included), rendered in
// the order A, B, C, A, B, each give their own map.
TEST(ExactCodes, KeptTablesBelongToTheirOwnSettings) {
    LevelsSettings a;
    a.composite = {10, 200, 1.7, 0, 180};  // white clipping shows below output white 255
    LevelsSettings b = a;
    b.clipWhite = false;
    LevelsSettings c = a;
    c.alpha.gamma = 0.5;
    hostsim::World codes = everyCodeWorld();
    hostsim::World out(kCodes, 1, PF_PixelFormat_ARGB64);
    const char* names[] = {"A", "B", "C", "A again", "B again"};
    const LevelsSettings* order[] = {&a, &b, &c, &a, &b};
    for (int i = 0; i < 5; ++i) {
        Ombrix::Levels::renderLevels16(*order[i], *codes.def(), *out.def());
        for (int x = 0; x < kCodes; ++x) {
            for (Channel ch : {kAlpha, kRed}) {
                ASSERT_EQ(channelOf(out.pixel16(x, 0), ch), codeModel16(channelOf(codes.pixel16(x, 0), ch), ch, *order[i]))
                    << names[i] << ", channel " << ch << ", pixel " << x;
            }
        }
    }
}

// ---- the choice of path ----------------------------------------------------------------------

TEST(RenderPathChoice, ReadsTheVariable) {
    using namespace Ombrix::Levels;
    EXPECT_EQ(parseRendererRequest(nullptr).request, RendererRequest::Auto);
    EXPECT_EQ(parseRendererRequest("").request, RendererRequest::Auto);
    EXPECT_EQ(parseRendererRequest("auto").request, RendererRequest::Auto);
    EXPECT_EQ(parseRendererRequest("GPU").request, RendererRequest::Gpu);
    EXPECT_EQ(parseRendererRequest("cpu").request, RendererRequest::Cpu);
    EXPECT_TRUE(parseRendererRequest("cpu").understood);
    const ParsedRequest odd = parseRendererRequest("vulkan");
    EXPECT_EQ(odd.request, RendererRequest::Auto);
    EXPECT_FALSE(odd.understood);
    EXPECT_EQ(parseThreadCount(nullptr), 0);
    EXPECT_EQ(parseThreadCount("1"), 1);
    EXPECT_EQ(parseThreadCount("12"), 12);
    EXPECT_EQ(parseThreadCount("0"), 0);
    EXPECT_EQ(parseThreadCount("-3"), 0);
    EXPECT_EQ(parseThreadCount("4x"), 0);
}

TEST(RenderPathChoice, SoftwareRasterisersAndMissingGlRenderOnTheCpu) {
    using namespace Ombrix::Levels;
    for (const char* software : {"llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe", "Mesa X11 swrast", "GDI Generic",
                                 "Microsoft Basic Render Driver"}) {
        EXPECT_TRUE(isSoftwareRasteriser(software)) << software;
        EXPECT_EQ(choosePath({}, true, software).path, RenderPath::Cpu) << software;
        EXPECT_EQ(choosePath({RendererRequest::Gpu, true}, true, software).path, RenderPath::Gpu) << software;
    }
    for (const char* hardware : {"NVIDIA GeForce RTX 3080/PCIe/SSE2", "AMD Radeon RX 6800", "Intel(R) UHD Graphics 630",
                                 "Apple M1"}) {
        EXPECT_FALSE(isSoftwareRasteriser(hardware)) << hardware;
        EXPECT_EQ(choosePath({}, true, hardware).path, RenderPath::Gpu) << hardware;
        EXPECT_EQ(choosePath({RendererRequest::Cpu, true}, true, hardware).path, RenderPath::Cpu) << hardware;
    }
    EXPECT_EQ(choosePath({}, false, "").path, RenderPath::Cpu);
    EXPECT_EQ(choosePath({RendererRequest::Gpu, true}, false, "").path, RenderPath::None) << "no silent switch";
    EXPECT_EQ(describeChoice(choosePath({}, true, "llvmpipe")),
              "Zanth Levels renders on the CPU (software rasteriser: llvmpipe)");
    EXPECT_EQ(describeChoice(choosePath({}, false, "")), "Zanth Levels renders on the CPU (no OpenGL 3.3 context)");
}

class PathVariable : public HostTest {
protected:
    void TearDown() override {
        HostTest::TearDown();
        setRendererVariable(nullptr);
    }
    std::string setUpSaying() {
        ::testing::internal::CaptureStdout();
        const PF_Err err = host->globalSetup();
        const std::string printed = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(err, PF_Err_NONE) << printed;
        return printed;
    }
};

TEST_F(PathVariable, CpuMakesNoGlContextAtSetUp) {
    setRendererVariable("cpu");
    const std::string printed = setUpSaying();
    EXPECT_NE(printed.find("Zanth Levels renders on the CPU (ZANTH_LEVELS_RENDERER=cpu)\n"), std::string::npos)
        << printed;
    EXPECT_EQ(printed.find("OpenGL Version:"), std::string::npos) << "a context was made:\n" << printed;
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(PathVariable, AutoOnLlvmpipeRendersOnTheCpuAndSaysWhy) {
    setRendererVariable(nullptr);
    const std::string printed = setUpSaying();
    EXPECT_NE(printed.find("Zanth Levels renders on the CPU (software rasteriser: llvmpipe"), std::string::npos)
        << printed;
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(PathVariable, AnUnknownValueChoosesAutomaticallyAndSaysSo) {
    setRendererVariable("metal");
    const std::string printed = setUpSaying();
    EXPECT_NE(printed.find("Zanth Levels renders on the CPU (software rasteriser: llvmpipe"), std::string::npos)
        << printed;
    EXPECT_NE(printed.find("ZANTH_LEVELS_RENDERER not understood"), std::string::npos) << printed;
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(PathVariable, GpuOnLlvmpipeRendersOnTheGpu) {
    setRendererVariable("gpu");
    const std::string printed = setUpSaying();
    EXPECT_NE(printed.find("Zanth Levels renders on the GPU (ZANTH_LEVELS_RENDERER=gpu: llvmpipe"),
              std::string::npos)
        << printed;
    EXPECT_HOST_CLEAN(*host);
}

// ---- frames through the module ----------------------------------------------------------------

struct PatternCase {
    int width, height;
    double gamma;
    bool noise;
};

std::string caseName(const PatternCase& c) {
    return std::to_string(c.width) + "x" + std::to_string(c.height) + (c.noise ? "Noise" : "Checkerboard") +
           "Gamma" + (c.gamma >= 1 ? std::to_string(static_cast<int>(c.gamma)) : "0_2");
}

const PatternCase kPatterns[] = {
    {1920, 1080, 5.0, true},  {1920, 1080, 0.2, false}, {480, 270, 5.0, false}, {480, 270, 0.2, true},
    {2, 643, 5.0, true},      {2, 643, 0.2, false},     {1, 777, 5.0, true},    {1, 777, 0.2, false},
    {777, 1, 0.2, true},      {777, 1, 5.0, false},     {33, 17, 0.2, true},
};

hostsim::World patternPicture(const PatternCase& c) {
    hostsim::World input(c.width, c.height, PF_PixelFormat_ARGB32, 12);
    if (c.noise) {
        fillNoise(input, static_cast<uint32_t>(c.width * 31 + c.height));
    } else {
        fillCheckerboard(input);
    }
    return input;
}

class CpuFrames : public RenderTest, public ::testing::WithParamInterface<PatternCase> {
protected:
    Path path() const override { return Path::Cpu; }
};

TEST_P(CpuFrames, PatternsAtUsersSizesMatchTheModel) {
    const PatternCase& c = GetParam();
    const LevelsSettings settings = strongGamma(c.gamma);
    applySettings(*host, settings);
    hostsim::World input = patternPicture(c);
    hostsim::World output(c.width, c.height, PF_PixelFormat_ARGB32, 20);
    fillBytes(output, 0x5A);
    ASSERT_EQ(render(input, output), PF_Err_NONE);
    std::string first;
    EXPECT_EQ(ModelTable(settings).wrongBytes(input, output, first), 0) << first;
    EXPECT_EQ(output.row(c.height - 1)[c.width * 4], 0x5A) << "row padding written";
    EXPECT_HOST_CLEAN(*host);
}

INSTANTIATE_TEST_SUITE_P(Render, CpuFrames, ::testing::ValuesIn(kPatterns),
                         [](const ::testing::TestParamInfo<PatternCase>& info) { return caseName(info.param); });

// Renders each frame on the given path, in a host of its own.
std::vector<hostsim::World> renderOnPath(Path path, const std::vector<hostsim::World*>& inputs,
                                         const LevelsSettings& settings) {
    std::vector<hostsim::World> outputs;
    hostsim::Host host(ZANTH_MODULE_PATH);
    setUpOnPath(host, path);
    if (::testing::Test::HasFatalFailure()) return outputs;
    applySettings(host, settings);
    for (hostsim::World* input : inputs) {
        outputs.emplace_back(input->width(), input->height());
        host.setInputLayer(input->def());
        EXPECT_EQ(host.render(outputs.back().def()), PF_Err_NONE) << path;
    }
    EXPECT_HOST_CLEAN(host);
    host.globalSetdown();
    setRendererVariable(nullptr);
    return outputs;
}

// The bytes where two frames differ.
int differingBytes(const hostsim::World& a, const hostsim::World& b, std::string& first) {
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int i = 0; i < a.width() * 4; ++i) {
            if (a.row(y)[i] != b.row(y)[i] && differing++ == 0) {
                first = "byte " + std::to_string(i % 4) + " of pixel (" + std::to_string(i / 4) + ", " +
                        std::to_string(y) + "): " + std::to_string(a.row(y)[i]) + " and " +
                        std::to_string(b.row(y)[i]);
            }
        }
    }
    return differing;
}

void expectPathsAgree(const LevelsSettings& settings) {
    std::vector<hostsim::World> inputs;
    for (const PatternCase& c : kPatterns) {
        if (c.width * c.height > 480 * 270) continue;  // the large frames are judged on the CPU path above
        PatternCase noisy = c;
        noisy.noise = true;
        inputs.push_back(patternPicture(noisy));
        PatternCase checkered = c;
        checkered.noise = false;
        inputs.push_back(patternPicture(checkered));
    }
    std::vector<hostsim::World*> pointers;
    for (hostsim::World& w : inputs) pointers.push_back(&w);
    const std::vector<hostsim::World> gpu = renderOnPath(Path::Gpu, pointers, settings);
    const std::vector<hostsim::World> cpu = renderOnPath(Path::Cpu, pointers, settings);
    ASSERT_EQ(gpu.size(), inputs.size());
    ASSERT_EQ(cpu.size(), inputs.size());
    const ModelTable model(settings);
    for (size_t i = 0; i < inputs.size(); ++i) {
        const std::string frame = std::to_string(inputs[i].width()) + " x " + std::to_string(inputs[i].height());
        std::string first;
        EXPECT_EQ(model.wrongBytes(inputs[i], cpu[i], first), 0) << "CPU path, " << frame << ": " << first;
        EXPECT_EQ(model.wrongBytes(inputs[i], gpu[i], first), 0) << "GPU path, " << frame << ": " << first;
        EXPECT_EQ(differingBytes(gpu[i], cpu[i], first), 0) << "the paths differ, " << frame << ": " << first;
    }
}

TEST(BothPaths, AgreeOnTheSameFrames) {
    LevelsSettings settings;
    settings.composite = {12, 240, 1.0, 5, 250};
    settings.green = {0, 200, 1.0, 30, 255};
    settings.alpha = {40, 255, 1.0, 0, 200};
    expectPathsAgree(settings);
}

// Strong gammas magnify any mixing of neighbouring pixels: both paths must
// take each pixel from its own input pixel alone.
TEST(BothPaths, AgreeOnTheSameFramesWithGammaFive) { expectPathsAgree(strongGamma(5.0)); }
TEST(BothPaths, AgreeOnTheSameFramesWithGammaFifth) { expectPathsAgree(strongGamma(0.2)); }

TEST(BothPathsWithBadValues, GiveTheSameFinitePixelsAsTheRule) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* what;
        LevelsSettings given;
        LevelsSettings meant;  // the same after the rule, written out by hand
    };
    std::vector<Case> cases;
    {
        Case c{"NaN everywhere", {}, {}};
        c.given.composite = {nan, nan, nan, nan, nan};
        c.given.red = {nan, 200, nan, 10, nan};
        c.meant.red = {0, 200, 1, 10, 255};
        cases.push_back(c);
    }
    {
        Case c{"infinities", {}, {}};
        c.given.composite = {-inf, inf, 1, -inf, inf};
        c.meant.composite = {-2550000, 2550000, 1, -2550000, 2550000};
        c.given.green = {0, 255, inf, 0, 255};
        c.meant.green = {0, 255, 2550000, 0, 255};
        c.given.clipBlack = c.meant.clipBlack = false;
        cases.push_back(c);
    }
    {
        Case c{"beyond the limits, clips off", {}, {}};
        c.given.composite = {-1e12, 3e9, 0.5, 1e20, -1e20};
        c.meant.composite = {-2550000, 2550000, 0.5, 2550000, -2550000};
        c.given.alpha = {100, 100, -inf, 0, 1e30};
        c.meant.alpha = {100, 100, -2550000, 0, 2550000};
        c.given.clipBlack = c.meant.clipBlack = false;
        c.given.clipWhite = c.meant.clipWhite = false;
        cases.push_back(c);
    }
    {
        Case c{"tiny differences", {}, {}};
        c.given.composite = {1e-40, 1e-39, 1.0, 0, 255};
        c.meant.composite = {0, 0, 1.0, 0, 255};
        c.given.blue = {0, 255, 1e-42, 1e-20, 1e-20};
        c.meant.blue = {0, 255, 0, 0, 0};
        c.given.clipBlack = c.meant.clipBlack = false;
        c.given.clipWhite = c.meant.clipWhite = false;
        cases.push_back(c);
    }
    hostsim::World input = everyValuePicture(4, 8);
    for (const Case& c : cases) {
        const std::vector<hostsim::World> gpu = renderOnPath(Path::Gpu, {&input}, c.given);
        const std::vector<hostsim::World> cpu = renderOnPath(Path::Cpu, {&input}, c.given);
        ASSERT_EQ(gpu.size(), 1u);
        ASSERT_EQ(cpu.size(), 1u);
        const FrameCheck cpuCheck = checkFrame(input, cpu[0], c.meant);
        EXPECT_EQ(cpuCheck.wrong, 0) << c.what << ", CPU path: " << cpuCheck.firstWrong;
        const FrameCheck gpuCheck = checkFrame(input, gpu[0], c.meant);
        EXPECT_EQ(gpuCheck.wrong, 0) << c.what << ", GPU path: " << gpuCheck.firstWrong;
        std::string first;
        EXPECT_EQ(differingBytes(gpu[0], cpu[0], first), 0) << c.what << ": " << first;
    }
}

// ---- several frames at once ----------------------------------------------------------------

class FramesAtOnce : public PathRenderTest {};

TEST_P(FramesAtOnce, FourThreadsRenderAtOnceAndEveryFrameIsRight) {
    const LevelsSettings settings = strongGamma(0.2);
    applySettings(*host, settings);
    const ModelTable model(settings);
    hostsim::World input(480, 270, PF_PixelFormat_ARGB32, 12);
    fillNoise(input, 42);
    host->setInputLayer(input.def());
    std::atomic<int> failures{0};
    std::atomic<int> frames{0};
    std::atomic<int> waiting{4};
    auto renderer = [&] {
        --waiting;
        while (waiting.load() > 0) std::this_thread::yield();  // all four start together
        for (int i = 0; i < 4; ++i) {
            hostsim::World output(480, 270, PF_PixelFormat_ARGB32, 4);
            if (host->render(output.def()) != PF_Err_NONE) ++failures;
            std::string first;
            if (model.wrongBytes(input, output, first) != 0) ++failures;
            ++frames;
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) threads.emplace_back(renderer);
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(frames.load(), 16);
    EXPECT_HOST_CLEAN(*host);
}

INSTANTIATE_TEST_SUITE_P(Render, FramesAtOnce, ::testing::Values(Path::Gpu, Path::Cpu), pathTestName);

}  // namespace
