// The histogram control's mouse handling through the module, as the host sends
// the events: hit tests and drags of all five handles in several channels,
// drags outside the histogram, the gamma handle's mapping, the scale slider,
// the display-mode toggle, the cursor, and the events the control ignores.
#include <cmath>
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
using Ombrix::Levels::LevelSlot;

class EditorInteraction : public EditorTest {
protected:
    // Input black 40, input white 200, gamma 1 (handle at 120), output black 60,
    // output white 180 for `channel`, shown and drawn.
    void spreadHandles(int channel) {
        setChannel(channel);
        setValue(level(channel, kSlotInputBlack), 40);
        setValue(level(channel, kSlotInputWhite), 200);
        setValue(level(channel, kSlotGamma), 1);
        setValue(level(channel, kSlotOutputBlack), 60);
        setValue(level(channel, kSlotOutputWhite), 180);
        ASSERT_EQ(sender->draw(), PF_Err_NONE);
    }
    A_intptr_t grabbed() const { return sender->lastEvent().u.do_click.continue_refcon[0]; }
    bool askedForDrags() const { return sender->lastEvent().u.do_click.send_drag != 0; }
    // Mode as the next draw shows it (1 colour, 2 combined), in the RGB view.
    int modeShown() {
        const int channel = host->param(Ombrix::Levels::kParamChannel).u.pd.value;
        setChannel(kChannelRGB);
        EXPECT_EQ(sender->draw(), PF_Err_NONE);
        setChannel(channel);
        const int mode = filledButton();
        EXPECT_EQ(sender->draw(), PF_Err_NONE);  // the geometry of the channel shown again
        return mode;
    }
};

// ---- handles ---------------------------------------------------------------------------------

struct HandleCase {
    int target;       // the drag code the click stores
    LevelSlot slot;   // the parameter it edits
    int anchorX;      // anchor with spreadHandles, relative to vx
    int anchorY;      // relative to the control
    int dragTo;       // a value to drag to (relative to vx)
    double expected;  // the parameter value then
};

const HandleCase kHandles[] = {
    {1, kSlotInputBlack, 40, 75, 90, 90.0},
    {2, kSlotGamma, 120, 75, 200, 0.0},  // onto the input white handle: gamma 0
    {3, kSlotInputWhite, 200, 75, 250, 250.0},
    {4, kSlotOutputBlack, 60, 100, 5, 5.0},
    {5, kSlotOutputWhite, 180, 100, 255, 255.0},
};

class EditorHandles : public EditorInteraction, public ::testing::WithParamInterface<int> {};

TEST_P(EditorHandles, EachHandleIsGrabbedAndDraggedInItsChannel) {
    const int channel = GetParam();
    for (const HandleCase& h : kHandles) {
        SCOPED_TRACE("channel " + std::to_string(channel) + ", drag target " + std::to_string(h.target));
        spreadHandles(channel);
        ASSERT_EQ(sender->click(kVx + h.anchorX, h.anchorY + 3), PF_Err_NONE);
        EXPECT_EQ(grabbed(), h.target);
        EXPECT_TRUE(askedForDrags());
        EXPECT_EQ(sender->lastEvent().evt_out_flags, PF_EO_HANDLED_EVENT | PF_EO_UPDATE_NOW);
        ASSERT_EQ(sender->drag(kVx + h.dragTo, h.anchorY + 40, true), PF_Err_NONE);
        const int index = level(channel, h.slot);
        EXPECT_DOUBLE_EQ(value(index), h.expected);
        // Only that parameter changed, in that channel.
        for (int other = 4; other <= 36; ++other) {
            if (other == index) continue;
            const PF_ParamDef& p = host->param(other);
            if (p.param_type != PF_Param_FLOAT_SLIDER) continue;
            const int block = (other - 3) / 7 + 1;
            const int slot = (other - 3) % 7;
            const double expected = block != channel ? (slot == 2 ? 255.0 : slot == 3 ? 1.0 : slot == 5 ? 255.0 : 0.0)
                                    : slot == 1 ? 40.0 : slot == 2 ? 200.0 : slot == 3 ? 1.0 : slot == 4 ? 60.0 : 180.0;
            EXPECT_DOUBLE_EQ(p.u.fs_d.value, expected) << "parameter " << other;
        }
        // Back to the start for the next handle.
        for (int slot = 1; slot <= 5; ++slot) {
            setValue(level(channel, static_cast<LevelSlot>(slot)), slot == 2 || slot == 5 ? 255.0 : slot == 3 ? 1.0 : 0.0);
        }
    }
    EXPECT_HOST_CLEAN(*host);
}

