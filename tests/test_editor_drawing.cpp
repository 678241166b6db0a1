// Pixels of the drawn histogram control, on the simulator's Cairo surface,
// against the control's layout: the histogram image in every channel view and
// both display modes, the frame lines, the scale slider and thumb, the mode
// buttons, the handles with their fills, and the gradient with its outline.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <ostream>
#include <string>

#include "tests/test_editor_fixture.h"

namespace {

using namespace zanth_test;
using Ombrix::Levels::kChannelAlpha;
using Ombrix::Levels::kChannelBlue;
using Ombrix::Levels::kChannelGreen;
using Ombrix::Levels::kChannelRed;
using Ombrix::Levels::kChannelRGB;
using Ombrix::Levels::kSlotGamma;
using Ombrix::Levels::kSlotInputBlack;
using Ombrix::Levels::kSlotInputWhite;
using Ombrix::Levels::kSlotOutputBlack;
using Ombrix::Levels::kSlotOutputWhite;

using Rgb = std::array<int, 3>;
const Rgb kBackground{38, 38, 38};
const Rgb kGrey70{179, 179, 179};
const Rgb kGrey50{128, 128, 128};
const Rgb kBlack{0, 0, 0};
const Rgb kRed{255, 0, 0};
const Rgb kGreen{0, 255, 0};
const Rgb kBlue{0, 0, 255};
const Rgb kYellow{255, 255, 0};
const Rgb kMagenta{255, 0, 255};
const Rgb kCyan{0, 255, 255};

std::string show(const Rgb& c) {
    return "(" + std::to_string(c[0]) + ", " + std::to_string(c[1]) + ", " + std::to_string(c[2]) + ")";
}

class EditorDrawing : public EditorTest {
protected:
    void draw() {
        ASSERT_EQ(sender->draw(), PF_Err_NONE);
        image = drawbot().pixels();
        ASSERT_EQ(image.width, 300);
        ASSERT_EQ(image.height, 110);
    }
    Rgb at(int x, int y) const {
        const uint8_t* p = image.at(x, y);
        return Rgb{p[0], p[1], p[2]};
    }
    // Strokes and fills go through the surface's colour conversion: allow one code value.
    ::testing::AssertionResult near(int x, int y, const Rgb& want, int tolerance = 1) const {
        const Rgb got = at(x, y);
        for (int k = 0; k < 3; ++k) {
            if (std::abs(got[static_cast<size_t>(k)] - want[static_cast<size_t>(k)]) > tolerance) {
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is " << show(got) << ", expected " << show(want);
            }
        }
        return ::testing::AssertionSuccess();
    }
    // A histogram pixel: column i (bin i), row r (0 at the top).
    Rgb histogramPixel(int i, int r) const { return at(kVx + i, kVy + r); }

    void useCombinedMode() {
        ASSERT_EQ(sender->click(kVx + 100, kVy + 30), PF_Err_NONE);
    }
    void setScaleByDrag(int y) {
        ASSERT_EQ(sender->click(kVx + 260, kVy + 40), PF_Err_NONE);
        ASSERT_EQ(sender->drag(kVx + 260, y, true), PF_Err_NONE);
    }

