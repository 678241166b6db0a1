// Where the editor's histogram comes from in a current host: the renders count
// it on their threads and the draw only looks it up, never checking out the
// layer (the simulator counts any layer checkout during an event as a
// violation, which fails the test, and so is a redraw asked during a draw).
// Before a render of the frame on show the editor draws the last histogram it
// showed (undimmed when only its own settings changed, dimmed otherwise) or an
// empty one, and its idle and cursor events ask for a redraw once the render
// has come, for up to two seconds.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "hostsim/Drawbot.h"
#include "hostsim/Events.h"
#include "hostsim/World.h"
#include "tests/HostFixture.h"

namespace {

// The histogram image of the latest draw, as the editor handed it over.
struct DrawnHistogram {
    std::vector<uint8_t> bgra;  // 255 x 70, opaque
    bool found = false;

    int brightest() const {
        int most = 0;
        for (size_t k = 0; k < bgra.size(); k += 4) most = std::max({most, int{bgra[k]}, int{bgra[k + 1]}, int{bgra[k + 2]}});
        return most;
    }
    bool empty() const { return found && brightest() == 0; }
    // Whether column `bin` has a bar of full brightness (Current) in red.
    int redAt(int bin, int row) const { return bgra[(static_cast<size_t>(row) * 255 + static_cast<size_t>(bin)) * 4 + 2]; }
};

DrawnHistogram drawnHistogram() {
    DrawnHistogram drawn;
    for (const hostsim::DrawOp& op : hostsim::DrawbotSim::current().operations()) {
        if (op.kind == hostsim::DrawOp::Image && op.imageWidth == 255 && op.imageHeight == 70) {
            drawn.bgra = op.image->bgra;
            drawn.found = true;
        }
    }
    return drawn;
}

// A layer whose red is `red` everywhere and whose other channels are spread.
hostsim::World flatRedLayer(int width, int height, uint8_t red) {
    hostsim::World layer(width, height, PF_PixelFormat_ARGB32, 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) layer.pixel8(x, y) = PF_Pixel8{255, red, static_cast<uint8_t>(x % 200), 0};
    }
    return layer;
}

constexpr std::chrono::milliseconds kPatience{2000};  // how long the editor waits for a render

constexpr int kFullBrightness = 255;
constexpr int kPendingBrightness = 89;  // 0.35 x 255, rounded

class EditorHistogramSource : public zanth_test::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        setUpEffect();
        layer = std::make_unique<hostsim::World>(flatRedLayer(333, 211, 40));
        host->setInputLayer(layer->def());
        sender = std::make_unique<hostsim::EventSender>(*host);
    }
    void TearDown() override {
        sender.reset();
        HostTest::TearDown();
    }
    PF_Err render(PF_ProgPtr instance = nullptr) {
        const PF_EffectWorld input = host->inputLayerOf(instance ? instance : host->effectRef());
        hostsim::World output(std::max<int>(input.width, 1), std::max<int>(input.height, 1));
        return instance ? host->sendAs(instance, PF_Cmd_RENDER, output.def()) : host->render(output.def());
    }
    DrawnHistogram draw() {
        EXPECT_EQ(sender->draw(), PF_Err_NONE);
        return drawnHistogram();
    }

    std::unique_ptr<hostsim::World> layer;
    std::unique_ptr<hostsim::EventSender> sender;
};

TEST_F(EditorHistogramSource, BeforeAnyRenderTheHistogramIsEmptyAndOnlyANonDrawingEventAsksForARedraw) {
    EXPECT_EQ(sender->idle(), PF_Err_NONE);  // before any draw: nothing to wait for
    EXPECT_TRUE(draw().empty());
    EXPECT_EQ(sender->idle(), PF_Err_NONE);  // no render yet: nothing to show
    EXPECT_TRUE(host->invalidations().empty());
    ASSERT_EQ(render(), PF_Err_NONE);
    ASSERT_EQ(sender->idle(), PF_Err_NONE);
    const std::vector<hostsim::Host::Invalidation> asked = host->invalidations();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].context, sender->contextHandle());
    EXPECT_FALSE(asked[0].whole);
    EXPECT_EQ(asked[0].rect.right, 300);  // the control's frame
    EXPECT_EQ(asked[0].rect.bottom, 110);
    EXPECT_EQ(sender->redraws(), 1);
    EXPECT_EQ(drawnHistogram().brightest(), kFullBrightness);
    EXPECT_EQ(sender->idle(), PF_Err_NONE);  // found: nothing more to ask
    EXPECT_EQ(host->invalidations().size(), 1u);
    EXPECT_EQ(host->checkedOutParams(), 0);
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(EditorHistogramSource, AfterARenderTheDrawShowsItsHistogramAndAsksForNothing) {
    ASSERT_EQ(render(), PF_Err_NONE);
    const DrawnHistogram drawn = draw();
    EXPECT_EQ(drawn.brightest(), kFullBrightness);
    EXPECT_EQ(drawn.redAt(40, 69), kFullBrightness);  // every point's red is 40
    EXPECT_EQ(drawn.redAt(41, 69), 0);
    EXPECT_TRUE(host->invalidations().empty());
    EXPECT_HOST_CLEAN(*host);
}

