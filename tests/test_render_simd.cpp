// The CPU renderer's row kernels at every SIMD level this machine has: the
// power function against pow in double precision, float frames against the
// scalar level's bits and the double-precision model (huge values included),
// 8-bit and 16-bit frames byte for byte against the scalar level and the
// model's own rounding, at awkward sizes, strides, starts and overlaps.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "render/cpu/CpuKernels.h"
#include "render/cpu/CpuLevelsRenderer.h"
#include "render/cpu/PowerTables.h"
#include "render/cpu/SimdLevel.h"
#include "tests/LevelPowers.h"
#include "tests/RenderFixture.h"
#include "tests/SimdLevelName.h"

namespace {

using namespace zanth_test;
using Ombrix::Levels::CpuRenderOptions;
using Ombrix::Levels::SimdLevel;

std::vector<SimdLevel> levelsHere() {
    std::vector<SimdLevel> levels;
    for (SimdLevel level : {SimdLevel::Scalar, SimdLevel::Sse4, SimdLevel::Avx2, SimdLevel::Avx512}) {
        if (static_cast<int>(level) <= static_cast<int>(Ombrix::Levels::detectedSimdLevel())) levels.push_back(level);
    }
    return levels;
}

const char* nameOf(SimdLevel level) { return simdLevelName(level); }

// Says in the test log which levels this run exercised: the wider kernels run
// only where the CPU has them.
class LevelsExercised : public ::testing::Environment {
public:
    void SetUp() override {
        std::string names;
        for (SimdLevel level : levelsHere()) names += std::string(names.empty() ? "" : ", ") + nameOf(level);
        std::printf("SIMD levels exercised here: %s (widest on this CPU: %s)\n", names.c_str(),
                    nameOf(Ombrix::Levels::detectedSimdLevel()));
        std::fflush(stdout);
    }
};
::testing::Environment* const kLevelsExercised = ::testing::AddGlobalTestEnvironment(new LevelsExercised);

CpuRenderOptions at(SimdLevel level, int threads = 1) {
    CpuRenderOptions options;
    options.simd = level;
    options.threads = threads;
    if (threads > 1) options.minPixelsPerThread = 1;
    return options;
}

uint32_t bitsOf(float v) {
    uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// Distance in units in the last place between two floats of the same sign
// (FLT_MAX and +infinity are one apart).
long long ulpDistance(float a, float b) {
    if (a == b) return 0;
    const long long ia = bitsOf(a) & 0x7FFFFFFF;
    const long long ib = bitsOf(b) & 0x7FFFFFFF;
    if ((bitsOf(a) >> 31) != (bitsOf(b) >> 31)) return ia + ib;
    return ia > ib ? ia - ib : ib - ia;
}

// ---- the power function --------------------------------------------------------------------

struct PowSweep {
    std::vector<float> bases, exponents;
};

// Bases over the whole positive float range (denormals included, one
// bit pattern in 134151), near 1, and exponents 1/gamma for gammas from 2^-16 to the
// level limit; then for each exponent, bases whose power lands near FLT_MAX
// and near the smallest normal float.
PowSweep powSweep() {
    PowSweep sweep;
    std::vector<float> bases;
    for (uint32_t bits = 1; bits < 0x7F800000u; bits += 131u * 1024u + 7u) {
        float v;
        std::memcpy(&v, &bits, sizeof v);
        bases.push_back(v);
    }
    for (uint32_t bits = 1; bits < 64; ++bits) {  // the smallest denormals
        float v;
        std::memcpy(&v, &bits, sizeof v);
        bases.push_back(v);
    }
    for (int i = -300; i <= 300; ++i) bases.push_back(1.0f + static_cast<float>(i) * 1.1920929e-7f * 3.0f);
    bases.push_back(FLT_MAX);
    bases.push_back(FLT_MIN);
    std::vector<float> exponents;
    for (double gamma = 1.0 / 65536.0; gamma <= 2550000.0; gamma *= 1.37) exponents.push_back(static_cast<float>(1.0 / gamma));
    for (float e : {65536.0f, 5.0f, 0.2f, 2.2f, 1.0f / 2.2f, 1.0f / 1.3f, 3.0f, 0.5f, 2.0f}) exponents.push_back(e);
    for (float e : exponents) {
        for (float b : bases) {
            sweep.bases.push_back(b);
            sweep.exponents.push_back(e);
        }
        // Results near FLT_MAX and near the smallest normal float.
        for (double target : {double(FLT_MAX), double(FLT_MIN), 1e-40}) {
            const float centre = static_cast<float>(std::pow(target, 1.0 / e));
            if (!(centre > 0.0f) || !std::isfinite(centre)) continue;
            float b = centre;
            for (int i = 0; i < 40; ++i) b = std::nextafter(b, 0.0f);
            for (int i = 0; i < 80; ++i, b = std::nextafter(b, HUGE_VALF)) {
                sweep.bases.push_back(b);
                sweep.exponents.push_back(e);
            }
        }
    }
    return sweep;
}

TEST(PowerFunction, WithinOneUlpOfDoublePowRoundedAtEveryLevel) {
    const PowSweep sweep = powSweep();
    const int n = static_cast<int>(sweep.bases.size());
    ASSERT_GT(n, 800000);
    std::vector<float> expected(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        expected[i] = static_cast<float>(std::pow(static_cast<double>(sweep.bases[i]), static_cast<double>(sweep.exponents[i])));
    }
    std::vector<float> scalar;
    for (SimdLevel level : levelsHere()) {
        std::vector<float> got(static_cast<size_t>(n));
        levelPowers(level)(sweep.bases.data(), sweep.exponents.data(), got.data(), n);
        long long worst = 0;
        int worstAt = 0;
        int inexact = 0;
        for (int i = 0; i < n; ++i) {
            const long long d = ulpDistance(got[i], expected[i]);
            inexact += d != 0;
            if (d > worst) worst = d, worstAt = i;
        }
        EXPECT_LE(worst, 1) << nameOf(level) << ": " << sweep.bases[worstAt] << "^" << sweep.exponents[worstAt] << " = "
                            << got[worstAt] << ", pow in double gives " << expected[worstAt];
        // Nearly every result is the correctly rounded one.
        EXPECT_LT(inexact, n / 100) << nameOf(level);
        RecordProperty(std::string("inexact_") + nameOf(level), inexact);
        if (scalar.empty()) {
            scalar = got;
        } else {
            EXPECT_EQ(std::memcmp(scalar.data(), got.data(), sizeof(float) * n), 0) << nameOf(level) << " differs from scalar";
        }
    }
}

// The same bits on every platform: a digest of the scalar level's powers over
// a fixed sweep, the same in the Linux build and the Windows build (run under
// Wine), and at every level. (AVX2 and AVX-512 fuse multiply-adds: their
// doubles differ from the other levels' in the last bits, which moves a float
// result only where the power lies within about 2^-50 of a rounding boundary;
// none in this sweep or the one above does, nor one in 20 million random
// powers tried.)
TEST(PowerFunction, GivesTheSameBitsInEveryBuild) {
    std::vector<float> bases, exponents;
    for (uint32_t bits = 0x00000001u; bits < 0x7F800000u; bits += 0x00031337u) {
        float v;
        std::memcpy(&v, &bits, sizeof v);
        for (float e : {65536.0f, 41.7f, 5.0f, 1.3f, 0.2f, 0.0173f, 3.9215686e-7f}) {
            bases.push_back(v);
            exponents.push_back(e);
        }
    }
    const int n = static_cast<int>(bases.size());
    for (SimdLevel level : levelsHere()) {
        std::vector<float> got(static_cast<size_t>(n));
        levelPowers(level)(bases.data(), exponents.data(), got.data(), n);
        uint64_t digest = 1469598103934665603ULL;
        for (float v : got) {
            digest ^= bitsOf(v);
            digest *= 1099511628211ULL;
        }
        EXPECT_EQ(digest, 0x8b51ca2ed7c6d4ffULL) << nameOf(level) << " digest 0x" << std::hex << digest;
    }
}

// Each entry of the power's tables against its value in double precision
// (std::log2 and std::exp2 are not correctly rounded everywhere: two units
// in the last place of slack; a wrong digit is far more).
TEST(PowerFunction, EveryTableEntryIsItsValueInDouble) {
    auto ulps = [](double value) { return 2.0 * (std::nextafter(std::fabs(value), HUGE_VAL) - std::fabs(value)); };
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(Ombrix::Levels::kLogScale[i], 1.0 / (1.0 + i / 16.0)) << i;
        const double logOfScale = -std::log2(Ombrix::Levels::kLogScale[i]);  // of the rounded scale
        EXPECT_NEAR(Ombrix::Levels::kLogOfScale[i], logOfScale, ulps(logOfScale)) << i;
        EXPECT_NEAR(Ombrix::Levels::kExp2Sixteenths[i], std::exp2(i / 16.0), ulps(std::exp2(i / 16.0))) << i;
    }
}

// ---- float frames --------------------------------------------------------------------------

LevelsSettings floatSettings(double gamma, bool clips) {
    LevelsSettings s;
    s.composite = {12, 230, gamma, 3, 250};
    s.red = {10, 245, 1.0, 0, 255};
    s.green = {-20, 300, gamma > 0 ? 1.0 / gamma : 0.0, 255, 0};  // reversed output
    s.blue = {0, 255, 2.2, 0, 255};
    s.alpha = {5, 5, gamma, 0, 200};  // equal input levels
    s.clipBlack = s.clipWhite = clips;
    return s;
}

float floatValue(uint32_t& state) {
    state ^= state << 13, state ^= state >> 17, state ^= state << 5;
    static const float specials[] = {0.0f, -0.0f, 1.0f, 0.5f, -0.25f, 1.5f, 40.0f, 1e30f, -1e30f, FLT_MAX, -FLT_MAX,
                                     std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                                     std::numeric_limits<float>::quiet_NaN(), 1e-40f, 1e37f};
    if ((state & 7) == 0) return specials[(state >> 3) % 16];
    return static_cast<float>(static_cast<int32_t>(state >> 4) % 3000000) / 1000000.0f;  // -3..3
}

void fillFloat(hostsim::World& world, uint32_t seed) {
    uint32_t state = seed * 2654435761u + 1;
    for (int y = 0; y < world.height(); ++y) {
        for (int x = 0; x < world.width(); ++x) {
            world.pixelFloat(x, y) = PF_PixelFloat{floatValue(state), floatValue(state), floatValue(state), floatValue(state)};
        }
    }
}

// A view of `world` starting `skipBytes` into its first row (rows that start
// unaligned), `width` x `height` pixels.
PF_EffectWorld viewOf(hostsim::World& world, int skipBytes, int width, int height) {
    PF_EffectWorld view = *world.def();
    view.data = reinterpret_cast<PF_PixelPtr>(reinterpret_cast<char*>(world.def()->data) + skipBytes);
    view.width = width;
    view.height = height;
    return view;
}

struct Shape {
    int width, height, padding, skip;
};
const Shape kShapes[] = {{1, 1, 0, 0},  {1, 37, 0, 0},   {37, 1, 0, 0},  {3, 5, 4, 4},   {17, 3, 12, 4},
                         {31, 7, 16, 8}, {64, 2, 0, 0},  {129, 3, 12, 12}, {250, 4, 36, 20}};

TEST(SimdFloatFrames, EveryLevelGivesTheScalarBitsAndFollowsTheWideModel) {
    for (double gamma : {1.0, 5.0, 0.2, 0.0, 1.0 / 65536.0}) {
        for (bool clips : {true, false}) {
            const LevelsSettings s = floatSettings(gamma, clips);
            for (const Shape& shape : kShapes) {
                hostsim::World input(shape.width + 1, shape.height, PF_PixelFormat_ARGB128, shape.padding);
                fillFloat(input, static_cast<uint32_t>(shape.width * 131 + shape.height));
                const PF_EffectWorld in = viewOf(input, shape.skip, shape.width, shape.height);
                std::vector<uint8_t> scalarBytes;
                for (SimdLevel level : levelsHere()) {
                    hostsim::World output(shape.width + 1, shape.height, PF_PixelFormat_ARGB128, shape.padding);
                    fillBytes(output, 0x5A);
                    PF_EffectWorld out = viewOf(output, shape.skip, shape.width, shape.height);
                    Ombrix::Levels::renderLevelsFloat(s, in, out, at(level, level == SimdLevel::Scalar ? 1 : 3));
                    if (scalarBytes.empty()) {
                        scalarBytes = output.memory();
                        // The scalar level against the model, channel by channel.
                        for (int y = 0; y < shape.height; ++y) {
                            const auto* source = reinterpret_cast<const float*>(reinterpret_cast<const char*>(in.data) + y * in.rowbytes);
                            const auto* target = reinterpret_cast<const float*>(reinterpret_cast<const char*>(out.data) + y * out.rowbytes);
                            for (int i = 0; i < 4 * shape.width; ++i) {
                                const Channel c = static_cast<Channel>(i % 4);
                                const float expected = channelModelUnclamped(source[i], c, s);
                                ASSERT_TRUE(std::isfinite(target[i]));
                                const float tolerance = std::max(1e-5f, std::fabs(expected) * 1e-5f);
                                ASSERT_NEAR(target[i], expected, tolerance)
                                    << "input " << source[i] << ", channel " << c << ", gamma " << gamma << ", clips " << clips;
                            }
                        }
                        // Nothing outside the frame was written (the skipped start, the
                        // column beyond it, the padding).
                        for (int y = 0; y < shape.height; ++y) {
                            const uint8_t* row = output.row(y);
                            for (int b = 0; b < output.rowbytes(); ++b) {
                                const bool inside = b >= shape.skip && b < shape.skip + 16 * shape.width;
                                if (!inside) {
                                    ASSERT_EQ(row[b], 0x5A) << "byte " << b << " of row " << y;
                                }
                            }
                        }
                    } else {
                        ASSERT_EQ(output.memory(), scalarBytes) << nameOf(level) << ", " << shape.width << " x "
                                                                << shape.height << ", gamma " << gamma;
                    }
                }
            }
        }
    }
}

TEST(SimdFloatFrames, InPlaceAndDifferentSizedOutputsAtEveryLevel) {
    const LevelsSettings s = floatSettings(5.0, false);
    hostsim::World reference(23, 9, PF_PixelFormat_ARGB128, 8);
    fillFloat(reference, 77);
    hostsim::World expected(23, 9, PF_PixelFormat_ARGB128, 8);
    Ombrix::Levels::renderLevelsFloat(s, *reference.def(), *expected.def(), at(SimdLevel::Scalar));
    for (SimdLevel level : levelsHere()) {
        hostsim::World same(23, 9, PF_PixelFormat_ARGB128, 8);
        fillFloat(same, 77);
        Ombrix::Levels::renderLevelsFloat(s, *same.def(), *same.def(), at(level, 3));
        for (int y = 0; y < 9; ++y) ASSERT_EQ(std::memcmp(same.row(y), expected.row(y), 23 * 16), 0) << nameOf(level);
        // A larger output: only the overlap is written.
        hostsim::World larger(30, 12, PF_PixelFormat_ARGB128);
        fillBytes(larger, 0x77);
        Ombrix::Levels::renderLevelsFloat(s, *reference.def(), *larger.def(), at(level, 2));
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 30; ++x) {
                const uint8_t* p = reinterpret_cast<const uint8_t*>(&larger.pixelFloat(x, y));
                if (x < 23 && y < 9) {
                    ASSERT_EQ(std::memcmp(p, &expected.pixelFloat(x, y), 16), 0) << nameOf(level);
                } else {
                    for (int b = 0; b < 16; ++b) ASSERT_EQ(p[b], 0x77) << nameOf(level) << " at " << x << ", " << y;
                }
            }
        }
    }
}

