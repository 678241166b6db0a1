// Auto levels through the editor's auto button, judged against a model of
// the rule on the sorted samples: input black is the sample at position
// floor(p/100 N) from the bottom, input white the one at that position from
// the top; per channel, the samples are first taken through the composite
// map. Nothing is written for a flat picture, a pending histogram or when the
// two levels would meet; gamma and the output levels stay.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <vector>

#include "params/LevelParameters.h"
#include "tests/LevelsReference.h"
#include "tests/test_editor_fixture.h"

namespace {

using namespace zanth_test;
using namespace Ombrix::Levels;

constexpr int kAutoX = kVx + 275;  // the auto button's centre
constexpr int kAutoY = kVy + 55;

// Counts with outliers at both ends of a bulk, each channel its own.
LayerCounts outlierCounts() {
    LayerCounts c;
    c.red[1] = 40;
    c.red[3] = 100;
    c.red[250] = 60;
    c.green[0] = 150;
    c.green[254] = 30;
    c.blue[255] = 100;
    for (int v = 40; v <= 200; ++v) {
        c.red[v] += 65336 / 161;
        c.green[v] += 65356 / 161;
        c.blue[v] += 65436 / 161;
    }
    c.red[120] += 65336 - (65336 / 161) * 161;
    c.green[90] += 65356 - (65356 / 161) * 161;
    c.blue[150] += 65436 - (65436 / 161) * 161;
    c.alpha[255] = 65536;
    return c;
}

struct Range {
    int black, white;
};

// The rule on the samples themselves.
std::optional<Range> modelRange(std::vector<int> samples, double percent) {
    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    const auto skip = static_cast<size_t>(std::floor(percent / 100.0 * static_cast<double>(n)));
    if (n == 0 || samples.front() == samples.back() || skip >= n) return std::nullopt;
    const Range r{samples[skip], samples[n - 1 - skip]};
    if (r.black >= r.white) return std::nullopt;
    return r;
}

std::vector<int> samplesOf(const Counts& counts, const std::function<int(int)>& through) {
    std::vector<int> out;
    for (int v = 0; v < 256; ++v) out.insert(out.end(), static_cast<size_t>(counts[static_cast<size_t>(v)]), through(v));
    return out;
}

class AutoLevels : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        // The click's own changes; the redraw after it is a command of its own.
        host->onCommandEnd([this] {
            for (const auto& change : host->lastChanges()) written.push_back(change.first);
        });
    }
    PF_Err clickAuto(PF_Modifiers modifiers = PF_Mod_NONE) {
        written.clear();
        return sender->click(kAutoX, kAutoY, modifiers);
    }
    std::vector<int> written;
    void useLayer(const LayerCounts& counts) {
        layer = std::make_unique<hostsim::World>(layerWithCounts(counts));
        host->setInputLayer(layer->def());
        renderLayer();
        ASSERT_EQ(sender->draw(), PF_Err_NONE);
    }
    ChannelLevels block(int b) {
        const int s = blockStart(b);
        return {value(s + kSlotInputBlack), value(s + kSlotInputWhite), value(s + kSlotGamma),
                value(s + kSlotOutputBlack), value(s + kSlotOutputWhite)};
    }
    void expectRange(int b, const std::optional<Range>& expected, const ChannelLevels& before) {
        SCOPED_TRACE(b);
        const ChannelLevels now = block(b);
        EXPECT_EQ(now.inputBlack, expected ? expected->black : before.inputBlack);
        EXPECT_EQ(now.inputWhite, expected ? expected->white : before.inputWhite);
        EXPECT_EQ(now.gamma, before.gamma);
        EXPECT_EQ(now.outputBlack, before.outputBlack);
        EXPECT_EQ(now.outputWhite, before.outputWhite);
    }
};