    hostsim::Rgba8Image image;
};

// ---- the histogram image, against a reference of the colouring rule -----------------------

// The tips of the input handles (apexes on the row below the image, at bins 0,
// 127.5 and 255 with the default levels) reach into the image's bottom row.
bool underInputHandleTip(int i, int r) { return r == 69 && (i <= 1 || (i >= 126 && i <= 129) || i >= 254); }

int largest(const Counts& c) { return *std::max_element(c.begin(), c.end()); }

// The colour of histogram pixel (i, r) as the layout lays it down.
Rgb referencePixel(const LayerCounts& raw, const LayerCounts& mapped, int channel, bool combined, double scale, int i,
                   int r) {
    const int maxRGB = std::max({largest(raw.red), largest(raw.green), largest(raw.blue)});
    const int M = channel == kChannelRGB     ? maxRGB
                  : channel == kChannelRed   ? largest(raw.red)
                  : channel == kChannelGreen ? largest(raw.green)
                  : channel == kChannelBlue  ? largest(raw.blue)
                                             : largest(raw.alpha);
    const double m = std::trunc((70 - r) / 70.0 * M * scale);
    const auto reaches = [&](const Counts& c) { return c[static_cast<size_t>(i)] > m; };
    const auto rgb = [](bool red, bool green, bool blue) { return Rgb{red ? 255 : 0, green ? 255 : 0, blue ? 255 : 0}; };
    switch (channel) {
        case kChannelRGB:
            if (combined) return (reaches(mapped.red) || reaches(mapped.green) || reaches(mapped.blue)) ? kGrey70 : kBlack;
            return rgb(reaches(mapped.red), reaches(mapped.green), reaches(mapped.blue));
        case kChannelRed:
            if (reaches(raw.red)) return kRed;
            return combined ? kBlack : rgb(false, reaches(raw.green), reaches(raw.blue));
        case kChannelGreen:
            if (reaches(raw.green)) return kGreen;
            return combined ? kBlack : rgb(reaches(raw.red), false, reaches(raw.blue));
        case kChannelBlue:
            if (reaches(raw.blue)) return kBlue;
            return combined ? kBlack : rgb(reaches(raw.red), reaches(raw.green), false);
        default: return reaches(raw.alpha) ? kGrey70 : kBlack;
    }
}

struct View {
    int channel;
    bool combined;
};
void PrintTo(const View& v, std::ostream* os) { *os << "channel " << v.channel << (v.combined ? ", combined" : ", colour"); }

std::string viewName(const ::testing::TestParamInfo<View>& info) {
    static const char* const names[] = {"", "RGB", "Red", "Green", "Blue", "Alpha"};
    return std::string(names[info.param.channel]) + (info.param.combined ? "Combined" : "Colour");
}

class EditorHistogramViews : public EditorDrawing, public ::testing::WithParamInterface<View> {};

TEST_P(EditorHistogramViews, EveryPixelFollowsTheColouringRule) {
    const View v = GetParam();
    setChannel(v.channel);
    if (v.combined) useCombinedMode();
    draw();
    const LayerCounts counts = standardCounts();  // identity levels: mapped equals raw
    int mismatches = 0;
    for (int r = 0; r < 70; ++r) {
        for (int i = 0; i < 255; ++i) {
            if (underInputHandleTip(i, r)) continue;
            const Rgb want = referencePixel(counts, counts, v.channel, v.combined, 0.25, i, r);
            if (histogramPixel(i, r) != want && ++mismatches <= 5) {
                ADD_FAILURE() << "bin " << i << " row " << r << ": " << show(histogramPixel(i, r)) << ", expected "
                              << show(want);
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_HOST_CLEAN(*host);
}

INSTANTIATE_TEST_SUITE_P(AllViews, EditorHistogramViews,
                         ::testing::Values(View{kChannelRGB, false}, View{kChannelRGB, true}, View{kChannelRed, false},
                                           View{kChannelRed, true}, View{kChannelGreen, false},
                                           View{kChannelGreen, true}, View{kChannelBlue, false},
                                           View{kChannelBlue, true}, View{kChannelAlpha, false},
                                           View{kChannelAlpha, true}),
                         viewName);

// The same views, checked at chosen places without the reference. Scale 0.25
// and M = 35000 (red bin 0) give the threshold trunc(125 x level).
TEST_F(EditorDrawing, RgbColourViewAddsTheChannelsIntoOneAnother) {
    draw();
    EXPECT_EQ(histogramPixel(0, 0), kRed);       // red 35000 fills its column
    EXPECT_EQ(histogramPixel(50, 0), kYellow);   // red 10000 and green 20000 both fill theirs
    EXPECT_EQ(histogramPixel(120, 69), kMagenta);  // red 4000 reaches levels 1 to 31 beside blue 12000
    EXPECT_EQ(histogramPixel(120, 39), kMagenta);
    EXPECT_EQ(histogramPixel(120, 38), kBlue);
    EXPECT_EQ(histogramPixel(100, 7), kGreen);   // green 8000 reaches levels 1 to 63
    EXPECT_EQ(histogramPixel(100, 6), kBlack);
    EXPECT_EQ(histogramPixel(200, 15), kCyan);   // green 7000 reaches levels 1 to 55 beside blue 24000
    EXPECT_EQ(histogramPixel(200, 14), kBlue);
    EXPECT_EQ(histogramPixel(10, 69), kBlack);   // an empty bin
}

TEST_F(EditorDrawing, CombinedViewsShowTheChannelAloneOrOneGreySilhouette) {
    useCombinedMode();
    draw();
    EXPECT_EQ(histogramPixel(120, 0), kGrey70);
    EXPECT_EQ(histogramPixel(100, 6), kBlack);
    EXPECT_EQ(histogramPixel(100, 7), kGrey70);
    setChannel(kChannelRed);
    draw();
    EXPECT_EQ(histogramPixel(50, 0), kRed);
    EXPECT_EQ(histogramPixel(200, 69), kBlack);  // only red is shown
}

TEST_F(EditorDrawing, SingleChannelViewsDrawTheOthersAboveTheirBar) {
    setChannel(kChannelRed);
    draw();
    EXPECT_EQ(histogramPixel(120, 69), kRed);   // red's own bar first
    EXPECT_EQ(histogramPixel(120, 38), kBlue);  // blue above it
    EXPECT_EQ(histogramPixel(200, 15), kCyan);
    setChannel(kChannelBlue);  // M = 24000: threshold trunc(85.71 x level)
    draw();
    EXPECT_EQ(histogramPixel(120, 0), kBlue);
    EXPECT_EQ(histogramPixel(50, 0), kYellow);  // no blue in bin 50: red and green
}

TEST_F(EditorDrawing, AlphaViewIsGreyWhateverTheModeAndShowsNoButtons) {
    setChannel(kChannelAlpha);
    for (bool combined : {false, true}) {
        if (combined) {
            setChannel(kChannelRGB);
            useCombinedMode();
            setChannel(kChannelAlpha);
        }
        draw();
        EXPECT_EQ(histogramPixel(128, 0), kGrey70) << (combined ? "combined" : "colour");
        EXPECT_EQ(histogramPixel(10, 69), kBlack);
        EXPECT_TRUE(near(290, 29, kBackground));
        EXPECT_TRUE(near(290, 39, kBackground));
        EXPECT_TRUE(near(287, 29, kBackground));
        EXPECT_EQ(filledButton(), 0);
    }
}

TEST_F(EditorDrawing, BinTwoFiftyFiveIsNeverShownButSetsTheScale) {
    // Green and alpha have their largest counts in bin 255: the last column shows
    // bin 254, and the scale still comes from bin 255.
    setChannel(kChannelGreen);
    draw();
    EXPECT_EQ(histogramPixel(254, 69), kBlue);  // blue 17536 in bin 254, no green there
    // M = 30536: green 8000 at level 70 against trunc(7634) reaches.
    EXPECT_EQ(histogramPixel(100, 0), kGreen);
    setChannel(kChannelAlpha);
    draw();
    for (int r = 0; r < 70; ++r) EXPECT_EQ(histogramPixel(254, r), kBlack) << "row " << r;
}

TEST_F(EditorDrawing, ScaleOneLeavesTheTopRowOfTheTallestBinEmptyAndScaleZeroFillsEveryBin) {
    setScaleByDrag(kVy + 5);  // scale 1
    draw();
    EXPECT_EQ(thumbTop(), kVy);
    EXPECT_EQ(histogramPixel(0, 0), kBlack);  // level 70: 35000 is not greater than 35000
    EXPECT_EQ(histogramPixel(0, 1), kRed);
    EXPECT_EQ(histogramPixel(120, 63), kMagenta);  // red 4000 reaches levels 1 to 7 (threshold trunc(500 x level))
    EXPECT_EQ(histogramPixel(120, 62), kBlue);
    setScaleByDrag(kVy + 65);  // scale 0
    draw();
    EXPECT_EQ(thumbTop(), kVy + 60);
    EXPECT_EQ(histogramPixel(120, 0), kMagenta);
    EXPECT_EQ(histogramPixel(100, 0), kGreen);
    EXPECT_EQ(histogramPixel(10, 0), kBlack);
}

TEST_F(EditorDrawing, TheRgbViewShowsTheMappedChannelsAndIgnoresTheCompositeSettings) {
    draw();
    const hostsim::Rgba8Image before = image;
    setValue(level(kChannelRGB, kSlotGamma), 3.0);
    setValue(level(kChannelRGB, kSlotInputBlack), 40.0);
    draw();
    for (int r = 0; r < 69; ++r) {  // the bottom row holds the tips of the moved handles
        for (int i = 0; i < 255; ++i) {
            ASSERT_EQ(0, std::memcmp(before.at(kVx + i, kVy + r), image.at(kVx + i, kVy + r), 4)) << i << ", " << r;
        }
    }
    setValue(level(kChannelRed, kSlotOutputWhite), 0.0);  // every red count lands in bin 0
    draw();
    EXPECT_EQ(histogramPixel(0, 0), kRed);
    EXPECT_EQ(histogramPixel(50, 0), kGreen);
    EXPECT_EQ(histogramPixel(120, 69), kBlue);
}

TEST_F(EditorDrawing, AnEmptyHistogramIsBlackAndEverythingElseIsDrawn) {
    host->setInputLayer(nullptr);
    renderLayer();
    draw();
    for (int r = 0; r < 70; ++r) {
        for (int i = 0; i < 255; ++i) {
            if (!underInputHandleTip(i, r)) {
                ASSERT_EQ(histogramPixel(i, r), kBlack) << i << ", " << r;
            }
        }
    }
    EXPECT_TRUE(near(kVx, 78, kGrey70));  // input black handle
    EXPECT_TRUE(near(50, 94, Rgb{35, 35, 35}, 0));  // gradient
    EXPECT_HOST_CLEAN(*host);
}

// ---- the rest of the layout ------------------------------------------------------------------

TEST_F(EditorDrawing, FrameLinesSliderAndButtonsSitWhereTheLayoutPutsThem) {
    draw();
    EXPECT_TRUE(near(100, 75, kGrey70));  // bottom frame line
    EXPECT_TRUE(near(kVx, 75, kGrey70));  // left line below the image
    EXPECT_TRUE(near(100, 76, kBackground));
    // Scale track 270..280 x 5..75 (its left edge over the right frame line).
    EXPECT_TRUE(near(270, 20, kGrey50));
    EXPECT_TRUE(near(280, 20, kGrey50));
    EXPECT_TRUE(near(275, 5, kGrey50));
    EXPECT_TRUE(near(275, 75, kGrey50));
    EXPECT_TRUE(near(275, 20, kBackground));  // the track is not filled
    // Thumb at scale 0.25: top 5 + 45.
    EXPECT_TRUE(near(275, 49, kBackground));
    EXPECT_TRUE(near(275, 50, kGrey50));
    EXPECT_TRUE(near(275, 55, kGrey50));
    EXPECT_TRUE(near(275, 60, kGrey50));
    EXPECT_TRUE(near(275, 61, kBackground));
    // Mode buttons, radius 3, at (290, 29) filled and (290, 39) hollow.
    EXPECT_TRUE(near(290, 29, kGrey70));
    EXPECT_TRUE(near(290, 39, kBackground));
    EXPECT_TRUE(near(287, 39, kGrey70, 40));  // the ring (anti-aliased)
    EXPECT_TRUE(near(290, 33, kBackground));
    EXPECT_TRUE(near(2, 2, kBackground));
    EXPECT_TRUE(near(299, 109, kBackground));
    useCombinedMode();
    draw();
    EXPECT_TRUE(near(290, 29, kBackground));
    EXPECT_TRUE(near(290, 39, kGrey70));
}

TEST_F(EditorDrawing, GradientAndItsOutline) {
    draw();
    for (int i = 1; i < 255; ++i) EXPECT_EQ(at(kVx + i, 94), (Rgb{i, i, i})) << "column " << i;
    EXPECT_EQ(at(kVx + 100, 89), (Rgb{100, 100, 100}));
    EXPECT_EQ(at(kVx + 100, 99), (Rgb{100, 100, 100}));
    EXPECT_TRUE(near(kVx + 100, 88, kGrey70));  // outline 15..270 x 88..100
    EXPECT_TRUE(near(kVx + 100, 100, kGrey70));
    EXPECT_TRUE(near(270, 94, kGrey70));
    EXPECT_TRUE(near(kVx, 94, kGrey70));
    EXPECT_TRUE(near(kVx + 100, 87, kBackground));
    EXPECT_TRUE(near(271, 94, kBackground));
}

TEST_F(EditorDrawing, HandlesSitAtTheirValuesWithTheirFills) {
    setChannel(kChannelRed);
    setValue(level(kChannelRed, kSlotInputBlack), 40);
    setValue(level(kChannelRed, kSlotInputWhite), 200);
    setValue(level(kChannelRed, kSlotGamma), 1);  // halfway: 120
    setValue(level(kChannelRed, kSlotOutputBlack), 60);
    setValue(level(kChannelRed, kSlotOutputWhite), 180);
    draw();
    // Input handles: apex on y 75, base on y 80.
    EXPECT_TRUE(near(kVx + 40, 78, kGrey70));      // input black, filled
    EXPECT_TRUE(near(kVx + 40, 80, kGrey70));
    EXPECT_TRUE(near(kVx + 40, 82, kBackground));
    EXPECT_TRUE(near(kVx + 120, 78, kGrey50));     // gamma, filled grey 0.5
    EXPECT_TRUE(near(kVx + 200, 78, kBackground));  // input white, hollow
    EXPECT_TRUE(near(kVx + 200, 80, kGrey70));
    EXPECT_TRUE(near(kVx + 197, 78, kGrey70, 60));  // its left edge (anti-aliased)
    // Output handles: apex on y 100, base on y 105.
    EXPECT_TRUE(near(kVx + 60, 103, kGrey70));     // output black, filled
    EXPECT_TRUE(near(kVx + 60, 105, kGrey70));
    EXPECT_TRUE(near(kVx + 180, 103, kBackground));  // output white, hollow
    EXPECT_TRUE(near(kVx + 180, 105, kGrey70));
    // The gamma of the composite channel does not move the red handles.
    EXPECT_TRUE(near(kVx + 128, 78, kBackground));
}

TEST_F(EditorDrawing, HandlesFollowTheirValuesEvenOutOfOrderOrOutOfRange) {
    setValue(level(kChannelRGB, kSlotInputBlack), 200);  // right of input white
    setValue(level(kChannelRGB, kSlotInputWhite), 100);
    setValue(level(kChannelRGB, kSlotGamma), 0);         // on the input white handle
    setValue(level(kChannelRGB, kSlotOutputBlack), -10);  // left of the histogram
    draw();
    EXPECT_TRUE(near(kVx + 200, 78, kGrey70));
    EXPECT_TRUE(near(kVx + 100, 80, kGrey70));
    EXPECT_TRUE(near(kVx + 100, 78, kGrey50));  // gamma 0 fills the input white handle's triangle
    EXPECT_TRUE(near(kVx - 10, 103, kGrey70));
}

TEST_F(EditorDrawing, OnlyTheGradientOutlineFollowsTheFrameHeight) {
    sender.reset();
    hostsim::EventSender::Options options;
    options.frame = PF_Rect{0, 0, 300, 130};
    sender = std::make_unique<hostsim::EventSender>(*host, options);
    ASSERT_EQ(sender->draw(), PF_Err_NONE);
    image = drawbot().pixels();
    ASSERT_EQ(image.height, 130);
    EXPECT_TRUE(near(kVx + 100, 120, kGrey70));  // outline bottom 10 above the frame's bottom
    EXPECT_EQ(at(kVx + 100, 99), (Rgb{100, 100, 100}));
    EXPECT_TRUE(near(kVx + 100, 100, Rgb{38, 38, 38}));  // no outline at the usual place
    EXPECT_TRUE(near(kVx, 103, kGrey70));       // output black handle keeps its place
}

TEST_F(EditorDrawing, TheLayoutMovesWithTheFrame) {
    sender.reset();
    hostsim::EventSender::Options options;
    options.frame = PF_Rect{10, 20, 310, 130};
    sender = std::make_unique<hostsim::EventSender>(*host, options);
    ASSERT_EQ(sender->draw(), PF_Err_NONE);
    image = drawbot().pixels();
    const int vx = 25, vy = 25;
    EXPECT_EQ(at(vx + 50, vy), kYellow);
    EXPECT_EQ(at(vx + 120, vy + 69), kMagenta);
    EXPECT_TRUE(near(vx + 100, vy + 70, kGrey70));
    EXPECT_EQ(at(vx + 100, vy + 89), (Rgb{100, 100, 100}));
    EXPECT_TRUE(near(vx + 275, vy + 24, kGrey70));
    EXPECT_TRUE(near(5, 5, kBackground));
}

TEST_F(EditorDrawing, ZoomDrawsTheSameControlAtHigherResolution) {
    sender.reset();
    hostsim::EventSender::Options options;
    options.zoom = 3;
    sender = std::make_unique<hostsim::EventSender>(*host, options);
    ASSERT_EQ(sender->draw(), PF_Err_NONE);
    image = drawbot().pixels();
    ASSERT_EQ(image.width, 900);
    ASSERT_EQ(image.height, 330);
    // Each control pixel is 3 x 3 device pixels.
    for (int dy = 0; dy < 3; ++dy) {
        for (int dx = 0; dx < 3; ++dx) {
            EXPECT_EQ(at(3 * (kVx + 50) + dx, 3 * kVy + dy), kYellow);
            EXPECT_TRUE(near(3 * 100 + dx, 3 * 75 + dy, kGrey70));
            EXPECT_EQ(at(3 * (kVx + 100) + dx, 3 * 94 + dy), (Rgb{100, 100, 100}));
        }
    }
    EXPECT_TRUE(near(3 * 100, 3 * 76 + 1, kBackground));
    // The circles are drawn at full resolution: the button's ring is thinner than a control pixel.
    EXPECT_TRUE(near(3 * 290 + 1, 3 * 39 + 1, kBackground));
    EXPECT_TRUE(near(3 * 287 + 1, 3 * 39 + 1, kGrey70, 60));
}

}  // namespace