// Huge inputs: every finite input whose mapped value is a float comes out as
// that float (no intermediate step overflows), infinities as FLT_MAX.
TEST(SimdFloatFrames, HugeValuesMapToTheirFiniteValues) {
    std::vector<float> values;
    for (float v = 1e30f; v < 3.4e38f; v *= 1.7f) values.push_back(v);
    for (float v : {1e37f, 1e38f, 3e38f, FLT_MAX, std::nextafter(FLT_MAX, 0.0f), FLT_MAX / 255.0f, FLT_MAX / 254.0f,
                    std::numeric_limits<float>::infinity()}) {
        values.push_back(v);
    }
    const int count = static_cast<int>(values.size());
    std::vector<LevelsSettings> cases;
    LevelsSettings plain;  // default levels, no clipping: every value comes out as it went in
    plain.clipBlack = plain.clipWhite = false;
    cases.push_back(plain);
    LevelsSettings down = plain;  // output white 1: a 255th of the value
    down.composite.outputWhite = 1.0;
    cases.push_back(down);
    LevelsSettings up = plain;  // input white 1: 255 times the value (beyond FLT_MAX: held)
    up.red.inputWhite = 1.0;
    cases.push_back(up);
    LevelsSettings root = plain;  // gamma 2: the square root
    root.green.gamma = 2.0;
    root.composite.inputWhite = 128.0;
    cases.push_back(root);
    LevelsSettings square = plain;  // gamma 1/2 with a tiny output range
    square.blue = {0, 255, 0.5, 0, 1e-3};
    cases.push_back(square);
    LevelsSettings reversed = plain;  // reversed output: negative huge values
    reversed.alpha = {0, 255, 1.0, 255, 0};
    cases.push_back(reversed);
    for (size_t k = 0; k < cases.size(); ++k) {
        const LevelsSettings& s = cases[k];
        hostsim::World input(count, 2, PF_PixelFormat_ARGB128);
        for (int x = 0; x < count; ++x) {
            const float v = values[x];
            input.pixelFloat(x, 0) = PF_PixelFloat{v, v, v, v};
            input.pixelFloat(x, 1) = PF_PixelFloat{-v, -v, -v, -v};
        }
        for (SimdLevel level : levelsHere()) {
            hostsim::World output(count, 2, PF_PixelFormat_ARGB128);
            Ombrix::Levels::renderLevelsFloat(s, *input.def(), *output.def(), at(level));
            for (int y = 0; y < 2; ++y) {
                for (int x = 0; x < count; ++x) {
                    for (Channel c : {kAlpha, kRed, kGreen, kBlue}) {
                        const float in = channelOf(input.pixelFloat(x, y), c);
                        const float out = channelOf(output.pixelFloat(x, y), c);
                        const double model = channelModelUnclamped(in, c, s);
                        ASSERT_TRUE(std::isfinite(out));
                        ASSERT_NEAR(out, model, std::fabs(model) * 1e-6)
                            << "case " << k << ", " << nameOf(level) << ", input " << in << ", channel " << c;
                    }
                }
            }
            if (k == 0) {
                // Default levels: the value itself (infinities held at the float range).
                for (int x = 0; x < count; ++x) {
                    const float v = std::min(values[x], FLT_MAX);
                    ASSERT_EQ(output.pixelFloat(x, 0).red, v) << nameOf(level);
                    ASSERT_EQ(output.pixelFloat(x, 1).blue, -v) << nameOf(level);
                }
            }
        }
    }
}

