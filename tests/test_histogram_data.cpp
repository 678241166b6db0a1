// The histogram data: mapping through each channel's levels with the exact
// truncation rules, and the two images built from it. (The counts themselves
// come from the renders: test_histogram_counting.cpp.)
#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>
#include <vector>

#include "hostsim/World.h"
#include "params/ParamIndices.h"
#include "render/cpu/CpuLevelsRenderer.h"
#include "tests/HostFixture.h"
#include "ui/BgraBuffer.h"
#include "ui/GammaMapping.h"
#include "ui/HistogramImage.h"
#include "ui/MappedHistograms.h"

namespace {

using namespace Ombrix::Levels;

int64_t total(const std::vector<int32_t>& counts) { return std::accumulate(counts.begin(), counts.end(), int64_t{0}); }

// ---- mapping through the levels ---------------------------------------------------------------------

// A parameter array as the host hands it to an event: every level slider at its default.
class LevelParams {
public:
    LevelParams() : defs_(kParamCount), pointers_(kParamCount + 1, nullptr) {
        for (int i = 0; i < kParamCount; ++i) pointers_[static_cast<size_t>(i)] = &defs_[static_cast<size_t>(i)];
        defs_[kParamChannel].u.pd.value = kChannelRGB;
        defs_[kParamClipBlack].u.bd.value = 1;
        defs_[kParamClipWhite].u.bd.value = 1;
        for (int channel = kChannelRGB; channel <= kChannelAlpha; ++channel) {
            set(channel, kSlotInputBlack, 0);
            set(channel, kSlotInputWhite, 255);
            set(channel, kSlotGamma, 1);
            set(channel, kSlotOutputBlack, 0);
            set(channel, kSlotOutputWhite, 255);
        }
    }
    void set(int channel, LevelSlot slot, double v) { defs_[static_cast<size_t>(levelParam(channel, slot))].u.fs_d.value = v; }
    void setClip(bool clip) {
        defs_[kParamClipBlack].u.bd.value = clip ? 1 : 0;
        defs_[kParamClipWhite].u.bd.value = clip ? 1 : 0;
    }
    PF_ParamDef** get() { return pointers_.data(); }

private:
    std::vector<PF_ParamDef> defs_;
    std::vector<PF_ParamDef*> pointers_;
};

ChannelHistograms ramp() {
    ChannelHistograms h;
    h.clear();
    for (int j = 0; j < 256; ++j) {
        h.red[static_cast<size_t>(j)] = j + 1;
        h.green[static_cast<size_t>(j)] = 2 * j + 1;
        h.blue[static_cast<size_t>(j)] = 300 - j;
        h.alpha[static_cast<size_t>(j)] = 5;
    }
    return h;
}

TEST(MapHistograms, DefaultLevelsLeaveTheCountsAsTheyAre) {
    LevelParams params;
    params.set(kChannelRGB, kSlotGamma, 3.0);  // the composite settings are not applied
    params.set(kChannelRGB, kSlotInputBlack, 80.0);
    params.set(kChannelAlpha, kSlotOutputWhite, 0.0);
    const ChannelHistograms h = ramp();
    ChannelHistograms mapped;
    mapHistograms(params.get(), h, mapped);
    EXPECT_EQ(mapped.red, h.red);
    EXPECT_EQ(mapped.green, h.green);
    EXPECT_EQ(mapped.blue, h.blue);
    EXPECT_TRUE(mapped.alpha.empty());
}

TEST(MapHistograms, EachChannelUsesItsOwnLevels) {
    LevelParams params;
    params.set(kChannelRed, kSlotOutputBlack, 0.0);
    params.set(kChannelRed, kSlotOutputWhite, 0.0);  // all red lands in bin 0
    params.set(kChannelGreen, kSlotInputBlack, 100.0);
    params.set(kChannelGreen, kSlotInputWhite, 100.0);
    params.set(kChannelGreen, kSlotOutputBlack, 37.9);
    params.set(kChannelBlue, kSlotInputWhite, 127.5);   // doubles the blue values, clipped at 255
    const ChannelHistograms h = ramp();
    ChannelHistograms mapped;
    mapHistograms(params.get(), h, mapped);
    EXPECT_EQ(mapped.red[0], total(h.red));
    EXPECT_EQ(total(mapped.green), total(h.green));
    // No span: a step above 100; at and below it, output black 37.9 (rounded)
    EXPECT_EQ(mapped.green[38], std::accumulate(h.green.begin(), h.green.begin() + 101, 0));
    EXPECT_EQ(mapped.green[255], std::accumulate(h.green.begin() + 101, h.green.end(), 0));
    EXPECT_EQ(mapped.blue[0], 300);
    EXPECT_EQ(mapped.blue[2], 299);
    EXPECT_EQ(mapped.blue[1], 0);
    EXPECT_EQ(mapped.blue[255], std::accumulate(h.blue.begin() + 128, h.blue.end(), 0));
}

// The view shows what the render makes: every bin goes where the CPU renderer
// sends a pixel of that value, for settings a user meets (strong gammas, equal
// input levels, reversed and out-of-range outputs, clipping off), with the
// composite block left at its identity as the view assumes.
TEST(MapHistograms, EveryBinGoesWhereTheRenderSendsItsValue) {
    struct Case {
        double inputBlack, inputWhite, gamma, outputBlack, outputWhite;
        bool clip;
    };
    const Case cases[] = {{0, 255, 1, 0, 255, true},     {0, 255, 2.2, 0, 255, true},   {12, 200, 0.3, 5, 250, true},
                          {100, 100, 1, 0, 255, true},   {100, 100, 3, 20, 240, false}, {200, 50, 1.7, 0, 255, true},
                          {0, 255, 9.99, 255, 0, true},  {30, 220, 0.1, -40, 300, false}, {0, 255, 1, 300, 400, true},
                          {-50, 400, 1.4, 10, 20, false}};
    ChannelHistograms h;
    h.clear();
    for (int j = 0; j < 256; ++j) h.red[static_cast<size_t>(j)] = 1 << (j % 20);  // tells the bins apart
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.inputBlack << " " << c.inputWhite << " " << c.gamma << " "
                                          << c.outputBlack << " " << c.outputWhite << (c.clip ? " clip" : ""));
        LevelParams params;
        params.set(kChannelRed, kSlotInputBlack, c.inputBlack);
        params.set(kChannelRed, kSlotInputWhite, c.inputWhite);
        params.set(kChannelRed, kSlotGamma, c.gamma);
        params.set(kChannelRed, kSlotOutputBlack, c.outputBlack);
        params.set(kChannelRed, kSlotOutputWhite, c.outputWhite);
        params.setClip(c.clip);
        ChannelHistograms mapped;
        mapHistograms(params.get(), h, mapped);

