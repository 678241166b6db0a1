// Parameter set-up as the host sees it: order, ids, types, names in each
// language, defaults, ranges, flags, the custom UI, and refused calls.
#include <cmath>
#include <cstring>
#include <string>

#include "params/NameTable.h"
#include "params/ParamIndices.h"
#include "params/ParameterSet.h"
#include "tests/HostFixture.h"

namespace {

using zanth_test::HostTest;

uint32_t bitsOf(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

const char* const kEnglish[40] = {
    "",
    "Channel", "Histogram",
    "RGB", "Input Black", "Input White", "Gamma", "Output Black", "Output White", "",
    "Red", "Red Input Black", "Red Input White", "Red Gamma", "Red Output Black", "Red Output White", "",
    "Green", "Green Input Black", "Green Input White", "Green Gamma", "Green Output Black", "Green Output White", "",
    "Blue", "Blue Input Black", "Blue Input White", "Blue Gamma", "Blue Output Black", "Blue Output White", "",
    "Alpha", "Alpha Input Black", "Alpha Input White", "Alpha Gamma", "Alpha Output Black", "Alpha Output White", "",
    "Clip To Output Black", "Clip To Output White"};

// The names a Chinese host shows, in GBK bytes, by parameter index.
const char* const kChinese[40] = {
    "",  // 0 
    "\xCD\xA8\xB5\xC0",  // 1 通道
    "\xD6\xB1\xB7\xBD\xCD\xBC",  // 2 直方图
    "RGB",  // 3 RGB
    "\xCA\xE4\xC8\xEB\xBA\xDA\xC9\xAB",  // 4 输入黑色
    "\xCA\xE4\xC8\xEB\xB0\xD7\xC9\xAB",  // 5 输入白色
    "\xBB\xD2\xB6\xC8\xCF\xB5\xCA\xFD",  // 6 灰度系数
    "\xCA\xE4\xB3\xF6\xBA\xDA\xC9\xAB",  // 7 输出黑色
    "\xCA\xE4\xB3\xF6\xB0\xD7\xC9\xAB",  // 8 输出白色
    "",  // 9 
    "\xBA\xEC\xC9\xAB",  // 10 红色
    "\xBA\xEC\xC9\xAB\xCA\xE4\xC8\xEB\xBA\xDA\xC9\xAB",  // 11 红色输入黑色
    "\xBA\xEC\xC9\xAB\xCA\xE4\xC8\xEB\xB0\xD7\xC9\xAB",  // 12 红色输入白色
    "\xBA\xEC\xC9\xAB\xBB\xD2\xB6\xC8\xCF\xB5\xCA\xFD",  // 13 红色灰度系数
    "\xBA\xEC\xC9\xAB\xCA\xE4\xB3\xF6\xBA\xDA\xC9\xAB",  // 14 红色输出黑色
    "\xBA\xEC\xC9\xAB\xCA\xE4\xB3\xF6\xB0\xD7\xC9\xAB",  // 15 红色输出白色
    "",  // 16 
    "\xC2\xCC\xC9\xAB",  // 17 绿色
    "\xC2\xCC\xC9\xAB\xCA\xE4\xC8\xEB\xBA\xDA\xC9\xAB",  // 18 绿色输入黑色
    "\xC2\xCC\xC9\xAB\xCA\xE4\xC8\xEB\xB0\xD7\xC9\xAB",  // 19 绿色输入白色
    "\xC2\xCC\xC9\xAB\xBB\xD2\xB6\xC8\xCF\xB5\xCA\xFD",  // 20 绿色灰度系数
    "\xC2\xCC\xC9\xAB\xCA\xE4\xB3\xF6\xBA\xDA\xC9\xAB",  // 21 绿色输出黑色
    "\xC2\xCC\xC9\xAB\xCA\xE4\xB3\xF6\xB0\xD7\xC9\xAB",  // 22 绿色输出白色
    "",  // 23 
    "\xC0\xB6\xC9\xAB",  // 24 蓝色
    "\xC0\xB6\xC9\xAB\xCA\xE4\xC8\xEB\xBA\xDA\xC9\xAB",  // 25 蓝色输入黑色
    "\xC0\xB6\xC9\xAB\xCA\xE4\xC8\xEB\xB0\xD7\xC9\xAB",  // 26 蓝色输入白色
    "\xC0\xB6\xC9\xAB\xBB\xD2\xB6\xC8\xCF\xB5\xCA\xFD",  // 27 蓝色灰度系数
    "\xC0\xB6\xC9\xAB\xCA\xE4\xB3\xF6\xBA\xDA\xC9\xAB",  // 28 蓝色输出黑色
    "\xC0\xB6\xC9\xAB\xCA\xE4\xB3\xF6\xB0\xD7\xC9\xAB",  // 29 蓝色输出白色
    "",  // 30 
    "\xCD\xB8\xC3\xF7\xB6\xC8",  // 31 透明度
    "\xCD\xB8\xC3\xF7\xB6\xC8\xCA\xE4\xC8\xEB\xBA\xDA\xC9\xAB",  // 32 透明度输入黑色
    "\xCD\xB8\xC3\xF7\xB6\xC8\xCA\xE4\xC8\xEB\xB0\xD7\xC9\xAB",  // 33 透明度输入白色
    "\xCD\xB8\xC3\xF7\xB6\xC8\xBB\xD2\xB6\xC8\xCF\xB5\xCA\xFD",  // 34 透明度灰度系数
    "\xCD\xB8\xC3\xF7\xB6\xC8\xCA\xE4\xB3\xF6\xBA\xDA\xC9\xAB",  // 35 透明度输出黑色
    "\xCD\xB8\xC3\xF7\xB6\xC8\xCA\xE4\xB3\xF6\xB0\xD7\xC9\xAB",  // 36 透明度输出白色
    "",  // 37 
    "\xBC\xF4\xC7\xD0\xD2\xD4\xCA\xE4\xB3\xF6\xBA\xDA\xC9\xAB",  // 38 剪切以输出黑色
    "\xBC\xF4\xC7\xD0\xD2\xD4\xCA\xE4\xB3\xF6\xB0\xD7\xC9\xAB",  // 39 剪切以输出白色
};

class Parameters : public HostTest {};

TEST_F(Parameters, DeclaresThirtyNineInOrderWithIdsAndTypes) {
    setUpEffect();
    ASSERT_EQ(host->paramCount(), Ombrix::Levels::kParamCount);
    EXPECT_EQ(host->outData().num_params, Ombrix::Levels::kParamCount);
    for (int index = 1; index < 40; ++index) {
        const PF_ParamDef& p = host->param(index);
        EXPECT_EQ(p.uu.id, index - 1) << index;
        EXPECT_STREQ(p.name, kEnglish[index]) << index;
        PF_ParamType type = PF_Param_FLOAT_SLIDER;
        if (index == 1) type = PF_Param_POPUP;
        if (index == 2) type = PF_Param_NO_DATA;
        if (index >= 3 && index <= 37 && (index - 3) % 7 == 0) type = PF_Param_GROUP_START;
        if (index >= 3 && index <= 37 && (index - 3) % 7 == 6) type = PF_Param_GROUP_END;
        if (index >= 38) type = PF_Param_CHECKBOX;
        EXPECT_EQ(p.param_type, type) << index;
        const PF_ParamFlags flags = index == 1 ? 0x42 : index == 2 ? 0x46 : type == PF_Param_GROUP_START ? 0x20 : 0;
        EXPECT_EQ(p.flags, flags) << index;
        EXPECT_EQ(p.ui_flags, index == 2 ? PF_PUI_CONTROL : 0) << index;
    }
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(Parameters, FreshInstanceDefaultsAndRanges) {
    setUpEffect();
    const PF_ParamDef& popup = host->param(1);
    EXPECT_EQ(popup.u.pd.value, 1);
    EXPECT_EQ(popup.u.pd.dephault, 1);
    EXPECT_EQ(popup.u.pd.num_choices, 5);
    EXPECT_EQ(host->popupChoices(1), "RGB|Red|Green|Blue|Alpha");
    EXPECT_EQ(host->param(2).ui_width, 300);
    EXPECT_EQ(host->param(2).ui_height, 110);
    for (int block = 0; block < 5; ++block) {
        const int first = 4 + 7 * block;
        const double defaults[5] = {0, 255, 1, 0, 255};
        for (int slot = 0; slot < 5; ++slot) {
            const PF_FloatSliderDef& fd = host->param(first + slot).u.fs_d;
            SCOPED_TRACE(first + slot);
            EXPECT_EQ(fd.value, defaults[slot]);
            EXPECT_EQ(fd.dephault, float(defaults[slot]));
            EXPECT_FLOAT_EQ(fd.curve_tolerance, 0.05f);
            EXPECT_EQ(fd.display_flags, 0);
            EXPECT_EQ(fd.fs_flags, 0u);
            EXPECT_EQ(fd.phase, 0.0);
            EXPECT_EQ(fd.exponent, 0.0f);
            if (slot == 2) {
                EXPECT_EQ(fd.valid_min, 0.0f);
                EXPECT_EQ(fd.valid_max, 5.0f);
                EXPECT_EQ(fd.slider_min, 0.0f);
                EXPECT_EQ(fd.slider_max, 5.0f);
                EXPECT_EQ(fd.precision, 2);
            } else {
                EXPECT_EQ(bitsOf(fd.valid_min), 0xCA1BA3C0u);
                EXPECT_EQ(bitsOf(fd.valid_max), 0x4A1BA3C0u);
                EXPECT_EQ(fd.slider_min, 0.0f);
                EXPECT_EQ(fd.slider_max, 255.0f);
                EXPECT_EQ(fd.precision, 1);
                // A typed value far outside the slider is still valid.
                EXPECT_TRUE(1000.0f <= fd.valid_max && -500.0f >= fd.valid_min);
            }
        }
    }
    for (int index : {38, 39}) {
        EXPECT_EQ(host->param(index).u.bd.value, 1);
        EXPECT_EQ(host->param(index).u.bd.dephault, 1);
        EXPECT_EQ(host->checkboxLabel(index), "");
    }
    const PF_CustomUIInfo* ui = host->registeredUi();
    ASSERT_NE(ui, nullptr);
    EXPECT_EQ(ui->events, PF_CustomEFlag_COMP | PF_CustomEFlag_LAYER | PF_CustomEFlag_EFFECT);
    EXPECT_EQ(ui->comp_ui_width + ui->comp_ui_height + ui->layer_ui_width + ui->layer_ui_height +
                  ui->preview_ui_width + ui->preview_ui_height,
              0);
}

TEST_F(Parameters, ChineseHostShowsGbkNamesExceptTheRgbGroup) {
    setUpEffect("zh_CN");
    EXPECT_STREQ(host->param(1).name, "\xCD\xA8\xB5\xC0");                   // 通道
    EXPECT_STREQ(host->param(2).name, "\xD6\xB1\xB7\xBD\xCD\xBC");          // 直方图
    EXPECT_STREQ(host->param(3).name, "RGB");
    EXPECT_STREQ(host->param(6).name, "\xBB\xD2\xB6\xC8\xCF\xB5\xCA\xFD");  // 灰度系数
    EXPECT_STREQ(host->param(13).name, "\xBA\xEC\xC9\xAB\xBB\xD2\xB6\xC8\xCF\xB5\xCA\xFD");  // 红色灰度系数
    EXPECT_STREQ(host->param(31).name, "\xCD\xB8\xC3\xF7\xB6\xC8");         // 透明度
    EXPECT_STREQ(host->param(39).name, "\xBC\xF4\xC7\xD0\xD2\xD4\xCA\xE4\xB3\xF6\xB0\xD7\xC9\xAB");  // 剪切以输出白色
    for (int end : {9, 16, 23, 30, 37}) EXPECT_STREQ(host->param(end).name, "") << end;
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(Parameters, ChineseHostShowsTheChineseNameOfEveryParameter) {
    setUpEffect("zh_CN");
    ASSERT_EQ(host->paramCount(), Ombrix::Levels::kParamCount);
    for (int index = 1; index < 40; ++index) EXPECT_STREQ(host->param(index).name, kChinese[index]) << index;
    EXPECT_HOST_CLEAN(*host);
}

class OtherLanguages : public HostTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(OtherLanguages, ShowEnglishNames) {
    setUpEffect(GetParam());
    for (int index = 1; index < 40; ++index) EXPECT_STREQ(host->param(index).name, kEnglish[index]) << index;
}

INSTANTIATE_TEST_SUITE_P(Parameters, OtherLanguages,
                         ::testing::Values("en_US", "ja_JP", "ko_KR", "de_DE", "pt_BR", "", "zh_TW"));

TEST_F(Parameters, FailedLanguageQueryMeansEnglish) {
    host->setLanguageTag("zh_CN", /*fails=*/true);
    ASSERT_EQ(host->globalSetup(), PF_Err_NONE);
    ASSERT_EQ(host->paramsSetup(), PF_Err_NONE);
    EXPECT_STREQ(host->param(1).name, "Channel");
}

TEST_F(Parameters, RefusedAddParamStopsAtOnce) {
    ASSERT_EQ(host->globalSetup(), PF_Err_NONE);
    host->refuseAddParam(5, PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(host->paramsSetup(), PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(host->paramCount(), 5);  // the layer and the first four parameters
    EXPECT_STREQ(host->param(4).name, "Input Black");
    EXPECT_EQ(host->registeredUi(), nullptr);
    host->refuseAddParam(0, 0);
    host->clearViolations();  // num_params announced 40 while fewer were added
}

TEST_F(Parameters, RefusedRegisterUiIsTheResult) {
    ASSERT_EQ(host->globalSetup(), PF_Err_NONE);
    host->refuseRegisterUi(PF_Err_INTERNAL_STRUCT_DAMAGED);
    EXPECT_EQ(host->paramsSetup(), PF_Err_INTERNAL_STRUCT_DAMAGED);
    EXPECT_EQ(host->paramCount(), Ombrix::Levels::kParamCount);
    host->refuseRegisterUi(PF_Err_NONE);
}

TEST_F(Parameters, LongNamesAreCutWithoutSplittingACharacter) {
    // A dictionary whose text is longer than the 31-byte name field.
    Ombrix::Levels::NameTable names(Ombrix::Levels::kLanguageChinese);
    std::string longName = "A";
    for (int i = 0; i < 20; ++i) longName += "\xCD\xA8";
    names.addEntry("Channel", "Channel", longName.c_str());
    const PF_Err err = host->callAs(PF_Cmd_PARAMS_SETUP, [&](PF_InData* in, PF_OutData* out) {
        return Ombrix::Levels::setupParameters(in, out, nullptr, nullptr, &names);
    });
    ASSERT_EQ(err, PF_Err_NONE);
    EXPECT_EQ(std::string(host->param(1).name), longName.substr(0, 31));  // one byte and fifteen characters
    EXPECT_STREQ(host->param(2).name, "\xD6\xB1\xB7\xBD\xCD\xBC");
    EXPECT_HOST_CLEAN(*host);
}

// The parameters appended after the first 39: each with the next disk id,
// its type, flags and default, and its name in English and Chinese; a
// project saved before them keeps every id of the first 39.
TEST_F(Parameters, AppendsViewPickersAndAutoClipWithTheNextDiskIds) {
    struct Appended {
        int index;
        PF_ParamType type;
        PF_ParamFlags flags;
        const char* english;
        const char* chinese;
    };
    const Appended appended[] = {
        {40, PF_Param_POPUP, 0x2, "View", "\xCA\xD3\xCD\xBC"},                                // 视图
        {41, PF_Param_COLOR, 0x42, "Black Point", "\xBA\xDA\xB3\xA1"},                        // 黑场
        {42, PF_Param_COLOR, 0x42, "Grey Point", "\xBB\xD2\xB3\xA1"},                         // 灰场
        {43, PF_Param_COLOR, 0x42, "White Point", "\xB0\xD7\xB3\xA1"},                        // 白场
        {44, PF_Param_FLOAT_SLIDER, 0, "Auto Clip", "\xD7\xD4\xB6\xAF\xBC\xF4\xC7\xD0"},  // 自动剪切
    };
    for (const char* language : {"en_US", "zh_CN"}) {
        SCOPED_TRACE(language);
        setUpEffect(language);
        ASSERT_EQ(host->paramCount(), 45);
        for (int index = 1; index < 40; ++index) EXPECT_EQ(host->param(index).uu.id, index - 1) << index;
        for (const Appended& a : appended) {
            const PF_ParamDef& p = host->param(a.index);
            SCOPED_TRACE(a.index);
            EXPECT_EQ(p.uu.id, a.index - 1);
            EXPECT_EQ(p.param_type, a.type);
            EXPECT_EQ(p.flags, a.flags);
            EXPECT_STREQ(p.name, std::string(language) == "zh_CN" ? a.chinese : a.english);
        }
        host->globalSetdown();
    }
    EXPECT_EQ(host->popupChoices(40), "\xBD\xE1\xB9\xFB|\xD2\xF5\xD3\xB0\xBC\xF4\xC7\xD0|"
                                      "\xB8\xDF\xB9\xE2\xBC\xF4\xC7\xD0");  // 结果|阴影剪切|高光剪切
    setUpEffect("en_US");
    EXPECT_EQ(host->popupChoices(40), "Result|Shadow Clipping|Highlight Clipping");
    EXPECT_EQ(host->param(40).u.pd.value, 1);
    EXPECT_EQ(host->param(40).u.pd.dephault, 1);
    EXPECT_EQ(host->param(40).u.pd.num_choices, 3);
    const int greys[] = {0, 128, 255};
    for (int i = 0; i < 3; ++i) {
        const PF_Pixel& v = host->param(41 + i).u.cd.value;
        EXPECT_EQ(v.red, greys[i]);
        EXPECT_EQ(v.green, greys[i]);
        EXPECT_EQ(v.blue, greys[i]);
        EXPECT_EQ(std::memcmp(&v, &host->param(41 + i).u.cd.dephault, sizeof(PF_Pixel)), 0);
    }
    const PF_FloatSliderDef& clip = host->param(44).u.fs_d;
    EXPECT_EQ(clip.value, 0.1);
    EXPECT_EQ(clip.dephault, 0.1f);
    EXPECT_EQ(clip.valid_min, 0.0f);
    EXPECT_EQ(clip.valid_max, 10.0f);
    EXPECT_EQ(clip.slider_max, 10.0f);
    EXPECT_EQ(clip.precision, 2);
    EXPECT_HOST_CLEAN(*host);
}

}  // namespace