// Identity maps: the value itself, bit for bit (NaN as 0, infinities held).
TEST(SimdFloatFrames, IdentityMapsGiveTheValueItself) {
    LevelsSettings s;
    s.clipBlack = s.clipWhite = false;
    hostsim::World input(101, 3, PF_PixelFormat_ARGB128);
    fillFloat(input, 3);
    for (SimdLevel level : levelsHere()) {
        hostsim::World output(101, 3, PF_PixelFormat_ARGB128);
        Ombrix::Levels::renderLevelsFloat(s, *input.def(), *output.def(), at(level));
        for (int y = 0; y < 3; ++y) {
            const auto* in = reinterpret_cast<const float*>(input.row(y));
            const auto* out = reinterpret_cast<const float*>(output.row(y));
            for (int i = 0; i < 4 * 101; ++i) {
                const float held = std::isnan(in[i]) ? 0.0f : std::min(std::max(in[i], -FLT_MAX), FLT_MAX);
                ASSERT_EQ(bitsOf(out[i]) & 0x7FFFFFFF, bitsOf(held) & 0x7FFFFFFF) << nameOf(level) << " " << in[i];
                ASSERT_EQ(out[i], held);
            }
        }
    }
}

// One map at a time: each acts on its own channels only (the composite on red,
// green and blue; each channel's map on its channel), every other channel
// keeps its value bit for bit, and every level gives the scalar level's bits.
TEST(SimdFloatFrames, EachMapActsOnItsOwnChannelsOnly) {
    struct Case {
        const char* name;
        ChannelLevels LevelsSettings::*block;
        bool acts[4];  // alpha, red, green, blue
    };
    const Case cases[] = {{"composite", &LevelsSettings::composite, {false, true, true, true}},
                          {"red", &LevelsSettings::red, {false, true, false, false}},
                          {"green", &LevelsSettings::green, {false, false, true, false}},
                          {"blue", &LevelsSettings::blue, {false, false, false, true}},
                          {"alpha", &LevelsSettings::alpha, {true, false, false, false}}};
    hostsim::World input(133, 3, PF_PixelFormat_ARGB128, 12);
    fillFloat(input, 41);
    for (const Case& c : cases) {
        LevelsSettings s;
        s.clipBlack = s.clipWhite = false;
        s.*c.block = {20, 230, 0.4, 10, 240};
        std::vector<uint8_t> scalarBytes;
        for (SimdLevel level : levelsHere()) {
            hostsim::World output(133, 3, PF_PixelFormat_ARGB128, 12);
            Ombrix::Levels::renderLevelsFloat(s, *input.def(), *output.def(), at(level));
            for (int y = 0; y < 3; ++y) {
                const auto* in = reinterpret_cast<const float*>(input.row(y));
                const auto* out = reinterpret_cast<const float*>(output.row(y));
                for (int i = 0; i < 4 * 133; ++i) {
                    const Channel channel = static_cast<Channel>(i % 4);
                    if (c.acts[i % 4]) {
                        const float expected = channelModelUnclamped(in[i], channel, s);
                        ASSERT_NEAR(out[i], expected, std::max(1e-5f, std::fabs(expected) * 1e-5f))
                            << c.name << ", " << nameOf(level) << ", channel " << channel << ", input " << in[i];
                    } else {
                        const float held = std::isnan(in[i]) ? 0.0f : std::min(std::max(in[i], -FLT_MAX), FLT_MAX);
                        ASSERT_EQ(bitsOf(out[i]) & 0x7FFFFFFF, bitsOf(held) & 0x7FFFFFFF)
                            << c.name << ", " << nameOf(level) << ", channel " << channel << ", input " << in[i];
                    }
                }
            }
            if (scalarBytes.empty()) {
                scalarBytes = output.memory();
            } else {
                ASSERT_EQ(output.memory(), scalarBytes) << c.name << ", " << nameOf(level);
            }
        }
    }
}

