// Reading the 27 levels settings from the host's parameters at the current
// time: every slider type, checkboxes, refused checkouts and types that are
// not read.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "params/ParamIndices.h"
#include "render/LevelsSettingsReader.h"
#include "render/cpu/Tables16Cache.h"
#include "tests/HostFixture.h"
#include "tool/ParamSettings.h"

namespace {

using namespace Ombrix::Levels;

class Settings : public zanth_test::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        setUpEffect();
    }
    template <typename Body>
    void inRender(Body body) {
        host->callAs(PF_Cmd_RENDER, [&](PF_InData* in_data, PF_OutData*) {
            body(in_data);
            return PF_Err_NONE;
        });
    }
};

TEST_F(Settings, ReadsEveryBlockInOrderAndBothClips) {
    for (int block = 0; block < kChannelCount; ++block) {
        for (int slot = kSlotInputBlack; slot <= kSlotOutputWhite; ++slot) {
            host->param(blockStart(block) + slot).u.fs_d.value = 10.0 * block + slot + 0.25;
        }
    }
    host->param(kParamClipBlack).u.bd.value = 0;
    host->param(kParamClipWhite).u.bd.value = 1;
    LevelsSettings s;
    inRender([&](PF_InData* in_data) { s = readLevelsSettings(in_data).values(); });
    const ChannelLevels* blocks[] = {&s.composite, &s.red, &s.green, &s.blue, &s.alpha};
    for (int block = 0; block < kChannelCount; ++block) {
        EXPECT_EQ(blocks[block]->inputBlack, 10.0 * block + 1.25) << block;
        EXPECT_EQ(blocks[block]->inputWhite, 10.0 * block + 2.25) << block;
        EXPECT_EQ(blocks[block]->gamma, 10.0 * block + 3.25) << block;
        EXPECT_EQ(blocks[block]->outputBlack, 10.0 * block + 4.25) << block;
        EXPECT_EQ(blocks[block]->outputWhite, 10.0 * block + 5.25) << block;
    }
    EXPECT_FALSE(s.clipBlack);
    EXPECT_TRUE(s.clipWhite);
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(Settings, EverySliderTypeIsRead) {
    const int index = levelParam(kChannelRGB, kSlotGamma);
    struct Case {
        PF_ParamType type;
        std::function<void(PF_ParamDef&)> set;
        bool read;
        double expected;
    };
    const Case cases[] = {
        {PF_Param_FLOAT_SLIDER, [](PF_ParamDef& p) { p.u.fs_d.value = 1.75; }, true, 1.75},
        {PF_Param_SLIDER, [](PF_ParamDef& p) { p.u.sd.value = -12; }, true, -12.0},
        {PF_Param_FIX_SLIDER, [](PF_ParamDef& p) { p.u.fd.value = (3 << 16) + 0x8000; }, true, 3.0},
        // The fraction is dropped toward minus infinity.
        {PF_Param_FIX_SLIDER, [](PF_ParamDef& p) { p.u.fd.value = -((3 << 16) + 1); }, true, -4.0},
        {PF_Param_CHECKBOX, [](PF_ParamDef& p) { p.u.bd.value = 1; }, false, 0.0},
    };
    for (const Case& c : cases) {
        PF_ParamDef& def = host->param(index);
        const PF_ParamDef saved = def;
        def.param_type = c.type;
        c.set(def);
        double out = 99.0;
        bool read = false;
        inRender([&](PF_InData* in_data) { read = readSliderValue(in_data, index, out); });
        EXPECT_EQ(read, c.read) << "type " << c.type;
        EXPECT_EQ(out, c.read ? c.expected : 99.0) << "type " << c.type;
        host->param(index) = saved;
    }
    EXPECT_HOST_CLEAN(*host);
}

// A refused checkout ends the read with the host's code; what was checked out
// before it is checked back in.
TEST_F(Settings, ARefusedCheckoutThrowsTheHostsCodeAndChecksNothingIn) {
    host->param(levelParam(kChannelRGB, kSlotInputBlack)).u.fs_d.value = 40.0;
    LevelsSettings s;
    inRender([&](PF_InData* in_data) { s = readLevelsSettings(in_data).values(); });
    EXPECT_EQ(s.composite.inputBlack, 40.0);
    for (const int nth : {1, 2, 26, 27}) {
        host->failCheckout(nth, PF_Interrupt_CANCEL);
        int thrown = 0;
        inRender([&](PF_InData* in_data) {
            try {
                readLevelsSettings(in_data);
            } catch (int code) {
                thrown = code;
            }
        });
        EXPECT_EQ(thrown, PF_Interrupt_CANCEL) << "checkout " << nth;
        EXPECT_EQ(host->checkedOutParams(), 0) << "checkout " << nth;
    }
    for (const PF_Err code : {PF_Err_INTERNAL_STRUCT_DAMAGED, PF_Err_OUT_OF_MEMORY}) {
        bool clip = false;
        double value = 0.0;
        int thrown = 0;
        host->failCheckout(1, code);
        inRender([&](PF_InData* in_data) {
            try {
                readCheckbox(in_data, kParamClipBlack, clip);
            } catch (int c) {
                thrown = c;
            }
        });
        EXPECT_EQ(thrown, code);
        thrown = 0;
        host->failCheckout(1, code);
        inRender([&](PF_InData* in_data) {
            try {
                readSliderValue(in_data, levelParam(kChannelRed, kSlotGamma), value);
            } catch (int c) {
                thrown = c;
            }
        });
        EXPECT_EQ(thrown, code);
    }
    host->failCheckout(0, 0);
    EXPECT_EQ(host->checkedOutParams(), 0);
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(Settings, ACheckboxIsReadOnlyFromACheckbox) {
    bool value = false;
    inRender([&](PF_InData* in_data) {
        EXPECT_TRUE(readCheckbox(in_data, kParamClipWhite, value));
        EXPECT_TRUE(value);
        EXPECT_FALSE(readCheckbox(in_data, levelParam(kChannelRGB, kSlotGamma), value));
    });
    EXPECT_TRUE(value);
    EXPECT_HOST_CLEAN(*host);
}

TEST(LevelsSettingsStart, AreTheParameterDefaults) {
    const LevelsSettings s;
    EXPECT_EQ(s.composite.inputBlack, 0.0);
    EXPECT_EQ(s.alpha.inputWhite, 255.0);
    EXPECT_EQ(s.red.gamma, 1.0);
    EXPECT_EQ(s.blue.outputWhite, 255.0);
    EXPECT_TRUE(s.clipBlack);
    EXPECT_TRUE(s.clipWhite);
}


// The module declares its parameters, the renderer falls back and holds, and
// the tool names them from one table: what each of them sees must agree with
// what the host was told.
TEST_F(Settings, TheRendererAndTheToolAgreeWithTheDeclaredParameters) {
    for (int index = 1; index < kParamCount; ++index) {
        const PF_ParamType type = host->param(index).param_type;
        if (type == PF_Param_GROUP_START || type == PF_Param_GROUP_END) continue;  // not settable
        EXPECT_EQ(zanth::englishName(index), host->param(index).name) << index;
    }
    const double nan = std::nan("");
    const ChannelLevels unreadable{nan, nan, nan, nan, nan};
    const ChannelLevels beyond{HUGE_VAL, HUGE_VAL, 1.0, -HUGE_VAL, -HUGE_VAL};
    const ChannelLevels fallen = sanitised(unreadable);
    const ChannelLevels held = sanitised(beyond);
    const double ChannelLevels::*slots[] = {&ChannelLevels::inputBlack, &ChannelLevels::inputWhite,
                                            &ChannelLevels::gamma, &ChannelLevels::outputBlack,
                                            &ChannelLevels::outputWhite};
    for (int block = 0; block < kChannelCount; ++block) {
        for (int slot = kSlotInputBlack; slot <= kSlotOutputWhite; ++slot) {
            const PF_FloatSliderDef& declared = host->param(blockStart(block) + slot).u.fs_d;
            SCOPED_TRACE(blockStart(block) + slot);
            EXPECT_EQ(fallen.*slots[slot - 1], declared.dephault);
            if (slot == kSlotGamma) continue;  // gamma is held only at the level bound (LevelsSettings.h)
            const double bound = slot == kSlotInputBlack || slot == kSlotInputWhite ? declared.valid_max
                                                                                     : declared.valid_min;
            EXPECT_EQ(held.*slots[slot - 1], bound);
        }
    }
    const LevelsSettings fresh;
    EXPECT_EQ(fresh.clipBlack, host->param(kParamClipBlack).u.bd.dephault != 0);
    EXPECT_EQ(fresh.clipWhite, host->param(kParamClipWhite).u.bd.dephault != 0);
}

// The 16-bit tables are kept under the whole settings value: a change of any
// one field (every level of every block, each clip flag) builds new tables,
// and equal settings find the kept ones.
TEST(Tables16Cache, EveryFieldKeysTheTables) {
    std::vector<LevelsSettings> changed;
    for (const auto block : kBlocks) {
        for (const LevelField& f : kLevelFields) {
            LevelsSettings s;
            (s.*block).*f.member += 17.25;
            changed.push_back(s);
        }
    }
    for (const ClipField& clip : kClipFields) {
        LevelsSettings s;
        s.*clip.member = !(s.*clip.member);
        changed.push_back(s);
    }
    ASSERT_EQ(changed.size(), 27u);
    int builds = 0;
    const auto build = [&builds](Tables16& tables) { tables.assign(1, static_cast<uint16_t>(++builds)); };
    const auto identity = cachedTables16(LevelsSettings{}, build);
    for (size_t i = 0; i < changed.size(); ++i) {
        builds = 0;
        const auto tables = cachedTables16(changed[i], build);
        EXPECT_EQ(builds, 1) << "field " << i;
        EXPECT_NE(tables, identity) << "field " << i;
        EXPECT_EQ(cachedTables16(changed[i], build), tables) << "field " << i;
        EXPECT_EQ(cachedTables16(LevelsSettings{}, build), identity) << "field " << i;
        EXPECT_EQ(builds, 1) << "field " << i;
    }
}

}  // namespace