// The host renders on its own threads while the panel sends idle events: the
// histogram appears with the redraw the first idle event after the render asks for.
TEST_F(EditorHistogramSource, ARenderOnAnotherThreadMakesTheHistogramAppearAtTheNextIdleEvent) {
    EXPECT_TRUE(draw().empty());
    PF_Err rendered = PF_Err_INTERNAL_STRUCT_DAMAGED;
    std::thread renderThread([this, &rendered] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        rendered = render();
    });
    int idles = 0;
    for (; idles < 150 && sender->redraws() == 0; ++idles) {
        ASSERT_EQ(sender->idle(), PF_Err_NONE);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    renderThread.join();
    ASSERT_EQ(rendered, PF_Err_NONE);
    ASSERT_EQ(sender->redraws(), 1);
    EXPECT_GT(idles, 1);
    EXPECT_EQ(sender->lastRedrawResult(), PF_Err_NONE);
    EXPECT_EQ(drawnHistogram().brightest(), kFullBrightness);
    EXPECT_EQ(sender->idle(), PF_Err_NONE);
    EXPECT_EQ(sender->redraws(), 1);
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(EditorHistogramSource, AChangedUpstreamPictureIsDimmedUntilItsRenderThenIdleOrCursorRedraws) {
    for (const bool byCursor : {false, true}) {
        SCOPED_TRACE(byCursor ? "cursor" : "idle");
        const uint8_t before = byCursor ? 200 : 40, after = byCursor ? 120 : 200;
        ASSERT_EQ(render(), PF_Err_NONE);
        EXPECT_EQ(draw().redAt(before, 69), kFullBrightness);
        *layer = flatRedLayer(333, 211, after);  // an upstream setting changed the input
        host->setInputLayer(layer->def());
        host->clearInvalidations();
        const DrawnHistogram pending = draw();
        EXPECT_EQ(pending.brightest(), kPendingBrightness);  // the old bars, dimmed
        EXPECT_EQ(pending.redAt(before, 69), kPendingBrightness);
        ASSERT_EQ(byCursor ? sender->adjustCursor(5, 5) : sender->idle(), PF_Err_NONE);
        EXPECT_TRUE(host->invalidations().empty());  // no render yet
        ASSERT_EQ(render(), PF_Err_NONE);
        const int redraws = sender->redraws();
        ASSERT_EQ(byCursor ? sender->adjustCursor(5, 5) : sender->idle(), PF_Err_NONE);
        EXPECT_EQ(host->invalidations().size(), 1u);
        ASSERT_EQ(sender->redraws(), redraws + 1);
        const DrawnHistogram current = drawnHistogram();
        EXPECT_EQ(current.redAt(after, 69), kFullBrightness);
        EXPECT_EQ(current.redAt(before, 69), 0);
    }
    EXPECT_HOST_CLEAN(*host);
}

// A drag changes the effect's own settings, so the host's key of the layer
// changes too, while the input does not: the bars stay undimmed through the
// draws before the render, and the render's histogram of the exact key
// replaces them (an idle event asks for the redraw that shows it).
TEST_F(EditorHistogramSource, ADragKeepsTheBarsUndimmedUntilTheRenderOfItsSettings) {
    ASSERT_EQ(render(), PF_Err_NONE);
    EXPECT_EQ(draw().redAt(40, 69), kFullBrightness);
    ASSERT_EQ(sender->click(15, 78), PF_Err_NONE);  // the input black handle
    ASSERT_EQ(sender->drag(60, 78), PF_Err_NONE);
    ASSERT_EQ(sender->drag(70, 78, true), PF_Err_NONE);
    EXPECT_EQ(host->param(4).u.fs_d.value, 55.0);
    EXPECT_EQ(drawnHistogram().redAt(40, 69), kFullBrightness);  // the drag's own redraw
    EXPECT_EQ(draw().redAt(40, 69), kFullBrightness);
    host->clearInvalidations();
    ASSERT_EQ(sender->idle(), PF_Err_NONE);
    EXPECT_TRUE(host->invalidations().empty());  // it still waits for the render of the new settings
    ASSERT_EQ(render(), PF_Err_NONE);
    ASSERT_EQ(sender->idle(), PF_Err_NONE);
    EXPECT_EQ(host->invalidations().size(), 1u);
    EXPECT_EQ(drawnHistogram().redAt(40, 69), kFullBrightness);
    ASSERT_EQ(sender->idle(), PF_Err_NONE);
    EXPECT_EQ(host->invalidations().size(), 1u);  // found: the wait is over

    // The same settings at another time: the layer may show another frame.
    host->inData().current_time += host->inData().time_step;
    EXPECT_EQ(draw().redAt(40, 69), kPendingBrightness);
    host->inData().current_time -= host->inData().time_step;
    EXPECT_HOST_CLEAN(*host);
}

// The host may never render the frame on show (it serves it from its own
// cache): the editor stops waiting after two seconds, and starts again with
// the next draw that misses.
TEST_F(EditorHistogramSource, WaitingEndsAfterTwoSecondsAndStartsAgainWithTheNextMissingDraw) {
    draw();
    std::this_thread::sleep_for(kPatience + std::chrono::milliseconds(100));
    ASSERT_EQ(sender->idle(), PF_Err_NONE);  // given up
    ASSERT_EQ(render(), PF_Err_NONE);
    ASSERT_EQ(sender->idle(), PF_Err_NONE);
    EXPECT_TRUE(host->invalidations().empty());
    *layer = flatRedLayer(333, 211, 99);
    host->setInputLayer(layer->def());
    draw();  // misses: waits again
    ASSERT_EQ(render(), PF_Err_NONE);
    ASSERT_EQ(sender->idle(), PF_Err_NONE);
    EXPECT_EQ(host->invalidations().size(), 1u);
    EXPECT_EQ(drawnHistogram().redAt(99, 69), kFullBrightness);
    EXPECT_HOST_CLEAN(*host);
}

// The host asks for no drawing now: nothing is drawn, the event is handled.
TEST_F(EditorHistogramSource, ADrawMarkedDontDrawDrawsNothing) {
    ASSERT_EQ(render(), PF_Err_NONE);
    hostsim::DrawbotSim::current().resetCalls();
    ASSERT_EQ(sender->draw(PF_EI_DONT_DRAW), PF_Err_NONE);
    EXPECT_EQ(sender->lastEvent().evt_out_flags, PF_EO_HANDLED_EVENT);
    EXPECT_EQ(hostsim::DrawbotSim::current().calls("PF_GetDrawingReference"), 0);
    EXPECT_TRUE(hostsim::DrawbotSim::current().operations().empty());
    EXPECT_EQ(draw().redAt(40, 69), kFullBrightness);
    EXPECT_HOST_CLEAN(*host);
}

// Bad input: idle and cursor events on editors that never drew, a host without
// the application suite while the editor waits.
TEST_F(EditorHistogramSource, NonDrawingEventsAskNothingOfAnEditorThatDoesNotWait) {
    const PF_ProgPtr second = host->addInstance();
    hostsim::EventSender::Options options;
    options.instance = second;
    hostsim::EventSender secondSender(*host, options);
    ASSERT_EQ(render(), PF_Err_NONE);
    ASSERT_EQ(secondSender.idle(), PF_Err_NONE);
    ASSERT_EQ(secondSender.adjustCursor(20, 20), PF_Err_NONE);
    EXPECT_TRUE(host->invalidations().empty());

    *layer = flatRedLayer(333, 211, 12);
    host->setInputLayer(layer->def());
    draw();
    ASSERT_EQ(render(), PF_Err_NONE);
    host->refuseSuite("PF AE App Suite", 6);
    host->refuseSuite("PF AE App Suite", 5);
    EXPECT_EQ(sender->idle(), PF_Err_NONE);  // no redraw can be asked: it shows what it has
    EXPECT_TRUE(host->invalidations().empty());
    host->allowSuite("PF AE App Suite", 6);
    host->allowSuite("PF AE App Suite", 5);
    EXPECT_EQ(draw().redAt(12, 69), kFullBrightness);
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(EditorHistogramSource, TwoInstancesOnDifferentInputsKeepTheirOwnHistograms) {
    const PF_ProgPtr second = host->addInstance();
    hostsim::World otherLayer = flatRedLayer(100, 300, 120);
    host->setInputLayerFor(second, otherLayer.def());
    hostsim::EventSender::Options options;
    options.instance = second;
    hostsim::EventSender secondSender(*host, options);
    ASSERT_EQ(render(), PF_Err_NONE);
    ASSERT_EQ(render(second), PF_Err_NONE);

    EXPECT_EQ(draw().redAt(40, 69), kFullBrightness);
    ASSERT_EQ(secondSender.draw(), PF_Err_NONE);
    DrawnHistogram other = drawnHistogram();
    EXPECT_EQ(other.redAt(120, 69), kFullBrightness);
    EXPECT_EQ(other.redAt(40, 69), 0);

    // The second input changes: only its editor waits, with its own old bars.
    otherLayer = flatRedLayer(100, 300, 7);
    host->setInputLayerFor(second, otherLayer.def());
    ASSERT_EQ(secondSender.draw(), PF_Err_NONE);
    other = drawnHistogram();
    EXPECT_EQ(other.redAt(120, 69), kPendingBrightness);
    const DrawnHistogram first = draw();
    EXPECT_EQ(first.redAt(40, 69), kFullBrightness);
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(EditorHistogramSource, WithoutTheHostsStateRendersWorkAndTheEditorShowsNoHistogram) {
    ASSERT_EQ(render(), PF_Err_NONE);
    EXPECT_EQ(draw().redAt(40, 69), kFullBrightness);  // an earlier frame's histogram is not shown after
    for (const bool refused : {true, false}) {
        SCOPED_TRACE(refused ? "suite refused" : "PF_GetCurrentState fails");
        if (refused) {
            host->refuseSuite("PF Param Utils Suite", 3);
        } else {
            host->failCurrentState(PF_Err_INTERNAL_STRUCT_DAMAGED);
        }
        ASSERT_EQ(render(), PF_Err_NONE);
        EXPECT_TRUE(draw().empty());
        EXPECT_TRUE(host->invalidations().empty());  // no key: nothing a render could bring
        host->allowSuite("PF Param Utils Suite", 3);
        host->failCurrentState(PF_Err_NONE);
    }
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(EditorHistogramSource, SmartRenderedFloatFramesFeedTheEditorToo) {
    hostsim::World floats(257, 130, PF_PixelFormat_ARGB128);
    for (int y = 0; y < floats.height(); ++y) {
        for (int x = 0; x < floats.width(); ++x) floats.pixelFloat(x, y) = PF_PixelFloat{1.0f, 0.5f, 2.0f, -1.0f};
    }
    host->setInputLayer(floats.def());
    hostsim::World output(257, 130, PF_PixelFormat_ARGB128);
    ASSERT_EQ(host->smartPreRender(hostsim::Host::fullRequest(257, 130), 32), PF_Err_NONE);
    ASSERT_EQ(host->smartRender(output.def()), PF_Err_NONE);
    const DrawnHistogram drawn = draw();
    EXPECT_EQ(drawn.redAt(128, 69), kFullBrightness);  // lrint(0.5 x 255) = 128
    EXPECT_TRUE(host->invalidations().empty());
    EXPECT_HOST_CLEAN(*host);
}

// A render that fails leaves no histogram behind.
TEST_F(EditorHistogramSource, AFailedRenderLeavesNoHistogram) {
    hostsim::World deepOutput(333, 211, PF_PixelFormat_ARGB64);  // of another depth than the input
    EXPECT_NE(host->render(deepOutput.def()), PF_Err_NONE);
    EXPECT_TRUE(draw().empty());
    EXPECT_HOST_CLEAN(*host);
}

// ---- the simulator is as strict as the host's guide ---------------------------------------------

TEST_F(EditorHistogramSource, TheSimulatorRefusesLayerCheckoutsOnTheUiThread) {
    host->callAs(PF_Cmd_EVENT, [](PF_InData* in, PF_OutData*) {
        PF_ParamDef def{};
        EXPECT_EQ(in->inter.checkout_param(in->effect_ref, 0, in->current_time, in->time_step, in->time_scale, &def),
                  PF_Err_NONE);
        in->inter.checkin_param(in->effect_ref, &def);
        return PF_Err_NONE;
    });
    ASSERT_EQ(host->violations().size(), 1u);
    EXPECT_NE(host->violations()[0].find("during an event"), std::string::npos);
    host->clearViolations();

    // In a parameter-UI update the host hands out a black frame of the layer's size.
    host->callAs(PF_Cmd_UPDATE_PARAMS_UI, [this](PF_InData* in, PF_OutData*) {
        PF_ParamDef def{};
        EXPECT_EQ(in->inter.checkout_param(in->effect_ref, 0, in->current_time, in->time_step, in->time_scale, &def),
                  PF_Err_NONE);
        EXPECT_EQ(def.u.ld.width, layer->width());
        EXPECT_EQ(def.u.ld.height, layer->height());
        EXPECT_NE(def.u.ld.data, layer->def()->data);
        const auto* bytes = reinterpret_cast<const uint8_t*>(def.u.ld.data);
        int lit = 0;
        for (int k = 0; k < def.u.ld.rowbytes * def.u.ld.height; ++k) lit += bytes[k] != 0;
        EXPECT_EQ(lit, 0);
        in->inter.checkin_param(in->effect_ref, &def);
        return PF_Err_NONE;
    });
    EXPECT_EQ(host->violations().size(), 1u);
    host->clearViolations();
    EXPECT_EQ(host->checkedOutParams(), 0);
}

TEST_F(EditorHistogramSource, TheSimulatorIgnoresARedrawAskedDuringADraw) {
    host->setEventInProgress(PF_Event_DRAW);
    host->callAs(PF_Cmd_EVENT, [this](PF_InData*, PF_OutData*) {
        host->recordInvalidation(sender->contextHandle(), nullptr);
        return PF_Err_NONE;
    });
    host->setEventInProgress(-1);
    EXPECT_TRUE(host->invalidations().empty());
    ASSERT_EQ(host->violations().size(), 1u);
    EXPECT_NE(host->violations()[0].find("PF_Event_DRAW"), std::string::npos);
    host->clearViolations();
}

// The host's state of the input layer: the layer's pixels, the time span and
// every one of the effect's own parameters; the same in a render and in an
// event for the same values.
TEST_F(EditorHistogramSource, TheHostsStateFollowsTheLayerTheTimeAndEveryOwnParameter) {
    const auto stateIn = [this](PF_Cmd cmd, A_long time = 0) {
        PF_State state{};
        host->callAs(cmd, [&](PF_InData* in, PF_OutData*) {
            const A_Time start{time, 30000}, frame{1001, 30000};
            EXPECT_EQ(host->getCurrentState(in->effect_ref, 0, &start, &frame, &state), PF_Err_NONE);
            return PF_Err_NONE;
        });
        return state;
    };
    const auto same = [](const PF_State& a, const PF_State& b) { return std::memcmp(&a, &b, sizeof(a)) == 0; };
    const PF_State first = stateIn(PF_Cmd_RENDER);
    EXPECT_TRUE(same(first, stateIn(PF_Cmd_EVENT)));
    EXPECT_FALSE(same(first, stateIn(PF_Cmd_RENDER, 1001)));
    hostsim::World copy = flatRedLayer(333, 211, 40);  // the same pixels in another world
    host->setInputLayer(copy.def());
    EXPECT_TRUE(same(first, stateIn(PF_Cmd_EVENT)));
    copy.pixel8(332, 210).blue = 1;
    EXPECT_FALSE(same(first, stateIn(PF_Cmd_RENDER)));
    copy.pixel8(332, 210).blue = 0;
    for (int index = 1; index < host->paramCount(); ++index) {
        PF_ParamDef& def = host->param(index);
        const PF_ParamDef saved = def;
        switch (def.param_type) {
            case PF_Param_POPUP: def.u.pd.value += 1; break;
            case PF_Param_FLOAT_SLIDER: def.u.fs_d.value += 0.5; break;
            case PF_Param_CHECKBOX: def.u.bd.value = !def.u.bd.value; break;
            default: continue;  // no value
        }
        EXPECT_FALSE(same(first, stateIn(PF_Cmd_EVENT))) << "parameter " << index;
        def = saved;
    }
    EXPECT_TRUE(same(first, stateIn(PF_Cmd_RENDER)));
}

}  // namespace