// ---- 8-bit and 16-bit frames ---------------------------------------------------------------

// A value at Input Black gives exactly Output Black at every level, for any
// float value and gamma: the input step leaves no remainder for the power to
// raise.
TEST(SimdFloatFrames, AValueAtInputBlackGivesOutputBlackAtEveryLevel) {
    uint32_t state = 99;
    // Levels below 2^-16 count as 0 (LevelsSettings.h), so the values lie above.
    std::vector<float> values = {0.0f, 0.5f, 1.0f, 254.0f / 255.0f, 1e-6f, -3.25f, 7.0f / 3.0f, 9000.0f};
    while (values.size() < 40) {
        const float v = floatValue(state);
        if (std::isfinite(v) && std::fabs(v) * 255.0f < 2550000.0f && (v == 0.0f || std::fabs(v) * 255.0f > 1e-4f)) {
            values.push_back(v);
        }
    }
    hostsim::World input(1, 1, PF_PixelFormat_ARGB128);
    hostsim::World output(1, 1, PF_PixelFormat_ARGB128);
    for (float value : values) {
        for (double gamma : {0.01, 0.3, 2.0, 5.0}) {
            LevelsSettings s;
            const double black = static_cast<double>(value) * 255.0;  // exact
            s.composite = {black, black + 0.75, gamma, 37.25, 300.0};
            s.alpha = {black, black - 1000.0, gamma, -2550000.0, 2550000.0};
            input.pixelFloat(0, 0) = PF_PixelFloat{value, value, value, value};
            for (SimdLevel level : levelsHere()) {
                Ombrix::Levels::renderLevelsFloat(s, *input.def(), *output.def(), at(level));
                const PF_PixelFloat out = output.pixelFloat(0, 0);
                ASSERT_EQ(out.green, static_cast<float>(37.25 / 255.0)) << nameOf(level) << ", " << value << ", " << gamma;
                ASSERT_EQ(out.alpha, static_cast<float>(-2550000.0 / 255.0)) << nameOf(level) << ", " << value;
            }
        }
    }
}