INSTANTIATE_TEST_SUITE_P(SeveralChannels, EditorHandles,
                         ::testing::Values(kChannelRGB, kChannelRed, kChannelGreen, kChannelBlue, kChannelAlpha));

// A handle takes clicks only in the box of its triangle, apex row to base row:
// not a pixel above the apex, nor below the base, nor beside it.
TEST_F(EditorInteraction, AnOutputHandleTakesClicksOnlyWhereItIsDrawn) {
    spreadHandles(kChannelRed);
    const int apexY = kVy + 95;
    struct Probe {
        int dx, y;
        A_intptr_t expected;
    };
    const Probe probes[] = {
        {0, apexY - 1, 0}, {0, apexY - 2, 0}, {0, apexY - 3, 0},  // just above the apex
        {0, apexY, 4},     {0, apexY + 1, 4}, {0, apexY + 5, 4},  // apex to base
        {-5, apexY + 5, 4}, {5, apexY + 5, 4},                    // the base's ends
        {0, apexY + 6, 0}, {-6, apexY + 3, 0}, {6, apexY + 3, 0}, // below and beside
    };
    for (const Probe& p : probes) {
        SCOPED_TRACE("output black handle, x " + std::to_string(p.dx) + ", y " + std::to_string(p.y));
        ASSERT_EQ(sender->click(kVx + 60 + p.dx, p.y), PF_Err_NONE);
        EXPECT_EQ(askedForDrags() ? grabbed() : 0, p.expected);
        PF_CursorType cursor = PF_Cursor_NONE;
        ASSERT_EQ(sender->adjustCursor(kVx + 60 + p.dx, p.y, &cursor), PF_Err_NONE);
        EXPECT_EQ(cursor == PF_Cursor_FINGER_POINTER, p.expected != 0);
    }
    // The output white handle the same way.
    ASSERT_EQ(sender->click(kVx + 180, apexY - 1), PF_Err_NONE);
    EXPECT_FALSE(askedForDrags());
    ASSERT_EQ(sender->click(kVx + 180, apexY), PF_Err_NONE);
    EXPECT_TRUE(askedForDrags());
    EXPECT_EQ(grabbed(), 5);
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(EditorInteraction, EveryDragOfADragWritesTheValueWithTheChangeFlag) {
    spreadHandles(kChannelRed);
    ASSERT_EQ(sender->click(kVx + 40, 78), PF_Err_NONE);
    const int index = level(kChannelRed, kSlotInputBlack);
    for (int x : {50, 60, 70}) {
        ASSERT_EQ(sender->drag(kVx + x, 78, x == 70), PF_Err_NONE);
        EXPECT_EQ(value(index), x);
    }
    EXPECT_FALSE(sender->dragging());
}

TEST_F(EditorInteraction, ADragCarriesTheHostsChangeAndARedraw) {
    spreadHandles(kChannelRGB);
    sender.reset();
    hostsim::EventSender::Options options;
    options.redrawWhenAsked = false;
    sender = std::make_unique<hostsim::EventSender>(*host, options);
    ASSERT_EQ(sender->draw(), PF_Err_NONE);
    ASSERT_EQ(sender->click(kVx + 200, 78), PF_Err_NONE);
    host->clearInvalidations();
    const int appSuites = host->suiteCounts("PF AE App Suite", 6).acquired;
    PF_EventExtra drag = sender->makeEvent(PF_Event_DRAG);
    drag.u.do_click.screen_point = PF_Point{kVx + 128, 78};
    drag.u.do_click.continue_refcon[0] = 3;
    drag.evt_out_flags = PF_EO_ALWAYS_UPDATE;
    ASSERT_EQ(sender->send(drag), PF_Err_NONE);
    ASSERT_EQ(host->lastChanges().size(), 1u);
    EXPECT_EQ(host->lastChanges()[0].first, level(kChannelRGB, kSlotInputWhite));
    EXPECT_EQ(host->lastChanges()[0].second.u.fs_d.value, 128.0);
    EXPECT_EQ(drag.evt_out_flags, PF_EO_ALWAYS_UPDATE | PF_EO_HANDLED_EVENT | PF_EO_UPDATE_NOW);
    const auto invalidations = host->invalidations();
    ASSERT_EQ(invalidations.size(), 1u);
    EXPECT_EQ(invalidations[0].context, sender->contextHandle());
    EXPECT_FALSE(invalidations[0].whole);
    EXPECT_EQ(invalidations[0].rect.right, 300);
    EXPECT_EQ(invalidations[0].rect.bottom, 110);
    EXPECT_EQ(host->suiteCounts("PF AE App Suite", 6).acquired, appSuites + 1);
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(EditorInteraction, OnlyTheLow32BitsOfTheContinuationCount) {
    spreadHandles(kChannelRGB);
    PF_EventExtra drag = sender->makeEvent(PF_Event_DRAG);
    drag.u.do_click.screen_point = PF_Point{kVx + 77, 78};
    drag.u.do_click.continue_refcon[0] = static_cast<A_intptr_t>((int64_t{1} << 32) | 1);
    ASSERT_EQ(sender->send(drag), PF_Err_NONE);
    EXPECT_EQ(value(level(kChannelRGB, kSlotInputBlack)), 77.0);
}

TEST_F(EditorInteraction, AnUnknownDragTargetChangesNothingButStillRedraws) {
    spreadHandles(kChannelRGB);
    PF_EventExtra drag = sender->makeEvent(PF_Event_DRAG);
    drag.u.do_click.screen_point = PF_Point{kVx + 77, 78};
    drag.u.do_click.continue_refcon[0] = 7;
    ASSERT_EQ(sender->send(drag), PF_Err_NONE);
    EXPECT_TRUE(host->lastChanges().empty());
    EXPECT_EQ(drag.evt_out_flags, PF_EO_HANDLED_EVENT | PF_EO_UPDATE_NOW);
    EXPECT_EQ(host->invalidations().size(), 1u);
}

TEST_F(EditorInteraction, OverlappingHandlesGiveTheFirstInTestOrder) {
    setValue(level(kChannelRGB, kSlotInputBlack), 100);
    setValue(level(kChannelRGB, kSlotInputWhite), 100);  // gamma handle on both
    ASSERT_EQ(sender->draw(), PF_Err_NONE);
    ASSERT_EQ(sender->click(kVx + 100, 78), PF_Err_NONE);
    EXPECT_EQ(grabbed(), 1);
}

TEST_F(EditorInteraction, TheHandleBoxIncludesItsEdges) {
    spreadHandles(kChannelRGB);
    const struct {
        int x, y;
        bool hit;
    } points[] = {{kVx + 35, 80, true},  {kVx + 45, 80, true},  {kVx + 45, 76, true},
                  {kVx + 34, 78, false}, {kVx + 46, 78, false}, {kVx + 40, 81, false}};
    for (const auto& p : points) {
        ASSERT_EQ(sender->click(p.x, p.y), PF_Err_NONE);
        EXPECT_EQ(askedForDrags(), p.hit) << p.x << ", " << p.y;
        if (p.hit) {
            EXPECT_EQ(grabbed(), 1);
        }
    }
}

TEST_F(EditorInteraction, AClickOnTheApexRowFlipsTheModeUnlessTheViewIsAlpha) {
    spreadHandles(kChannelRed);
    ASSERT_EQ(sender->click(kVx + 40, kVy + 70), PF_Err_NONE);  // apex of input black, on the image's border
    EXPECT_FALSE(askedForDrags());
    EXPECT_EQ(modeShown(), 2);
    spreadHandles(kChannelAlpha);
    ASSERT_EQ(sender->click(kVx + 40, kVy + 70), PF_Err_NONE);
    EXPECT_TRUE(askedForDrags());
    EXPECT_EQ(grabbed(), 1);
    EXPECT_EQ(modeShown(), 2);  // unchanged
}

TEST_F(EditorInteraction, ADragOutsideTheHistogramLeavesTheValueWhereItWas) {
    spreadHandles(kChannelGreen);
    const int index = level(kChannelGreen, kSlotInputBlack);
    ASSERT_EQ(sender->click(kVx + 40, 78), PF_Err_NONE);
    ASSERT_EQ(sender->drag(kVx + 300, 78), PF_Err_NONE);
    EXPECT_EQ(value(index), 40.0);
    ASSERT_EQ(sender->drag(kVx - 1, 78), PF_Err_NONE);
    EXPECT_EQ(value(index), 40.0);
    ASSERT_EQ(sender->drag(kVx + 128, 78), PF_Err_NONE);
    EXPECT_EQ(value(index), 128.0);
    ASSERT_EQ(sender->drag(kVx + 256, 78), PF_Err_NONE);
    EXPECT_EQ(value(index), 128.0);
    ASSERT_EQ(sender->drag(kVx + 255, 78), PF_Err_NONE);
    EXPECT_EQ(value(index), 255.0);
    ASSERT_EQ(sender->drag(kVx, 78, true), PF_Err_NONE);
    EXPECT_EQ(value(index), 0.0);
    // Output handles drag past each other: nothing is reordered.
    ASSERT_EQ(sender->click(kVx + 60, 103), PF_Err_NONE);
    ASSERT_EQ(sender->drag(kVx + 230, 103, true), PF_Err_NONE);
    EXPECT_EQ(value(level(kChannelGreen, kSlotOutputBlack)), 230.0);
    EXPECT_EQ(value(level(kChannelGreen, kSlotOutputWhite)), 180.0);
    EXPECT_HOST_CLEAN(*host);
}

// ---- the gamma handle --------------------------------------------------------------------------

struct GammaCase {
    double black, white;
    int x;          // pointer, relative to vx
    double gamma;   // expected value, or NAN: left unchanged
};

void PrintTo(const GammaCase& c, std::ostream* os) {
    *os << "black " << c.black << ", white " << c.white << ", x " << c.x;
}

class EditorGamma : public EditorInteraction, public ::testing::WithParamInterface<GammaCase> {};

TEST_P(EditorGamma, TheDragMapsThePointerToAValidGamma) {
    const GammaCase c = GetParam();
    setValue(level(kChannelBlue, kSlotInputBlack), c.black);
    setValue(level(kChannelBlue, kSlotInputWhite), c.white);
    setValue(level(kChannelBlue, kSlotGamma), 1.7);
    setChannel(kChannelBlue);
    PF_EventExtra drag = sender->makeEvent(PF_Event_DRAG);
    drag.u.do_click.screen_point = PF_Point{kVx + c.x, 78};
    drag.u.do_click.continue_refcon[0] = 2;
    ASSERT_EQ(sender->send(drag), PF_Err_NONE);
    if (std::isnan(c.gamma)) {
        EXPECT_TRUE(host->lastChanges().empty());
        EXPECT_EQ(value(level(kChannelBlue, kSlotGamma)), 1.7);
    } else {
        ASSERT_EQ(host->lastChanges().size(), 1u);
        EXPECT_NEAR(value(level(kChannelBlue, kSlotGamma)), c.gamma, 1e-12);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Mapping, EditorGamma,
    ::testing::Values(GammaCase{40, 200, 120, 1.0},     // halfway between the handles
                      GammaCase{40, 200, 200, 0.0},     // on the input white handle
                      GammaCase{40, 200, 45, 5.0},      // a thirty-second of the span right of input black
                      GammaCase{0, 128, 32, 2.0},       // (W - B) / 32 x 2^3
                      GammaCase{0, 128, 64, 1.0},
                      GammaCase{0, 128, 8, 4.0},
                      GammaCase{40, 200, 42, 5.0},      // would be 6.3: clamped to the valid range
                      GammaCase{40, 200, 40, 5.0},      // on the input black handle
                      GammaCase{40, 200, 10, 5.0},      // left of it
                      GammaCase{40, 200, 230, 0.0},     // right of input white: would be negative
                      GammaCase{200, 40, 120, 1.0},     // handles crossed: still halfway
                      GammaCase{200, 40, 230, 5.0},     // beyond input black, away from input white
                      GammaCase{200, 40, 10, 0.0},      // beyond input white
                      GammaCase{100, 100, 150, 0.0},    // no span: right of the handles
                      GammaCase{100, 100, 50, 5.0},     // left of them
                      GammaCase{100, 100, 100, NAN}));  // on them: no gamma; the value stays

TEST_F(EditorInteraction, TheGammaDragNeverWritesAnInvalidValue) {
    setChannel(kChannelRGB);
    for (const auto& span : {std::pair<double, double>{0, 255}, {100, 100}, {250, 5}, {-400, 900}, {30, 31}}) {
        setValue(level(kChannelRGB, kSlotInputBlack), span.first);
        setValue(level(kChannelRGB, kSlotInputWhite), span.second);
        for (int x = 0; x <= 300; ++x) {
            PF_EventExtra drag = sender->makeEvent(PF_Event_DRAG);
            drag.u.do_click.screen_point = PF_Point{x, 78};
            drag.u.do_click.continue_refcon[0] = 2;
            ASSERT_EQ(sender->send(drag), PF_Err_NONE);
            const double g = value(level(kChannelRGB, kSlotGamma));
            ASSERT_TRUE(std::isfinite(g) && g >= 0.0 && g <= 5.0)
                << "gamma " << g << " at x " << x << " with input black " << span.first << ", white " << span.second;
        }
    }
}

TEST_F(EditorInteraction, TheGammaHandleIsDrawnWhereTheDragPutsIt) {
    setValue(level(kChannelRGB, kSlotInputBlack), 0);
    setValue(level(kChannelRGB, kSlotInputWhite), 128);
    setValue(level(kChannelRGB, kSlotGamma), 3);  // 4 x 2^2 = 16 right of input black
    ASSERT_EQ(sender->draw(), PF_Err_NONE);
    ASSERT_EQ(sender->click(kVx + 16, 78), PF_Err_NONE);
    EXPECT_EQ(grabbed(), 2);
    ASSERT_EQ(sender->drag(kVx + 16, 78, true), PF_Err_NONE);
    EXPECT_DOUBLE_EQ(value(level(kChannelRGB, kSlotGamma)), 3.0);
}

// ---- scale slider and display mode ------------------------------------------------------------

TEST_F(EditorInteraction, TheScaleTrackStartsADragOnlyStrictlyInside) {
    for (const auto& p : {std::pair<int, int>{275, kVy}, {280, 40}, {276, kVy + 70}, {281, 40}}) {
        ASSERT_EQ(sender->click(p.first, p.second), PF_Err_NONE);
        EXPECT_FALSE(askedForDrags()) << p.first << ", " << p.second;
    }
    EXPECT_EQ(modeShown(), 1);  // none of those was the panel either
    for (const auto& p : {std::pair<int, int>{275, kVy + 1}, {271, 40}, {279, kVy + 69}, {275, 55}}) {
        ASSERT_EQ(sender->click(p.first, p.second), PF_Err_NONE);  // away from the thumb too
        EXPECT_TRUE(askedForDrags()) << p.first << ", " << p.second;
        EXPECT_EQ(grabbed(), 99);
    }
}

TEST_F(EditorInteraction, TheThumbFollowsThePointerAndTheScaleStaysWithinZeroAndOne) {
    const struct {
        int y;
        int thumbTop;
    } steps[] = {{kVy + 5, kVy}, {kVy + 65, kVy + 60}, {kVy + 35, kVy + 30}, {kVy - 40, kVy},
                 {kVy + 200, kVy + 60}, {kVy + 50, kVy + 45}};
    ASSERT_EQ(sender->click(275, 20), PF_Err_NONE);
    for (const auto& s : steps) {
        ASSERT_EQ(sender->drag(0, s.y), PF_Err_NONE);  // the x of a scale drag does not matter
        EXPECT_EQ(thumbTop(), s.thumbTop) << "pointer y " << s.y;  // the host redrew after the drag
        EXPECT_TRUE(host->lastChanges().empty());
    }
}

TEST_F(EditorInteraction, ClicksOnTheHistogramOrTheButtonsFlipTheDisplayMode) {
    for (const auto& p : {std::pair<int, int>{100, 40}, {kVx, kVy}, {kVx + 255, kVy + 70}, {285, 25}, {295, 45},
                          {290, 29}, {290, 39}}) {
        const int before = modeShown();
        ASSERT_EQ(sender->click(p.first, p.second), PF_Err_NONE);
        EXPECT_FALSE(askedForDrags());
        EXPECT_EQ(sender->lastEvent().evt_out_flags, PF_EO_HANDLED_EVENT | PF_EO_UPDATE_NOW);
        EXPECT_NE(modeShown(), before) << p.first << ", " << p.second;
    }
    for (const auto& p : {std::pair<int, int>{284, 30}, {296, 30}, {290, 24}, {290, 46}, {5, 40}}) {
        const int before = modeShown();
        ASSERT_EQ(sender->click(p.first, p.second), PF_Err_NONE);
        EXPECT_EQ(modeShown(), before) << p.first << ", " << p.second;
    }
    setChannel(kChannelAlpha);
    ASSERT_EQ(sender->draw(), PF_Err_NONE);
    const int before = modeShown();
    ASSERT_EQ(sender->click(100, 40), PF_Err_NONE);
    EXPECT_EQ(modeShown(), before);
}

TEST_F(EditorInteraction, AClickAddsItsFlagsToTheHostsAndChangesNoValue) {
    PF_EventExtra click = sender->makeEvent(PF_Event_DO_CLICK);
    click.u.do_click.screen_point = PF_Point{kVx, 78};
    click.evt_out_flags = PF_EO_ALWAYS_UPDATE;
    ASSERT_EQ(sender->send(click), PF_Err_NONE);
    EXPECT_EQ(click.evt_out_flags, PF_EO_ALWAYS_UPDATE | PF_EO_HANDLED_EVENT | PF_EO_UPDATE_NOW);
    EXPECT_EQ(click.u.do_click.continue_refcon[0], 1);
    EXPECT_TRUE(host->lastChanges().empty());
    EXPECT_TRUE(host->invalidations().empty());
}

TEST_F(EditorInteraction, ADrawSetsExactlyTheHandledFlag) {
    PF_EventExtra draw = sender->makeEvent(PF_Event_DRAW);
    draw.evt_out_flags = PF_EO_ALWAYS_UPDATE | PF_EO_UPDATE_NOW;
    ASSERT_EQ(sender->send(draw), PF_Err_NONE);
    EXPECT_EQ(draw.evt_out_flags, PF_EO_HANDLED_EVENT);
}

// ---- cursor -------------------------------------------------------------------------------------

TEST_F(EditorInteraction, TheFingerShowsOverHandlesThePanelAndTheThumbOnly) {
    spreadHandles(kChannelRGB);
    const struct {
        int x, y;
        bool finger;
    } points[] = {
        {kVx + 40, 78, true},    {kVx + 120, 77, true},  {kVx + 200, 80, true}, {kVx + 60, 102, true},
        {kVx + 180, 105, true},  {100, 40, true},        {290, 39, true},       {275, 55, true},   // the thumb 50..60
        {275, 20, false},        {275, 50, false},       {kVx + 100, 94, false}, {5, 5, false},
        {kVx + 100, 85, false},  {298, 108, false},
    };
    for (const auto& p : points) {
        PF_CursorType cursor = -7;
        ASSERT_EQ(sender->adjustCursor(p.x, p.y, &cursor), PF_Err_NONE);
        EXPECT_EQ(cursor, p.finger ? PF_Cursor_FINGER_POINTER : PF_Cursor_NONE) << p.x << ", " << p.y;
        EXPECT_EQ(sender->lastEvent().evt_out_flags, PF_EO_HANDLED_EVENT);  // nothing shown changes: no redraw
    }
    setChannel(kChannelAlpha);
    ASSERT_EQ(sender->draw(), PF_Err_NONE);
    PF_CursorType cursor = -7;
    ASSERT_EQ(sender->adjustCursor(100, 40, &cursor), PF_Err_NONE);
    EXPECT_EQ(cursor, PF_Cursor_NONE);
    EXPECT_TRUE(host->lastChanges().empty());
    EXPECT_EQ(modeShown(), 1);
}

// ---- events the control leaves alone -------------------------------------------------------------

struct Ignored {
    const char* name;
    PF_EventType type;
    PF_WindowType window;
    A_long index;
    PF_EffectArea area;
};
void PrintTo(const Ignored& c, std::ostream* os) { *os << c.name; }

class EditorIgnores : public EditorInteraction, public ::testing::WithParamInterface<Ignored> {};

TEST_P(EditorIgnores, ReturnsNoneAndTouchesNothing) {
    const Ignored& e = GetParam();
    spreadHandles(kChannelRGB);
    const int drawSuites = host->suiteCounts("DRAWBOT Draw Suite", 1).acquired;
    const int appSuites = host->suiteCounts("PF AE App Suite", 6).acquired;
    const int worldSuites = host->suiteCounts("PF World Suite", 2).acquired;
    const int utilsSuites = host->suiteCounts("PF Param Utils Suite", 3).acquired;
    drawbot().resetCalls();
    host->clearInvalidations();
    const int modeBefore = modeShown();
    const float thumbBefore = thumbTop();

    PF_Context other = sender->context();
    other.w_type = e.window;
    PF_Context* otherPointer = &other;
    PF_EventExtra event = sender->makeEvent(e.type);
    event.contextH = &otherPointer;
    event.effect_win.index = e.index;
    event.effect_win.area = e.area;
    event.evt_out_flags = PF_EO_NEVER_UPDATE;
    event.u.do_click.screen_point = PF_Point{kVx + 40, 78};  // on the input black handle
    event.u.do_click.continue_refcon[0] = 1;
    if (e.type == PF_Event_ADJUST_CURSOR) {
        event.u.adjust_cursor.screen_point = PF_Point{kVx + 40, 78};
        event.u.adjust_cursor.set_cursor = PF_Cursor_ARROW;
    }
    if (e.type == PF_Event_DRAG) event.u.do_click.screen_point = PF_Point{kVx + 90, 78};
    drawbot().resetCalls();
    ASSERT_EQ(sender->send(event), PF_Err_NONE);
    EXPECT_EQ(event.evt_out_flags, PF_EO_NEVER_UPDATE);
    EXPECT_TRUE(host->lastChanges().empty());
    if (e.type == PF_Event_ADJUST_CURSOR) {
        EXPECT_EQ(event.u.adjust_cursor.set_cursor, PF_Cursor_ARROW);
    }
    if (e.type == PF_Event_DO_CLICK) {
        EXPECT_FALSE(event.u.do_click.send_drag);
    }
    EXPECT_EQ(drawbot().calls("PF_GetDrawingReference"), 0);
    EXPECT_EQ(host->suiteCounts("DRAWBOT Draw Suite", 1).acquired, drawSuites + 2);  // modeShown's two draws
    EXPECT_EQ(host->suiteCounts("PF AE App Suite", 6).acquired, appSuites);
    EXPECT_EQ(host->suiteCounts("PF World Suite", 2).acquired, worldSuites);  // draws make no world
    EXPECT_EQ(host->suiteCounts("PF Param Utils Suite", 3).acquired, utilsSuites + 2);  // one per draw
    EXPECT_TRUE(host->invalidations().empty());
    EXPECT_EQ(value(level(kChannelRGB, kSlotInputBlack)), 40.0);
    EXPECT_EQ(modeShown(), modeBefore);
    EXPECT_EQ(thumbTop(), thumbBefore);
    EXPECT_HOST_CLEAN(*host);
}

INSTANTIATE_TEST_SUITE_P(
    Filter, EditorIgnores,
    ::testing::Values(
        Ignored{"ClickInACompositionWindow", PF_Event_DO_CLICK, PF_Window_COMP, 2, PF_EA_CONTROL},
        Ignored{"DrawInALayerWindow", PF_Event_DRAW, PF_Window_LAYER, 2, PF_EA_CONTROL},
        Ignored{"DragInNoWindow", PF_Event_DRAG, PF_Window_NONE, 2, PF_EA_CONTROL},
        Ignored{"ClickForTheChannelPopup", PF_Event_DO_CLICK, PF_Window_EFFECT, 1, PF_EA_CONTROL},
        Ignored{"DrawForAnotherParameter", PF_Event_DRAW, PF_Window_EFFECT, 3, PF_EA_CONTROL},
        Ignored{"DragForAnotherParameter", PF_Event_DRAG, PF_Window_EFFECT, 0, PF_EA_CONTROL},
        Ignored{"CursorForAnotherParameter", PF_Event_ADJUST_CURSOR, PF_Window_EFFECT, 39, PF_EA_CONTROL},
        Ignored{"ClickOnTheTitle", PF_Event_DO_CLICK, PF_Window_EFFECT, 2, PF_EA_PARAM_TITLE},
        Ignored{"DragOnTheTitle", PF_Event_DRAG, PF_Window_EFFECT, 2, PF_EA_PARAM_TITLE},
        Ignored{"DrawOfTheTitle", PF_Event_DRAW, PF_Window_EFFECT, 2, PF_EA_PARAM_TITLE},
        Ignored{"CursorOverTheTitle", PF_Event_ADJUST_CURSOR, PF_Window_EFFECT, 2, PF_EA_PARAM_TITLE},
        Ignored{"ClickInNoArea", PF_Event_DO_CLICK, PF_Window_EFFECT, 2, PF_EA_NONE},
        Ignored{"NewContext", PF_Event_NEW_CONTEXT, PF_Window_EFFECT, 2, PF_EA_CONTROL},
        Ignored{"Activate", PF_Event_ACTIVATE, PF_Window_EFFECT, 2, PF_EA_CONTROL},
        Ignored{"Deactivate", PF_Event_DEACTIVATE, PF_Window_EFFECT, 2, PF_EA_CONTROL},
        Ignored{"CloseContext", PF_Event_CLOSE_CONTEXT, PF_Window_EFFECT, 2, PF_EA_CONTROL},
        Ignored{"Idle", PF_Event_IDLE, PF_Window_EFFECT, 2, PF_EA_CONTROL},
        Ignored{"KeyDown", PF_Event_KEYDOWN, PF_Window_EFFECT, 2, PF_EA_CONTROL},
        Ignored{"MouseExited", PF_Event_MOUSE_EXITED, PF_Window_EFFECT, 2, PF_EA_CONTROL},
        Ignored{"UnknownEventType", 8, PF_Window_EFFECT, 2, PF_EA_CONTROL}),
    [](const ::testing::TestParamInfo<Ignored>& info) { return std::string(info.param.name); });

}  // namespace