TEST_F(AutoLevels, EachViewAndShiftFollowTheRule) {
    const LayerCounts counts = outlierCounts();
    const ChannelLevels composite{10, 235, 1.3, 0, 255};
    struct Case {
        const char* name;
        int channel;
        PF_Modifiers modifiers;
        double percent;
    };
    const Case cases[] = {{"Rgb", kChannelRGB, PF_Mod_NONE, 0.1},   {"RgbNoClip", kChannelRGB, PF_Mod_NONE, 0.0},
                          {"RgbShift", kChannelRGB, PF_Mod_SHIFT_KEY, 0.1}, {"Red", kChannelRed, PF_Mod_NONE, 0.5},
                          {"Green", kChannelGreen, PF_Mod_SHIFT_KEY, 2.0}, {"Blue", kChannelBlue, PF_Mod_NONE, 10.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int b = 0; b < kChannelCount; ++b) {
            for (LevelSlot slot : kLevelSlots) setValue(blockStart(b) + slot, kSlotDefaults[slot - 1]);
        }
        const int s = blockStart(0);
        setValue(s + kSlotInputBlack, composite.inputBlack);
        setValue(s + kSlotInputWhite, composite.inputWhite);
        setValue(s + kSlotGamma, composite.gamma);
        setValue(blockStart(1) + kSlotGamma, 0.8);  // a channel's own gamma stays
        setValue(kParamAutoClip, c.percent);
        setChannel(c.channel);
        useLayer(counts);
        ChannelLevels before[4];
        for (int b = 0; b < 4; ++b) before[b] = block(b);
        ASSERT_EQ(clickAuto(c.modifiers), PF_Err_NONE);

        const auto mapped = [&composite](int v) {
            return static_cast<int>(std::lrint(levelModel(v, composite, true, true)));
        };
        const Counts* channels[] = {&counts.red, &counts.green, &counts.blue};
        if (c.channel == kChannelRGB && c.modifiers == PF_Mod_NONE) {
            std::vector<int> all;
            for (const Counts* ch : channels) {
                const std::vector<int> own = samplesOf(*ch, [](int v) { return v; });
                all.insert(all.end(), own.begin(), own.end());
            }
            expectRange(0, modelRange(all, c.percent), before[0]);
            for (int b = 1; b < 4; ++b) expectRange(b, std::nullopt, before[b]);
        } else {
            expectRange(0, std::nullopt, before[0]);
            for (int b = 1; b < 4; ++b) {
                const bool acts = c.channel == kChannelRGB || c.channel == b + 1;
                expectRange(b, acts ? modelRange(samplesOf(*channels[b - 1], mapped), c.percent) : std::nullopt,
                            before[b]);
            }
        }
    }
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(AutoLevels, NothingIsWrittenWithoutACurrentHistogramOrForAFlatPicture) {
    // All in one bin in every channel.
    LayerCounts flat;
    flat.red[90] = flat.green[90] = flat.blue[90] = flat.alpha[255] = 65536;
    useLayer(flat);
    ASSERT_EQ(clickAuto(), PF_Err_NONE);
    EXPECT_TRUE(written.empty());
    ASSERT_EQ(clickAuto(PF_Mod_SHIFT_KEY), PF_Err_NONE);
    EXPECT_TRUE(written.empty());

    // Another layer not rendered yet: the histogram shown is pending.
    hostsim::World other = layerWithCounts(outlierCounts());
    host->setInputLayer(other.def());
    ASSERT_EQ(sender->draw(), PF_Err_NONE);
    ASSERT_EQ(clickAuto(), PF_Err_NONE);
    EXPECT_TRUE(written.empty());

    // Once rendered, the same click sets the levels.
    renderLayer();
    ASSERT_EQ(sender->draw(), PF_Err_NONE);
    ASSERT_EQ(clickAuto(), PF_Err_NONE);
    EXPECT_EQ(written.size(), 2u);

    // No key: the host cannot say what the layer shows.
    host->failCurrentState(PF_Err_INTERNAL_STRUCT_DAMAGED);
    ASSERT_EQ(sender->draw(), PF_Err_NONE);
    ASSERT_EQ(clickAuto(), PF_Err_NONE);
    EXPECT_TRUE(written.empty());
    host->failCurrentState(PF_Err_NONE);
    EXPECT_HOST_CLEAN(*host);
}

}  // namespace