// Settings that mix magnitudes near the limits (an input range of 2^-22
// levels against output levels of +-2550000): the scalar level is within the
// power function's bound of the map of the user's own values in double
// precision, and every wider level within that bound of the scalar level.
// The bound: the power is within 2^-26 of its value relative
// (CpuKernelBody.h), which the output range scales (the clips hold the power
// within 0..1), plus a float's unit in the last place for the rounding.
TEST(SimdFloatFrames, ExtremeSettingsStayWithinThePowerBoundAtEveryLevel) {
    const double span = 255.0 * std::ldexp(1.0, -22);
    LevelsSettings s;
    s.green = {127.5, 127.5 + span, 5.0, -2550000.0, 2550000.0};
    s.alpha = {127.5, 127.5 + span, 0.3, 2550000.0, -2550000.0};
    s.red = {0.0, 1.6e-5, 2.0, 0.0, 2550000.0};
    constexpr int kWidth = 64;
    hostsim::World input(kWidth, 1, PF_PixelFormat_ARGB128);
    uint32_t state = 7;
    for (int x = 0; x < kWidth; ++x) {
        const float near = 0.5f + std::ldexp(1.0f, -24) * static_cast<float>(x % 16 - 4);  // 0.5 is input black
        const float v = x < 32 ? near : floatValue(state) * 1e-6f;
        input.pixelFloat(x, 0) = PF_PixelFloat{v, v, v, v};
    }
    auto bound = [&](const ChannelLevels& l, double model) {
        const float f = static_cast<float>(model);
        return std::fabs(l.outputWhite - l.outputBlack) / 255.0 * std::ldexp(1.0, -26) +
               (std::nextafter(std::fabs(f), HUGE_VALF) - std::fabs(f));
    };
    const ChannelLevels* blocks[4] = {&s.alpha, &s.red, &s.green, &s.blue};
    std::vector<float> scalar;
    for (SimdLevel level : levelsHere()) {
        hostsim::World output(kWidth, 1, PF_PixelFormat_ARGB128);
        Ombrix::Levels::renderLevelsFloat(s, *input.def(), *output.def(), at(level));
        const auto* in = reinterpret_cast<const float*>(input.row(0));
        const auto* out = reinterpret_cast<const float*>(output.row(0));
        for (int i = 0; i < 4 * kWidth; ++i) {
            const Channel c = static_cast<Channel>(i % 4);
            const double model = channelModelUnclamped(in[i], c, s);
            if (level == SimdLevel::Scalar) {
                scalar.push_back(out[i]);
                ASSERT_LE(std::fabs(out[i] - model), bound(*blocks[c], model))
                    << "channel " << c << ", input " << in[i] << ": " << out[i] << ", model " << model;
            } else {
                ASSERT_LE(std::fabs(out[i] - scalar[static_cast<size_t>(i)]), 2.0 * bound(*blocks[c], model))
                    << nameOf(level) << ", channel " << c << ", input " << in[i] << ": " << out[i] << ", scalar "
                    << scalar[static_cast<size_t>(i)];
            }
        }
    }
}

