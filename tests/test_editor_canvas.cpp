// The drawing surface and the Drawbot wrappers on the simulator's recording
// Drawbot: what each operation hands the host, object ownership, and failures
// on creation and release.
#include <functional>
#include <string>

#include "hostsim/Drawbot.h"
#include "tests/HostFixture.h"
#include "ui/CanvasColor.h"
#include "ui/CanvasPoint.h"
#include "ui/EffectCanvas.h"

namespace {

using namespace Ombrix::Levels;
using hostsim::DrawOp;
using hostsim::PathSegment;

class Canvas : public zanth_test::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        context.w_type = PF_Window_EFFECT;
        extra.contextH = &contextPointer;
        extra.e_type = PF_Event_DRAW;
        extra.effect_win.index = 2;
        extra.effect_win.area = PF_EA_CONTROL;
        extra.effect_win.current_frame = PF_Rect{10, 20, 310, 130};
        drawbot().setSurface(320, 140);
    }
    hostsim::DrawbotSim& drawbot() { return hostsim::DrawbotSim::current(); }

    // Runs `body` with a canvas made inside a draw event, as the editor does;
    // returns what the command would.
    PF_Err withCanvas(const std::function<void(EffectCanvas&)>& body) {
        drawbot().beginEvent(&contextPointer, PF_Event_DRAW, extra.effect_win.current_frame);
        PF_Err err = PF_Err_NONE;
        try {
            err = host->callAs(PF_Cmd_EVENT, [&](PF_InData* in, PF_OutData* out) {
                EffectCanvas canvas(in, out, &extra);
                body(canvas);
                return PF_Err_NONE;
            });
        } catch (int code) {
            err = code;
        } catch (const DRAWBOT_Exception& e) {
            err = e.code;
        }
        drawbot().endEvent();
        return err;
    }
    std::vector<DrawOp> ops() { return drawbot().operations(); }

    PF_Context context{};
    PF_Context* contextPointer = &context;
    PF_EventExtra extra{};
};

const DRAWBOT_ColorRGBA kWhite{1, 1, 1, 1};