        // The render of a ramp holding each value once.
        hostsim::World ramp(256, 1);
        for (int j = 0; j < 256; ++j) ramp.pixel8(j, 0) = PF_Pixel8{255, static_cast<uint8_t>(j), 0, 0};
        hostsim::World out(256, 1);
        LevelsSettings settings;
        settings.red = ChannelLevels{c.inputBlack, c.inputWhite, c.gamma, c.outputBlack, c.outputWhite};
        settings.clipBlack = settings.clipWhite = c.clip;
        renderLevels8(sanitised(settings), *ramp.def(), *out.def());
        std::vector<int32_t> want(256, 0);
        for (int j = 0; j < 256; ++j) want[out.pixel8(j, 0).red] += h.red[static_cast<size_t>(j)];
        EXPECT_EQ(mapped.red, want);
    }
}

TEST(MapHistograms, ValuesWithoutAFiniteResultStillLandInABin) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double odd[] = {nan, inf, -inf, 1e300, -1e300, 0.0, -1.0, 2550000.0};
    const ChannelHistograms h = ramp();
    for (double v : odd) {
        for (int slot = kSlotInputBlack; slot <= kSlotOutputWhite; ++slot) {
            LevelParams params;
            params.set(kChannelRed, static_cast<LevelSlot>(slot), v);
            ChannelHistograms mapped;
            mapHistograms(params.get(), h, mapped);
            ASSERT_EQ(mapped.red.size(), 256u);
            EXPECT_EQ(total(mapped.red), total(h.red)) << "slot " << slot << " value " << v;
        }
    }
}

// ---- the images ------------------------------------------------------------------------------------------

ChannelHistograms redOnly(std::initializer_list<std::pair<int, int>> bins) {
    ChannelHistograms h;
    h.clear();
    for (const auto& b : bins) h.red[static_cast<size_t>(b.first)] = b.second;
    return h;
}

bool isRed(const BgraBuffer& image, int i, int r) {
    const uint8_t* p = image.pixel(i, r);
    return p[0] == 0 && p[1] == 0 && p[2] == 255 && p[3] == 255;
}
bool isBlack(const BgraBuffer& image, int i, int r) {
    const uint8_t* p = image.pixel(i, r);
    return p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == 255;
}

TEST(HistogramImage, IsTwoFiftyFiveByseventyAndNeverShowsBinTwoFiftyFive) {
    const ChannelHistograms h = redOnly({{255, 1000}, {254, 10}});
    const BgraBuffer image = histogramImage(h, h, kChannelRed, false, 0.0f);
    EXPECT_EQ(image.width(), 255);
    EXPECT_EQ(image.height(), 70);
    EXPECT_EQ(image.rowBytes(), 1020);
    EXPECT_TRUE(isRed(image, 254, 0));  // scale 0: any count fills its column
}

TEST(HistogramImage, ScaleOneLeavesTheTallestBinsTopRowEmpty) {
    const ChannelHistograms h = redOnly({{5, 1000}, {6, 500}});
    const BgraBuffer image = histogramImage(h, h, kChannelRed, false, 1.0f);
    EXPECT_TRUE(isBlack(image, 5, 0));
    for (int r = 1; r < 70; ++r) EXPECT_TRUE(isRed(image, 5, r)) << "row " << r;
    // 500 > trunc(level / 70 x 1000) for levels 1 to 34 (rows 69 to 36); at level 35 the two are equal
    EXPECT_TRUE(isBlack(image, 6, 35));
    EXPECT_TRUE(isRed(image, 6, 36));
}