void fillNoise8(hostsim::World& world, uint32_t seed) {
    uint32_t state = seed * 2654435761u + 1;
    for (auto& byte : world.memory()) {
        state ^= state << 13, state ^= state >> 17, state ^= state << 5;
        byte = static_cast<uint8_t>(state >> 7);
    }
}

TEST(SimdByteFrames, EveryLevelGivesTheTablesBytesAtAwkwardShapes) {
    LevelsSettings s = floatSettings(5.0, true);
    s.alpha = {5, 200, 0.2, 10, 250};
    const Ombrix::Levels::LevelsTables8 tables(s);
    for (const Shape& shape : kShapes) {
        hostsim::World input(shape.width + 1, shape.height, PF_PixelFormat_ARGB32, shape.padding);
        fillNoise8(input, static_cast<uint32_t>(shape.width + 7 * shape.height));
        const PF_EffectWorld in = viewOf(input, shape.skip, shape.width, shape.height);
        for (SimdLevel level : levelsHere()) {
            for (int threads : {1, 3}) {
                hostsim::World output(shape.width + 1, shape.height, PF_PixelFormat_ARGB32, shape.padding);
                fillBytes(output, 0xA5);
                PF_EffectWorld out = viewOf(output, shape.skip, shape.width, shape.height);
                Ombrix::Levels::renderLevels8(s, in, out, at(level, threads));
                for (int y = 0; y < shape.height; ++y) {
                    const uint8_t* source = input.row(y);
                    const uint8_t* target = output.row(y);
                    for (int b = 0; b < output.rowbytes(); ++b) {
                        const int i = b - shape.skip;
                        if (i < 0 || i >= 4 * shape.width) {
                            ASSERT_EQ(target[b], 0xA5) << nameOf(level) << ", " << shape.width << " x " << shape.height << " skip " << shape.skip << " threads " << threads << ": byte " << b << " of row " << y;
                            continue;
                        }
                        const uint8_t* table[] = {tables.alpha, tables.red, tables.green, tables.blue};
                        ASSERT_EQ(target[b], table[i % 4][source[b]])
                            << nameOf(level) << ", " << shape.width << " x " << shape.height << ", byte " << i << " of row " << y;
                    }
                }
            }
        }
    }
}

