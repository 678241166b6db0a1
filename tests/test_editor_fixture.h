// Scaffolding for the histogram editor's tests: the effect set up in a
// simulated host, an input layer with chosen histograms, the host's event
// sender for the 300 x 110 control at (0, 0), and the editor's process-wide
// state (display mode, histogram scale) brought to a known start.
#pragma once

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "hostsim/Drawbot.h"
#include "hostsim/Events.h"
#include "hostsim/World.h"
#include "params/ParamIndices.h"
#include "tests/HostFixture.h"

namespace zanth_test {

// Geometry of the control with its frame at (0, 0): the histogram image's
// top-left corner (vx, vy).
constexpr int kVx = 15;
constexpr int kVy = 5;

// Counts for each of the 256 values of a channel.
using Counts = std::array<int, 256>;

struct LayerCounts {
    Counts red{}, green{}, blue{}, alpha{};
};

// A layer whose channels have exactly the given histograms: 256 x 256 pixels,
// which the effect's thumbnail takes over unscaled. Every channel's counts must
// add up to 65536; values are handed out in order, channel by channel.
inline hostsim::World layerWithCounts(const LayerCounts& counts, int rowPadding = 8) {
    hostsim::World world(256, 256, PF_PixelFormat_ARGB32, rowPadding);
    const auto expand = [](const Counts& c) {
        std::vector<uint8_t> values;
        for (int v = 0; v < 256; ++v) values.insert(values.end(), static_cast<size_t>(c[static_cast<size_t>(v)]), static_cast<uint8_t>(v));
        values.resize(65536, 0);
        return values;
    };
    const std::vector<uint8_t> r = expand(counts.red), g = expand(counts.green), b = expand(counts.blue),
                               a = expand(counts.alpha);
    for (int k = 0; k < 65536; ++k) {
        PF_Pixel8& p = world.pixel8(k % 256, k / 256);
        p.red = r[static_cast<size_t>(k)];
        p.green = g[static_cast<size_t>(k)];
        p.blue = b[static_cast<size_t>(k)];
        p.alpha = a[static_cast<size_t>(k)];
    }
    return world;
}

// The histograms most editor tests use: distinct bars in each channel, the
// largest count of green and of alpha in bin 255 (never shown), and bins that
// overlap across channels.
inline LayerCounts standardCounts() {
    LayerCounts c;
    c.red[0] = 35000;
    c.red[50] = 10000;
    c.red[120] = 4000;
    c.red[255] = 16536;
    c.green[50] = 20000;
    c.green[100] = 8000;
    c.green[200] = 7000;
    c.green[255] = 30536;
    c.blue[30] = 12000;
    c.blue[120] = 12000;
    c.blue[200] = 24000;
    c.blue[254] = 17536;
    c.alpha[128] = 15536;
    c.alpha[255] = 50000;
    return c;
}

class EditorTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        setUpEffect();
        layer = std::make_unique<hostsim::World>(layerWithCounts(standardCounts()));
        host->setInputLayer(layer->def());
        renderLayer();
        sender = std::make_unique<hostsim::EventSender>(*host);
        resetEditorState();
    }
    void TearDown() override {
        sender.reset();
        HostTest::TearDown();
    }

    hostsim::DrawbotSim& drawbot() { return hostsim::DrawbotSim::current(); }

    // Renders the input layer as it is now, as the host does before the panel
    // shows its frame: the render counts the histogram the editor draws.
    void renderLayer() {
        const PF_EffectWorld input = host->inputLayerOf(host->effectRef());
        hostsim::World output(std::max<int>(input.width, 1), std::max<int>(input.height, 1));
        ASSERT_EQ(host->render(output.def()), PF_Err_NONE);
    }

    double value(int index) { return host->param(index).u.fs_d.value; }
    void setValue(int index, double v) { host->param(index).u.fs_d.value = v; }
    void setChannel(int channel) { host->param(Ombrix::Levels::kParamChannel).u.pd.value = channel; }
    int level(int channel, Ombrix::Levels::LevelSlot slot) { return Ombrix::Levels::levelParam(channel, slot); }

    // Which mode button the latest draw filled: 1 colour, 2 combined, 0 none.
    int filledButton() {
        for (const hostsim::DrawOp& op : drawbot().operations()) {
            if (op.kind != hostsim::DrawOp::Fill || op.path.empty() || op.color.alpha == 0.0f) continue;
            if (op.path[0].kind != hostsim::PathSegment::Move || op.path.size() < 2 ||
                op.path[1].kind != hostsim::PathSegment::Bezier) {
                continue;
            }
            const float cy = op.path[0].v[1];  // the ellipse starts at its left-most point
            if (cy == kVy + 24) return 1;
            if (cy == kVy + 34) return 2;
        }
        return 0;
    }

    // The top edge of the scale thumb as the latest draw filled it.
    float thumbTop() {
        for (const hostsim::DrawOp& op : drawbot().operations()) {
            if (op.kind == hostsim::DrawOp::Fill && op.path.size() == 1 && op.path[0].kind == hostsim::PathSegment::Rect &&
                op.path[0].v[0] == kVx + 255) {
                return op.path[0].v[1];
            }
        }
        return -1;
    }

    // Colour mode, histogram scale 0.25, channel RGB, every parameter at its
    // default, and a fresh draw to hit-test against.
    void resetEditorState() {
        setChannel(Ombrix::Levels::kChannelRGB);
        ASSERT_EQ(sender->draw(), PF_Err_NONE);
        if (filledButton() == 2) {
            ASSERT_EQ(sender->click(kVx + 100, kVy + 30), PF_Err_NONE);
        }
        ASSERT_EQ(sender->click(kVx + 260, kVy + 40), PF_Err_NONE);  // inside the scale track
        ASSERT_TRUE(sender->dragging());
        ASSERT_EQ(sender->drag(kVx + 260, kVy + 50, true), PF_Err_NONE);  // t = 45 / 60: scale 0.25
        ASSERT_EQ(sender->draw(), PF_Err_NONE);
        ASSERT_EQ(filledButton(), 1);
        ASSERT_EQ(thumbTop(), kVy + 45);
        host->clearInvalidations();
        drawbot().resetCalls();
    }

    std::unique_ptr<hostsim::World> layer;
    std::unique_ptr<hostsim::EventSender> sender;
};

}  // namespace zanth_test