TEST(HistogramImage, TheStartScaleFillsEveryBinAboveAQuarterOfTheLargest) {
    const ChannelHistograms h = redOnly({{5, 1000}, {7, 251}, {8, 250}});
    const BgraBuffer image = histogramImage(h, h, kChannelRed, false, 0.25f);
    EXPECT_TRUE(isRed(image, 7, 0));
    EXPECT_TRUE(isBlack(image, 8, 0));
    EXPECT_TRUE(isRed(image, 8, 1));  // level 69: trunc(246.4)
}

TEST(HistogramImage, AnEmptyHistogramOrAnUnknownChannelIsBlack) {
    ChannelHistograms empty;
    empty.clear();
    const ChannelHistograms h = redOnly({{5, 1000}});
    for (const auto& image : {histogramImage(empty, empty, kChannelRGB, false, 0.0f),
                              histogramImage(h, h, 0, false, 0.0f), histogramImage(h, h, 6, true, 0.0f)}) {
        for (int r = 0; r < 70; ++r) {
            for (int i = 0; i < 255; ++i) ASSERT_TRUE(isBlack(image, i, r)) << i << ", " << r;
        }
    }
}

TEST(GradientImage, ColumnIHoldsGreyI) {
    const BgraBuffer image = gradientImage();
    ASSERT_EQ(image.width(), 255);
    ASSERT_EQ(image.height(), 12);
    for (int y = 0; y < 12; ++y) {
        for (int i = 0; i < 255; ++i) {
            const uint8_t* p = image.pixel(i, y);
            ASSERT_TRUE(p[0] == i && p[1] == i && p[2] == i && p[3] == 255) << i << ", " << y;
        }
    }
}

TEST(BgraBuffer, ComponentsRoundHalvesAwayFromZeroAndClamp) {
    EXPECT_EQ(BgraBuffer::toByte(0.7), 179);
    EXPECT_EQ(BgraBuffer::toByte(0.5), 128);
    EXPECT_EQ(BgraBuffer::toByte(0.5 / 255.0), 1);
    EXPECT_EQ(BgraBuffer::toByte(0.0), 0);
    EXPECT_EQ(BgraBuffer::toByte(1.0), 255);
    EXPECT_EQ(BgraBuffer::toByte(-0.3), 0);
    EXPECT_EQ(BgraBuffer::toByte(7.0), 255);
    BgraBuffer b(2, 1);
    b.set(1, 0, CanvasColor(0.2, 0.4, 0.6, 0.8));
    EXPECT_EQ(b.pixel(1, 0)[0], 153);  // blue first
    EXPECT_EQ(b.pixel(1, 0)[1], 102);
    EXPECT_EQ(b.pixel(1, 0)[2], 51);
    EXPECT_EQ(b.pixel(1, 0)[3], 204);
}

// ---- the gamma handle's mapping, both ways -------------------------------------------------------------

TEST(GammaMapping, TheHandleSitsWhereTheGammaPutsIt) {
    EXPECT_DOUBLE_EQ(gammaHandleOffset(0, 255, 1), 127.5);  // halfway
    EXPECT_DOUBLE_EQ(gammaHandleOffset(0, 255, 0), 255.0);  // on input white
    EXPECT_DOUBLE_EQ(gammaHandleOffset(0, 255, 5), 255.0 / 32);
    EXPECT_DOUBLE_EQ(gammaHandleOffset(200, 100, 1), -50.0);  // crossed handles
    EXPECT_DOUBLE_EQ(gammaHandleOffset(30, 30, 2), 0.0);
}

TEST(GammaMapping, ThePositionGivesBackTheGamma) {
    for (const auto& span : {std::pair<double, double>{0, 255}, {40, 200}, {200, 40}, {-300, 900}}) {
        for (double g : {0.0, 0.1, 0.5, 1.0, 2.0, 3.7, 5.0}) {
            const std::optional<double> back = gammaAtOffset(gammaHandleOffset(span.first, span.second, g), span.first,
                                                             span.second);
            ASSERT_TRUE(back.has_value());
            EXPECT_NEAR(*back, g, 1e-12) << span.first << ".." << span.second;
        }
    }
}

TEST(GammaMapping, PositionsBeyondTheRangeClampAndUndefinedOnesGiveNothing) {
    EXPECT_EQ(gammaAtOffset(-10, 0, 255), 5.0);
    EXPECT_EQ(gammaAtOffset(0, 0, 255), 5.0);
    EXPECT_EQ(gammaAtOffset(1, 0, 255), 5.0);
    EXPECT_EQ(gammaAtOffset(300, 0, 255), 0.0);
    EXPECT_EQ(gammaAtOffset(5, 9, 9), 0.0);
    EXPECT_EQ(gammaAtOffset(-5, 9, 9), 5.0);
    EXPECT_FALSE(gammaAtOffset(0, 9, 9).has_value());
    EXPECT_FALSE(gammaAtOffset(std::nan(""), 0, 255).has_value());
    EXPECT_FALSE(gammaAtOffset(10, std::nan(""), 255).has_value());
}

}  // namespace