TEST(SimdByteFrames, InPlaceAtEveryLevel) {
    const LevelsSettings s = floatSettings(0.2, true);
    hostsim::World reference(333, 5, PF_PixelFormat_ARGB32, 4);
    fillNoise8(reference, 9);
    hostsim::World expected(333, 5, PF_PixelFormat_ARGB32, 4);
    Ombrix::Levels::renderLevels8(s, *reference.def(), *expected.def(), at(SimdLevel::Scalar));
    for (SimdLevel level : levelsHere()) {
        hostsim::World same(333, 5, PF_PixelFormat_ARGB32, 4);
        fillNoise8(same, 9);
        Ombrix::Levels::renderLevels8(s, *same.def(), *same.def(), at(level, 2));
        for (int y = 0; y < 5; ++y) ASSERT_EQ(std::memcmp(same.row(y), expected.row(y), 333 * 4), 0) << nameOf(level);
    }
}

// 16-bit: every code through the model, exactly.
int model16Exact(int code, Channel c, const LevelsSettings& s) { return codeModel16(code, c, s); }

TEST(SimdDeepFrames, EveryCodeIsTheModelsOwnRoundingAtEveryLevel) {
    for (double gamma : {1.0, 5.0, 0.2, 1.7}) {
        LevelsSettings s = floatSettings(gamma, true);
        s.green = {30, 200, 1.3, 20, 240};
        // Every code and some beyond white, once in a frame large enough for
        // the tables (one row) and once in small frames (the map itself).
        std::vector<int> codes;
        for (int v = 0; v <= 32768; ++v) codes.push_back(v);
        for (int v : {32769, 40000, 65535}) codes.push_back(v);
        const int count = static_cast<int>(codes.size());
        hostsim::World wide(count, 1, PF_PixelFormat_ARGB64, 8);
        for (int x = 0; x < count; ++x) {
            const auto v = static_cast<A_u_short>(codes[x]);
            const auto w = static_cast<A_u_short>(codes[count - 1 - x]);
            wide.pixel16(x, 0) = PF_Pixel16{v, w, v, w};
        }
        for (SimdLevel level : levelsHere()) {
            hostsim::World out(count, 1, PF_PixelFormat_ARGB64);
            Ombrix::Levels::renderLevels16(s, *wide.def(), *out.def(), at(level, 2));
            for (int x = 0; x < count; ++x) {
                for (Channel c : {kAlpha, kRed, kGreen, kBlue}) {
                    const int in = channelOf(wide.pixel16(x, 0), c);
                    ASSERT_EQ(channelOf(out.pixel16(x, 0), c), model16Exact(in, c, s))
                        << nameOf(level) << ", gamma " << gamma << ", channel " << c << ", code " << in;
                }
            }
        }
        for (int start = 0; start < count; start += 4000) {
            const int n = std::min(4000, count - start);
            hostsim::World small(n, 1, PF_PixelFormat_ARGB64);
            for (int i = 0; i < n; ++i) small.pixel16(i, 0) = wide.pixel16(start + i, 0);
            hostsim::World out(n, 1, PF_PixelFormat_ARGB64);
            Ombrix::Levels::renderLevels16(s, *small.def(), *out.def(), at(SimdLevel::Scalar));
            for (int i = 0; i < n; ++i) {
                for (Channel c : {kAlpha, kRed, kGreen, kBlue}) {
                    const int in = channelOf(small.pixel16(i, 0), c);
                    ASSERT_EQ(channelOf(out.pixel16(i, 0), c), model16Exact(in, c, s)) << "small frame, code " << in;
                }
            }
        }
    }
}