TEST_F(Canvas, FrameRectIsTheEventsFrameAsOriginAndSize) {
    ASSERT_EQ(withCanvas([](EffectCanvas& canvas) {
                  const CanvasRect r = canvas.frameRect();
                  EXPECT_EQ(r.x, 10);
                  EXPECT_EQ(r.y, 20);
                  EXPECT_EQ(r.width, 300);
                  EXPECT_EQ(r.height, 110);
                  EXPECT_EQ(r.right(), 310);
                  EXPECT_EQ(r.bottom(), 130);
              }),
              PF_Err_NONE);
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(Canvas, AnEllipseIsFourQuarterArcsFromItsLeftmostPoint) {
    withCanvas([](EffectCanvas& canvas) {
        auto pen = canvas.newPen(kWhite, 1.0f);
        auto path = canvas.newPath();
        EXPECT_EQ(canvas.addEllipse(*path, 50.0f, 60.0f, 3.0f, 3.0f), 0);
        canvas.strokePath(*pen, *path);
        canvas.releaseObject(path);
        canvas.releaseObject(pen);
    });
    const std::vector<DrawOp> drawn = ops();
    ASSERT_EQ(drawn.size(), 1u);
    const std::vector<PathSegment>& p = drawn[0].path;
    ASSERT_EQ(p.size(), 6u);
    EXPECT_EQ(p[0].kind, PathSegment::Move);
    EXPECT_EQ(p[0].v[0], 47.0f);
    EXPECT_EQ(p[0].v[1], 60.0f);
    const float k = 0.5522848f * 3.0f;
    const float expected[4][6] = {{47, 60 + k, 50 - k, 63, 50, 63},
                                  {50 + k, 63, 53, 60 + k, 53, 60},
                                  {53, 60 - k, 50 + k, 57, 50, 57},
                                  {50 - k, 57, 47, 60 - k, 47, 60}};
    for (int arc = 0; arc < 4; ++arc) {
        ASSERT_EQ(p[static_cast<size_t>(arc + 1)].kind, PathSegment::Bezier);
        for (int c = 0; c < 6; ++c) EXPECT_FLOAT_EQ(p[static_cast<size_t>(arc + 1)].v[c], expected[arc][c]) << arc << ", " << c;
    }
    EXPECT_EQ(p[5].kind, PathSegment::Close);
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(Canvas, RectanglesPassTheirSizeUnchangedEvenWhenNegative) {
    withCanvas([](EffectCanvas& canvas) {
        auto pen = canvas.newPen(DRAWBOT_ColorRGBA{0.5f, 0.5f, 0.5f, 1}, 1.0f);
        EXPECT_EQ(canvas.strokeRect(*pen, PF_Rect{100, 10, 40, 30}), 0);
        EXPECT_EQ(canvas.fillRect(DRAWBOT_ColorRGBA{0.7f, 0.6f, 0.5f, 1}, PF_Rect{5, 6, 15, 26}), 0);
        EXPECT_EQ(canvas.drawLine(*pen, PF_Point{1, 2}, PF_Point{3, 4}), 0);
        canvas.releaseObject(pen);
    });
    const std::vector<DrawOp> drawn = ops();
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[0].kind, DrawOp::Stroke);
    ASSERT_EQ(drawn[0].path.size(), 1u);
    EXPECT_EQ(drawn[0].path[0].kind, PathSegment::Rect);
    EXPECT_EQ(drawn[0].path[0].v[0], 100);
    EXPECT_EQ(drawn[0].path[0].v[1], 10);
    EXPECT_EQ(drawn[0].path[0].v[2], -60);
    EXPECT_EQ(drawn[0].path[0].v[3], 20);
    EXPECT_EQ(drawn[0].penSize, 1.0f);
    EXPECT_EQ(drawn[1].kind, DrawOp::Fill);
    EXPECT_EQ(drawn[1].fillType, kDRAWBOT_FillType_Winding);
    EXPECT_EQ(drawn[1].color.red, 0.7f);
    EXPECT_EQ(drawn[1].path[0].v[2], 10);
    EXPECT_EQ(drawn[1].path[0].v[3], 20);
    ASSERT_EQ(drawn[2].path.size(), 2u);
    EXPECT_EQ(drawn[2].path[0].kind, PathSegment::Move);
    EXPECT_EQ(drawn[2].path[1].kind, PathSegment::Line);
    EXPECT_EQ(drawn[2].path[1].v[0], 3.0f);
    EXPECT_EQ(drawn[2].path[1].v[1], 4.0f);
    EXPECT_EQ(drawbot().calls("NewPath"), 3);  // one temporary path each, all released
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(Canvas, ImagesAreDrawnAtTheirOriginWithTheirOpacity) {
    withCanvas([](EffectCanvas& canvas) {
        const uint8_t pixels[2 * 4] = {10, 20, 30, 255, 40, 50, 60, 0};
        auto image = canvas.newImage(2, 1, 8, kDRAWBOT_PixelLayout_32BGRA_Straight, pixels);
        EXPECT_EQ(canvas.drawImage(*image, 15.0f, 88.0f, 0.5f), 0);
        canvas.releaseObject(image);
    });
    const std::vector<DrawOp> drawn = ops();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].kind, DrawOp::Image);
    EXPECT_EQ(drawn[0].x, 15.0f);
    EXPECT_EQ(drawn[0].y, 88.0f);
    EXPECT_EQ(drawn[0].opacity, 0.5f);
    EXPECT_EQ(drawn[0].imageWidth, 2);
    EXPECT_EQ(drawn[0].image->bgra[0], 10);
    EXPECT_EQ(drawn[0].image->bgra[4 + 3], 0);  // the transparent pixel, premultiplied to nothing
    EXPECT_EQ(drawn[0].image->bgra[4], 0);
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(Canvas, ReleasingNothingDoesNothing) {
    withCanvas([](EffectCanvas& canvas) {
        std::unique_ptr<DRAWBOT_PathP> none;
        canvas.releaseObject(none);
    });
    EXPECT_EQ(drawbot().calls("ReleaseObject"), 0);
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(Canvas, AWrapperWhoseCreationFailedReleasesNothing) {
    for (const char* function : {"NewPen", "NewPath", "NewBrush", "NewImageFromBuffer"}) {
        drawbot().resetCalls();
        drawbot().failCall(function, 42, std::string(function) == "NewPath" ? 2 : 1);  // the first path is made
        withCanvas([function](EffectCanvas& canvas) {
            auto path = canvas.newPath();
            try {
                if (std::string(function) == "NewPen") canvas.newPen(kWhite, 1);
                if (std::string(function) == "NewPath") canvas.newPath();
                if (std::string(function) == "NewBrush") canvas.fillPath(kWhite, *path);
                if (std::string(function) == "NewImageFromBuffer") {
                    const uint8_t pixel[4] = {0, 0, 0, 255};
                    canvas.newImage(1, 1, 4, kDRAWBOT_PixelLayout_32BGRA_Straight, pixel);
                }
                ADD_FAILURE() << function << " failed without an exception";
            } catch (const DRAWBOT_Exception& e) {
                EXPECT_EQ(e.code, 42) << function;
            }
            canvas.releaseObject(path);
        });
        drawbot().clearFailures();
        EXPECT_EQ(drawbot().calls("ReleaseObject"), 1) << function;  // the path only
        EXPECT_HOST_CLEAN(*host);
    }
}

TEST_F(Canvas, AFailingReleaseIsIgnored) {
    withCanvas([this](EffectCanvas& canvas) {
        auto path = canvas.newPath();
        drawbot().failCall("ReleaseObject", 9);
        EXPECT_NO_THROW(canvas.releaseObject(path));
        EXPECT_FALSE(path);
    });
    EXPECT_EQ(drawbot().calls("ReleaseObject"), 1);  // tried once, not again
    EXPECT_EQ(host->liveObjects("DRAWBOT_Path"), 1);  // the host kept what it refused to release
    EXPECT_TRUE(host->violations().empty());
    EXPECT_TRUE(host->outstandingSuites().empty());
}

TEST_F(Canvas, TheCanvasGivesBackItsSuitesAndNeverBorrowsAfterwards) {
    ASSERT_EQ(withCanvas([](EffectCanvas&) {}), PF_Err_NONE);
    for (const auto& s : {std::pair<const char*, int>{"DRAWBOT Draw Suite", 1}, {"DRAWBOT Supplier Suite", 1},
                          {"DRAWBOT Surface Suite", 2}, {"DRAWBOT Path Suite", 1}, {"PF Effect Custom UI Suite", 1}}) {
        EXPECT_EQ(host->suiteCounts(s.first, s.second).acquired, 1) << s.first;
        EXPECT_EQ(host->suiteCounts(s.first, s.second).released, 1) << s.first;
    }
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(Canvas, ARefusedSuiteStopsTheCanvasWithNothingHeld) {
    const struct {
        const char* name;
        int version;
        PF_Err code;
    } refusals[] = {{"DRAWBOT Draw Suite", 1, 516},   {"DRAWBOT Supplier Suite", 1, 516},
                    {"DRAWBOT Surface Suite", 2, 516}, {"DRAWBOT Path Suite", 1, 516},
                    {"PF Effect Custom UI Suite", 1, 13}};
    for (const auto& r : refusals) {
        host->refuseSuite(r.name, r.version);
        bool ran = false;
        EXPECT_EQ(withCanvas([&ran](EffectCanvas&) { ran = true; }), r.code) << r.name;
        EXPECT_FALSE(ran);
        host->allowSuite(r.name, r.version);
        EXPECT_HOST_CLEAN(*host);
    }
}

TEST_F(Canvas, ADrawingReferenceWithoutSupplierOrSurfaceStopsTheCanvas) {
    for (const char* function : {"PF_GetDrawingReference", "GetSupplier", "GetSurface"}) {
        drawbot().failCall(function, 5);
        bool ran = false;
        EXPECT_EQ(withCanvas([&ran](EffectCanvas&) { ran = true; }), 5) << function;
        EXPECT_FALSE(ran);
        drawbot().clearFailures();
        EXPECT_HOST_CLEAN(*host);
    }
}

TEST(CanvasRecords, ColourAndException) {
    const CanvasColor white;
    EXPECT_EQ(white.red + white.green + white.blue + white.alpha, 4);
    const DRAWBOT_Exception e(-3);
    EXPECT_EQ(e.code, -3);
    EXPECT_STREQ(e.what(), std::exception().what());
}

}  // namespace
