// Two instances of the effect, each with its "Histogram" control: every
// control hit-tests clicks against what it drew itself, whichever control
// drew last. The store of per-instance editors stays bounded.
#include "tests/test_editor_fixture.h"
#include "ui/EditorInstances.h"

namespace {

using namespace zanth_test;
using Ombrix::Levels::kChannelAlpha;
using Ombrix::Levels::kChannelGreen;
using Ombrix::Levels::kChannelRed;
using Ombrix::Levels::kChannelRGB;
using Ombrix::Levels::kSlotInputBlack;
using Ombrix::Levels::kSlotOutputWhite;

// The second control sits lower in its panel: frame top 200.
constexpr int kSecondTop = 200;

class EditorInstances : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        second = host->addInstance();
        hostsim::EventSender::Options options;
        options.frame = PF_Rect{0, kSecondTop, 300, kSecondTop + 110};
        options.instance = second;
        other = std::make_unique<hostsim::EventSender>(*host, options);
    }
    void TearDown() override {
        other.reset();
        EditorTest::TearDown();
    }
    // The instances share the simulator's parameter store: each gets its own
    // channel and input black before its events, as a host sends each
    // instance its own values.
    void showFirst() {
        setChannel(kChannelRed);
        setValue(level(kChannelRed, kSlotInputBlack), 40);
    }
    void showSecond(int channel) {
        setChannel(channel);
        setValue(level(channel, kSlotInputBlack), 100);
    }
    A_intptr_t grabbed(const hostsim::EventSender& s) const { return s.lastEvent().u.do_click.continue_refcon[0]; }

    PF_ProgPtr second = nullptr;
    std::unique_ptr<hostsim::EventSender> other;
};

TEST_F(EditorInstances, EachControlGrabsItsOwnHandlesWhicheverDrewLast) {
    showFirst();
    ASSERT_EQ(sender->draw(), PF_Err_NONE);
    showSecond(kChannelGreen);
    ASSERT_EQ(other->draw(), PF_Err_NONE);

    showFirst();
    ASSERT_EQ(sender->click(kVx + 40, kVy + 73), PF_Err_NONE);
    EXPECT_EQ(grabbed(*sender), 1) << "the first control's input black handle";
    ASSERT_EQ(sender->drag(kVx + 60, kVy + 73, true), PF_Err_NONE);
    EXPECT_EQ(value(level(kChannelRed, kSlotInputBlack)), 60.0);

    showSecond(kChannelGreen);
    ASSERT_EQ(other->click(kVx + 100, kSecondTop + kVy + 73), PF_Err_NONE);
    EXPECT_EQ(grabbed(*other), 1) << "the second control's input black handle";
    ASSERT_EQ(other->drag(kVx + 90, kSecondTop + kVy + 73, true), PF_Err_NONE);
    EXPECT_EQ(value(level(kChannelGreen, kSlotInputBlack)), 90.0);

    // The second control's output white handle, where nothing of the first is.
    showSecond(kChannelGreen);
    ASSERT_EQ(other->click(kVx + 255, kSecondTop + kVy + 98), PF_Err_NONE);
    EXPECT_EQ(grabbed(*other), 5);
    ASSERT_EQ(other->drag(kVx + 250, kSecondTop + kVy + 98, true), PF_Err_NONE);
    EXPECT_EQ(value(level(kChannelGreen, kSlotOutputWhite)), 250.0);
    EXPECT_EQ(value(level(kChannelRed, kSlotOutputWhite)), 255.0);
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(EditorInstances, TheModeButtonsFollowTheirOwnControlsChannel) {
    // The first control shows RGB; the second, drawn last, shows Alpha, whose
    // panel takes no clicks.
    setChannel(kChannelRGB);
    ASSERT_EQ(sender->draw(), PF_Err_NONE);
    ASSERT_EQ(filledButton(), 1);
    showSecond(kChannelAlpha);
    ASSERT_EQ(other->draw(), PF_Err_NONE);

    setChannel(kChannelRGB);
    ASSERT_EQ(sender->click(kVx + 100, kVy + 30), PF_Err_NONE);  // the first control's histogram
    ASSERT_EQ(sender->draw(), PF_Err_NONE);
    EXPECT_EQ(filledButton(), 2) << "the click switched the display mode";
    EXPECT_FALSE(sender->dragging());
    ASSERT_EQ(sender->click(kVx + 275, kVy + 34), PF_Err_NONE);  // and back, on its button
    ASSERT_EQ(sender->draw(), PF_Err_NONE);
    EXPECT_EQ(filledButton(), 1);
    EXPECT_HOST_CLEAN(*host);
}

TEST(EditorInstanceStore, KeepsTheMostRecentlyUsedWithinItsCapacity) {
    Ombrix::Levels::EditorInstances store(2);
    char a = 0, b = 0, c = 0;
    Ombrix::Levels::HistogramEditor* editorA = &store.editorFor(&a);
    Ombrix::Levels::HistogramEditor* editorB = &store.editorFor(&b);
    EXPECT_NE(editorA, editorB);
    EXPECT_EQ(&store.editorFor(&a), editorA);  // a is now the most recent
    store.editorFor(&c);                       // drops b, used longest ago
    EXPECT_EQ(store.size(), 2u);
    EXPECT_EQ(&store.editorFor(&a), editorA);  // a's editor lives on
    store.editorFor(&b);                       // b again: a new editor, and c (used longest ago) goes
    EXPECT_EQ(store.size(), 2u);
    EXPECT_EQ(&store.editorFor(&a), editorA);
}

}  // namespace
