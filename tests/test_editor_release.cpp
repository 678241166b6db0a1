// Everything a draw, click, drag or cursor event acquires is given back, on
// every path: suites, Drawbot objects, thumbnail worlds and checked-out layers,
// also when the host refuses a suite or a Drawbot call fails. A failed event
// answers a host error code (no exception reaches the host) and leaves the
// host's evt_out_flags as they were.
#include <cstring>
#include <string>
#include <vector>

#include "tests/test_editor_fixture.h"

namespace {

using namespace zanth_test;
using Ombrix::Levels::kChannelRGB;
using Ombrix::Levels::kSlotInputBlack;

const char* const kObjectKinds[] = {"DRAWBOT_Pen", "DRAWBOT_Brush", "DRAWBOT_Path", "DRAWBOT_Image"};
constexpr int kObjectsPerDraw = 8 + 7 + 16 + 2;  // pens, brushes, paths, images of one draw

class EditorRelease : public EditorTest {
protected:
    // A draw with flags the host set beforehand.
    PF_Err drawWithFlags(PF_EventExtra& event) {
        event = sender->makeEvent(PF_Event_DRAW);
        event.evt_out_flags = PF_EO_NEVER_UPDATE;
        return sender->send(event);
    }
    int liveDrawbotObjects() const {
        int live = 0;
        for (const char* kind : kObjectKinds) live += host->liveObjects(kind);
        return live;
    }
    void expectSuitesBalanced() {
        for (const auto& s : {std::pair<const char*, int>{"DRAWBOT Draw Suite", 1}, {"DRAWBOT Supplier Suite", 1},
                              {"DRAWBOT Surface Suite", 2}, {"DRAWBOT Path Suite", 1},
                              {"PF Effect Custom UI Suite", 1}, {"PF World Suite", 2}, {"PF AE App Suite", 6},
                              {"PF AE App Suite", 5}, {"PF Param Utils Suite", 3}}) {
            const hostsim::SuiteCounts c = host->suiteCounts(s.first, s.second);
            EXPECT_EQ(c.acquired, c.released) << s.first;
        }
        EXPECT_EQ(host->checkedOutParams(), 0);
        EXPECT_EQ(host->liveObjects("PF_EffectWorld"), 0);
    }
};

TEST_F(EditorRelease, ADrawGivesBackEverythingItMade) {
    drawbot().resetCalls();
    const hostsim::SuiteCounts drawBefore = host->suiteCounts("DRAWBOT Draw Suite", 1);
    const hostsim::SuiteCounts worldBefore = host->suiteCounts("PF World Suite", 2);
    const hostsim::SuiteCounts utilsBefore = host->suiteCounts("PF Param Utils Suite", 3);
    PF_EventExtra event;
    ASSERT_EQ(drawWithFlags(event), PF_Err_NONE);
    EXPECT_EQ(event.evt_out_flags, PF_EO_HANDLED_EVENT);
    EXPECT_EQ(host->suiteCounts("DRAWBOT Draw Suite", 1).acquired, drawBefore.acquired + 1);
    // The histogram comes from the renders: the draw makes no world, only asks what the layer shows.
    EXPECT_EQ(host->suiteCounts("PF World Suite", 2).acquired, worldBefore.acquired);
    EXPECT_EQ(host->suiteCounts("PF Param Utils Suite", 3).acquired, utilsBefore.acquired + 1);
    const int made = drawbot().calls("NewPen") + drawbot().calls("NewBrush") + drawbot().calls("NewPath") +
                     drawbot().calls("NewImageFromBuffer");
    EXPECT_EQ(made, kObjectsPerDraw);
    EXPECT_EQ(drawbot().calls("ReleaseObject"), made);  // each exactly once
    EXPECT_EQ(drawbot().calls("DrawImage"), 2);         // the histogram and the gradient
    expectSuitesBalanced();
    EXPECT_HOST_CLEAN(*host);
}

// A host service's own error reaches the host as it was returned: the custom-UI
// suite that cannot give a drawing reference fails the draw with its code.
TEST_F(EditorRelease, TheDrawingReferencesErrorIsTheDrawsResult) {
    for (const PF_Err code : {PF_Err_INTERNAL_STRUCT_DAMAGED, PF_Err_OUT_OF_MEMORY, PF_Interrupt_CANCEL}) {
        drawbot().failCall("PF_GetDrawingReference", code);
        PF_EventExtra event;
        EXPECT_EQ(drawWithFlags(event), code);
        EXPECT_EQ(event.evt_out_flags, PF_EO_NEVER_UPDATE);
        drawbot().clearFailures();
        expectSuitesBalanced();
        EXPECT_HOST_CLEAN(*host);
    }
    ASSERT_EQ(sender->draw(), PF_Err_NONE);
}

// ---- refused suites ------------------------------------------------------------------------------

struct SuiteRefusal {
    const char* name;
    int32_t version;
    bool nullTable;
};

void PrintTo(const SuiteRefusal& r, std::ostream* os) {
    *os << r.name << " v" << r.version << (r.nullTable ? " (no table)" : "");
}

class EditorRefusedDrawbotSuite : public EditorRelease, public ::testing::WithParamInterface<SuiteRefusal> {};

TEST_P(EditorRefusedDrawbotSuite, StopsTheDrawWithAnErrorAndDrawsNothing) {
    const SuiteRefusal& r = GetParam();
    if (r.nullTable) {
        host->giveNullSuite(r.name, r.version);
    } else {
        host->refuseSuite(r.name, r.version);
    }
    drawbot().resetCalls();
    std::memset(host->outData().return_msg, 0, sizeof(host->outData().return_msg));
    PF_EventExtra event;
    EXPECT_EQ(drawWithFlags(event), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(event.evt_out_flags, PF_EO_NEVER_UPDATE);
    EXPECT_EQ(std::string(host->outData().return_msg),
              "Not able to acquire AEFX Suite-" + std::string(r.name) + "-" + std::to_string(r.version));
    EXPECT_NE(host->outData().out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE, 0);
    EXPECT_EQ(drawbot().calls("PF_GetDrawingReference"), 0);
    EXPECT_EQ(drawbot().calls("NewPen"), 0);
    EXPECT_EQ(host->suiteCounts("PF World Suite", 2).acquired, host->suiteCounts("PF World Suite", 2).released);
    host->allowSuite(r.name, r.version);
    expectSuitesBalanced();
    EXPECT_HOST_CLEAN(*host);
    ASSERT_EQ(sender->draw(), PF_Err_NONE);  // and the next draw works again
}

INSTANTIATE_TEST_SUITE_P(EachOfTheFour, EditorRefusedDrawbotSuite,
                         ::testing::Values(SuiteRefusal{"DRAWBOT Draw Suite", 1, false},
                                           SuiteRefusal{"DRAWBOT Supplier Suite", 1, false},
                                           SuiteRefusal{"DRAWBOT Surface Suite", 2, false},
                                           SuiteRefusal{"DRAWBOT Path Suite", 1, false},
                                           SuiteRefusal{"DRAWBOT Surface Suite", 2, true},
                                           SuiteRefusal{"DRAWBOT Path Suite", 1, true}));

TEST_F(EditorRelease, ARefusedCustomUiSuiteStopsTheDrawAfterGivingBackTheDrawbotSuites) {
    host->refuseSuite("PF Effect Custom UI Suite", 1);
    drawbot().resetCalls();
    PF_EventExtra event;
    EXPECT_EQ(drawWithFlags(event), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(event.evt_out_flags, PF_EO_NEVER_UPDATE);
    EXPECT_EQ(drawbot().calls("NewPen"), 0);
    expectSuitesBalanced();
    EXPECT_HOST_CLEAN(*host);
}

// The drag's redraw asks "PF AE App Suite" version 6, or version 5 where the
// host has no 6; with neither, the drag fails but keeps the value it wrote.
TEST_F(EditorRelease, ARefusedAppSuiteFailsTheDragButKeepsTheValueItWrote) {
    for (bool nullTable : {false, true}) {
        for (const int32_t version : {6, 5}) {
            if (nullTable) {
                host->giveNullSuite("PF AE App Suite", version);
            } else {
                host->refuseSuite("PF AE App Suite", version);
            }
        }
        PF_EventExtra drag = sender->makeEvent(PF_Event_DRAG);
        drag.u.do_click.screen_point = PF_Point{kVx + 66, 78};
        drag.u.do_click.continue_refcon[0] = 1;
        drag.evt_out_flags = PF_EO_NEVER_UPDATE;
        EXPECT_EQ(sender->send(drag), PF_Err_BAD_CALLBACK_PARAM);
        EXPECT_EQ(drag.evt_out_flags, PF_EO_NEVER_UPDATE);
        EXPECT_EQ(value(level(kChannelRGB, kSlotInputBlack)), 66.0);
        EXPECT_TRUE(host->invalidations().empty());
        host->allowSuite("PF AE App Suite", 6);
        host->allowSuite("PF AE App Suite", 5);
        setValue(level(kChannelRGB, kSlotInputBlack), 0.0);
    }
    expectSuitesBalanced();
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(EditorRelease, AHostWithoutAppSuiteVersionSixInvalidatesThroughVersionFive) {
    host->refuseSuite("PF AE App Suite", 6);
    PF_EventExtra drag = sender->makeEvent(PF_Event_DRAG);
    drag.u.do_click.screen_point = PF_Point{kVx + 66, 78};
    drag.u.do_click.continue_refcon[0] = 1;
    EXPECT_EQ(sender->send(drag), PF_Err_NONE);
    EXPECT_EQ(value(level(kChannelRGB, kSlotInputBlack)), 66.0);
    ASSERT_EQ(host->invalidations().size(), 1u);
    EXPECT_EQ(host->suiteCounts("PF AE App Suite", 5).acquired, 1);
    expectSuitesBalanced();
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(EditorRelease, ClicksAndCursorsNeedNoSuite) {
    host->withdrawBasicSuite(true);
    ASSERT_EQ(sender->click(kVx, 78), PF_Err_NONE);
    EXPECT_EQ(sender->lastEvent().u.do_click.continue_refcon[0], 1);
    PF_CursorType cursor = PF_Cursor_NONE;
    ASSERT_EQ(sender->adjustCursor(kVx, 78, &cursor), PF_Err_NONE);
    EXPECT_EQ(cursor, PF_Cursor_FINGER_POINTER);
    host->withdrawBasicSuite(false);
    EXPECT_HOST_CLEAN(*host);
}

// ---- failing Drawbot calls ----------------------------------------------------------------------------

struct CallFailure {
    const char* function;
    int nth;    // which call from the start of the draw
    int times;  // < 0: every one from there on
    bool drawFails;
};
void PrintTo(const CallFailure& c, std::ostream* os) { *os << c.function << " call " << c.nth; }

class EditorFailingCall : public EditorRelease, public ::testing::WithParamInterface<CallFailure> {};

TEST_P(EditorFailingCall, NoExceptionReachesTheHostAndNothingIsKept) {
    const CallFailure& f = GetParam();
    drawbot().failCall(f.function, 7, f.nth, f.times);
    PF_EventExtra event;
    const PF_Err err = drawWithFlags(event);
    drawbot().clearFailures();
    if (f.drawFails) {
        // The custom-UI suite's own code reaches the host; Drawbot failures are 516.
        EXPECT_EQ(err, std::string(f.function) == "PF_GetDrawingReference" ? 7 : PF_Err_BAD_CALLBACK_PARAM);
        EXPECT_EQ(event.evt_out_flags, PF_EO_NEVER_UPDATE);
    } else {
        EXPECT_EQ(err, PF_Err_NONE);  // drawing results are returned, not raised
        EXPECT_EQ(event.evt_out_flags, PF_EO_HANDLED_EVENT);
    }
    EXPECT_EQ(liveDrawbotObjects(), 0);
    expectSuitesBalanced();
    EXPECT_HOST_CLEAN(*host);
    ASSERT_EQ(sender->draw(), PF_Err_NONE);
}

INSTANTIATE_TEST_SUITE_P(
    Draw, EditorFailingCall,
    ::testing::Values(CallFailure{"PF_GetDrawingReference", 1, 1, true}, CallFailure{"GetSupplier", 1, 1, true},
                      CallFailure{"GetSurface", 1, 1, true}, CallFailure{"GetSupplier", 2, 1, true},
                      CallFailure{"GetSurface", 2, 1, true}, CallFailure{"NewPen", 1, 1, true},
                      CallFailure{"NewPen", 2, 1, true}, CallFailure{"NewPen", 5, 1, true},
                      CallFailure{"NewPen", 8, 1, true}, CallFailure{"NewPath", 1, 1, true},
                      CallFailure{"NewPath", 4, 1, true}, CallFailure{"NewPath", 7, 1, true},
                      CallFailure{"NewPath", 14, 1, true}, CallFailure{"NewBrush", 1, 1, true},
                      CallFailure{"NewBrush", 2, 1, true}, CallFailure{"NewBrush", 7, 1, true},
                      CallFailure{"NewImageFromBuffer", 1, 1, true}, CallFailure{"NewImageFromBuffer", 2, 1, true},
                      CallFailure{"StrokePath", 1, -1, false}, CallFailure{"FillPath", 1, -1, false},
                      CallFailure{"DrawImage", 1, -1, false}, CallFailure{"MoveTo", 1, -1, false},
                      CallFailure{"AddRect", 1, -1, false}, CallFailure{"BezierTo", 1, -1, false},
                      CallFailure{"Close", 1, -1, false}),
    [](const ::testing::TestParamInfo<CallFailure>& info) {
        return std::string(info.param.function) + "_" + std::to_string(info.param.nth) +
               (info.param.times < 0 ? "_onward" : "");
    });

TEST_F(EditorRelease, AFailingReleaseIsIgnoredAndTheDrawCarriesOn) {
    for (int nth : {1, 9, 31}) {
        drawbot().failCall("ReleaseObject", 7, nth, 1);
        PF_EventExtra event;
        EXPECT_EQ(drawWithFlags(event), PF_Err_NONE) << "release " << nth;
        EXPECT_EQ(event.evt_out_flags, PF_EO_HANDLED_EVENT);
        // The host kept the one object it refused to release; nothing else is held.
        EXPECT_EQ(liveDrawbotObjects(), nth == 1 ? 1 : nth == 9 ? 2 : 3);
    }
    drawbot().failCall("ReleaseObject", 7, 1, -1);
    PF_EventExtra event;
    EXPECT_EQ(drawWithFlags(event), PF_Err_NONE);
    drawbot().clearFailures();
    EXPECT_EQ(liveDrawbotObjects(), 3 + kObjectsPerDraw);
    EXPECT_TRUE(host->violations().empty());  // no second release of any object
    // Those are exactly the objects whose release the host refused.
    EXPECT_EQ(drawbot().collectRefusedReleases(), 3 + kObjectsPerDraw);
    EXPECT_EQ(liveDrawbotObjects(), 0);
    expectSuitesBalanced();
}

// ---- layers that give no histogram --------------------------------------------------------------------

TEST_F(EditorRelease, LayersWithoutAGridDrawAnEmptyHistogram) {
    hostsim::World line(300, 1);  // a grid of 256 x 0 points
    for (const PF_EffectWorld* world : std::vector<const PF_EffectWorld*>{nullptr, line.def()}) {
        host->setInputLayer(world);
        renderLayer();
        PF_EventExtra event;
        EXPECT_EQ(drawWithFlags(event), PF_Err_NONE);
        EXPECT_EQ(event.evt_out_flags, PF_EO_HANDLED_EVENT);
        expectSuitesBalanced();
        EXPECT_HOST_CLEAN(*host);
    }
}

TEST_F(EditorRelease, BadEventRecordsAreRefused) {
    EXPECT_EQ(host->send(PF_Cmd_EVENT, nullptr, nullptr), PF_Err_BAD_CALLBACK_PARAM);
    setChannel(9);  // no channel block to show
    PF_EventExtra event;
    EXPECT_EQ(drawWithFlags(event), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(event.evt_out_flags, PF_EO_NEVER_UPDATE);
    PF_EventExtra drag = sender->makeEvent(PF_Event_DRAG);
    drag.u.do_click.screen_point = PF_Point{kVx + 66, 78};
    drag.u.do_click.continue_refcon[0] = 1;
    EXPECT_EQ(sender->send(drag), PF_Err_NONE);
    EXPECT_TRUE(host->lastChanges().empty());
    PF_EventExtra orphan = sender->makeEvent(PF_Event_DRAW);
    orphan.contextH = nullptr;  // no window: not ours
    EXPECT_EQ(sender->send(orphan), PF_Err_NONE);
    setChannel(kChannelRGB);
    expectSuitesBalanced();
    EXPECT_HOST_CLEAN(*host);
}

}  // namespace