TEST(SimdDeepFrames, EveryLevelGivesTheScalarBytesAtAwkwardShapes) {
    const LevelsSettings s = floatSettings(5.0, true);
    for (const Shape& shape : {Shape{181, 200, 0, 0}, Shape{1, 40000, 6, 2}, Shape{40000, 1, 0, 6},
                               Shape{203, 170, 10, 8}}) {
        hostsim::World input(shape.width + 1, shape.height, PF_PixelFormat_ARGB64, shape.padding);
        fillNoise8(input, static_cast<uint32_t>(shape.width));
        const PF_EffectWorld in = viewOf(input, shape.skip, shape.width, shape.height);
        std::vector<uint8_t> scalarBytes;
        for (SimdLevel level : levelsHere()) {
            hostsim::World output(shape.width + 1, shape.height, PF_PixelFormat_ARGB64, shape.padding);
            fillBytes(output, 0x3C);
            PF_EffectWorld out = viewOf(output, shape.skip, shape.width, shape.height);
            Ombrix::Levels::renderLevels16(s, in, out, at(level, 3));
            if (scalarBytes.empty()) {
                scalarBytes = output.memory();
                for (int y = 0; y < shape.height; ++y) {
                    for (int b = 0; b < output.rowbytes(); ++b) {
                        if (b < shape.skip || b >= shape.skip + 8 * shape.width) {
                            ASSERT_EQ(output.row(y)[b], 0x3C);
                        }
                    }
                }
            } else {
                ASSERT_EQ(output.memory(), scalarBytes) << nameOf(level) << ", " << shape.width << " x " << shape.height;
            }
        }
    }
}

// ---- the level's choice ----------------------------------------------------------------------

TEST(SimdLevelChoice, TheVariableForcesANarrowerLevelNeverAWider) {
    using Ombrix::Levels::parseSimdLevel;
    const SimdLevel widest = Ombrix::Levels::detectedSimdLevel();
    EXPECT_EQ(parseSimdLevel(nullptr), widest);
    EXPECT_EQ(parseSimdLevel(""), widest);
    EXPECT_EQ(parseSimdLevel("bogus"), widest);
    EXPECT_EQ(parseSimdLevel("scalar"), SimdLevel::Scalar);
    EXPECT_EQ(parseSimdLevel("SCALAR"), SimdLevel::Scalar);
    if (widest >= SimdLevel::Sse4) {
        EXPECT_EQ(parseSimdLevel("sse4"), SimdLevel::Sse4);
    }
    if (widest >= SimdLevel::Avx2) {
        EXPECT_EQ(parseSimdLevel("avx2"), SimdLevel::Avx2);
    }
    EXPECT_LE(static_cast<int>(parseSimdLevel("avx512")), static_cast<int>(widest));
    for (SimdLevel level : levelsHere()) EXPECT_EQ(Ombrix::Levels::cpuKernels(level).level, level) << nameOf(level);
}

}  // namespace
