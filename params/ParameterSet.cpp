#include "params/ParameterSet.h"

#include <cstring>
#include <string>

#include "params/GbkText.h"
#include "params/LevelParameters.h"
#include "params/NameTable.h"
#include "params/ParamIndices.h"

namespace Ombrix::Levels {
namespace {

constexpr PF_ParamFlags kPopupFlags = PF_ParamFlag_CANNOT_TIME_VARY | PF_ParamFlag_SUPERVISE;  // 0x42
constexpr PF_ParamFlags kHistogramFlags =
    PF_ParamFlag_CANNOT_TIME_VARY | PF_ParamFlag_CANNOT_INTERP | PF_ParamFlag_SUPERVISE;  // 0x46

void setSlider(PF_FloatSliderDef& fd, double value, const SliderRange& range) {
    fd.value = value;
    fd.dephault = static_cast<float>(value);
    fd.valid_min = static_cast<float>(range.validMin);
    fd.valid_max = static_cast<float>(range.validMax);
    fd.slider_min = static_cast<float>(range.sliderMin);
    fd.slider_max = static_cast<float>(range.sliderMax);
    fd.precision = range.precision;
    fd.curve_tolerance = kSliderCurveTolerance;
}

class ParamDeclarer {
public:
    ParamDeclarer(PF_InData* in_data, const NameTable* names) : in_data_(in_data), names_(names) {}

    // Clears the reused record and starts a parameter of the given type.
    PF_ParamDef& start(PF_ParamType type, const std::string& nameKey) {
        std::memset(&def_, 0, sizeof(def_));
        def_.param_type = type;
        if (!nameKey.empty()) {
            const char* shown = names_ ? names_->lookup(nameKey.c_str()) : nameKey.c_str();
            // The name field holds 31 bytes and a terminator; longer names are cut
            // without splitting a two-byte character.
            copyGbkTruncated(def_.name, sizeof(def_.name), shown);
        }
        return def_;
    }

    PF_Err add() {
        def_.uu.id = ++index_ - 1;  // disk id = index - 1
        return in_data_->inter.add_param(in_data_->effect_ref, -1, &def_);
    }

private:
    PF_InData* in_data_;
    const NameTable* names_;
    PF_ParamDef def_{};
    int index_ = 0;  // index of the last parameter added
};

}  // namespace

PF_Err setupParameters(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* /*params*/[], PF_LayerDef* /*output*/,
                       const NameTable* names) {
    if (!in_data || !out_data || !in_data->utils || !in_data->inter.add_param || !in_data->inter.register_ui) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    out_data->num_params = kParamCount;
    ParamDeclarer declare(in_data, names);
    char choices[sizeof(kChannelChoices)];
    std::memcpy(choices, kChannelChoices, sizeof(choices));

    PF_ParamDef& popup = declare.start(PF_Param_POPUP, kChannelParamName);
    popup.flags = kPopupFlags;
    popup.u.pd.num_choices = kChannelCount;
    popup.u.pd.dephault = kChannelRGB;
    popup.u.pd.value = kChannelRGB;
    popup.u.pd.u.namesptr = choices;
    if (PF_Err err = declare.add()) return err;

    PF_ParamDef& histogram = declare.start(PF_Param_NO_DATA, kHistogramParamName);
    histogram.flags = kHistogramFlags;
    histogram.ui_flags = PF_PUI_CONTROL;
    histogram.ui_width = kHistogramControlWidth;
    histogram.ui_height = kHistogramControlHeight;
    if (PF_Err err = declare.add()) return err;

    for (int block = 0; block < kBlockCount; ++block) {
        PF_ParamDef& group = declare.start(PF_Param_GROUP_START, kChannelNames[block]);
        group.flags = PF_ParamFlag_START_COLLAPSED;
        if (PF_Err err = declare.add()) return err;

        for (const LevelSlot slot : kLevelSlots) {
            PF_ParamDef& slider = declare.start(PF_Param_FLOAT_SLIDER, levelSliderName(block, slot));
            setSlider(slider.u.fs_d, kSlotDefaults[slot - kSlotInputBlack],
                      slot == kSlotGamma ? kGammaRange : kLevelRange);
            if (PF_Err err = declare.add()) return err;
        }

        declare.start(PF_Param_GROUP_END, "");
        if (PF_Err err = declare.add()) return err;
    }

    for (const char* key : {kClipBlackParamName, kClipWhiteParamName}) {
        PF_ParamDef& box = declare.start(PF_Param_CHECKBOX, key);
        box.u.bd.value = kClipDefault ? 1 : 0;
        box.u.bd.dephault = kClipDefault ? 1 : 0;
        box.u.bd.u.nameptr = "";
        if (PF_Err err = declare.add()) return err;
    }

    // The view popup's choices in the host's language, joined by '|'.
    std::string viewChoices;
    for (const char* view : kViewNames) {
        if (!viewChoices.empty()) viewChoices += '|';
        viewChoices += names ? names->lookup(view) : view;
    }
    PF_ParamDef& view = declare.start(PF_Param_POPUP, kViewParamName);
    view.flags = PF_ParamFlag_CANNOT_TIME_VARY;
    view.u.pd.num_choices = kViewCount;
    view.u.pd.dephault = kViewDefault;
    view.u.pd.value = kViewDefault;
    view.u.pd.u.namesptr = viewChoices.c_str();
    if (PF_Err err = declare.add()) return err;

    // Supervised, so the host says when the user sets one (with its eyedropper
    // or its colour picker).
    for (int picker = 0; picker < kPickerCount; ++picker) {
        PF_ParamDef& colour = declare.start(PF_Param_COLOR, kPickerNames[picker]);
        colour.flags = PF_ParamFlag_CANNOT_TIME_VARY | PF_ParamFlag_SUPERVISE;
        const A_u_char grey = kPickerDefaults[picker];
        colour.u.cd.value = PF_Pixel{255, grey, grey, grey};
        colour.u.cd.dephault = colour.u.cd.value;
        if (PF_Err err = declare.add()) return err;
    }

    PF_ParamDef& autoClip = declare.start(PF_Param_FLOAT_SLIDER, kAutoClipParamName);
    setSlider(autoClip.u.fs_d, kAutoClipDefault, kAutoClipRange);
    if (PF_Err err = declare.add()) return err;

    PF_CustomUIInfo info;
    std::memset(&info, 0, sizeof(info));
    info.events = PF_CustomEFlag_COMP | PF_CustomEFlag_LAYER | PF_CustomEFlag_EFFECT;
    return in_data->inter.register_ui(in_data->effect_ref, &info);
}

}  // namespace Ombrix::Levels
