#include "params/ParameterSet.h"

#include <cstring>
#include <string>

#include "params/GbkText.h"
#include "params/NameTable.h"
#include "params/ParamIndices.h"

namespace Ombrix::Levels {
namespace {

constexpr PF_ParamFlags kPopupFlags = PF_ParamFlag_CANNOT_TIME_VARY | PF_ParamFlag_SUPERVISE;  // 0x42
constexpr PF_ParamFlags kHistogramFlags =
    PF_ParamFlag_CANNOT_TIME_VARY | PF_ParamFlag_CANNOT_INTERP | PF_ParamFlag_SUPERVISE;  // 0x46
constexpr char kChannelChoices[] = "RGB|Red|Green|Blue|Alpha";
constexpr short kHistogramWidth = 300;
constexpr short kHistogramHeight = 110;

// Bit patterns 0xCA1BA3C0 / 0x4A1BA3C0.
constexpr float kLevelValidMin = -2550000.0f;
constexpr float kLevelValidMax = 2550000.0f;

const char* const kBlockNames[kChannelCount] = {"RGB", "Red", "Green", "Blue", "Alpha"};
const char* const kSliderNames[5] = {"Input Black", "Input White", "Gamma", "Output Black", "Output White"};

void setLevelSlider(PF_FloatSliderDef& fd, double value) {
    fd.value = value;
    fd.dephault = static_cast<float>(value);
    fd.valid_min = kLevelValidMin;
    fd.valid_max = kLevelValidMax;
    fd.slider_min = 0.0f;
    fd.slider_max = 255.0f;
    fd.precision = 1;
    fd.curve_tolerance = 0.05f;
}

void setGammaSlider(PF_FloatSliderDef& fd) {
    fd.value = 1.0;
    fd.dephault = 1.0f;
    fd.valid_min = 0.0f;
    fd.valid_max = 5.0f;
    fd.slider_min = 0.0f;
    fd.slider_max = 5.0f;
    fd.precision = 2;
    fd.curve_tolerance = 0.05f;
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

    PF_ParamDef& popup = declare.start(PF_Param_POPUP, "Channel");
    popup.flags = kPopupFlags;
    popup.u.pd.num_choices = kChannelCount;
    popup.u.pd.dephault = kChannelRGB;
    popup.u.pd.value = kChannelRGB;
    popup.u.pd.u.namesptr = choices;
    if (PF_Err err = declare.add()) return err;

    PF_ParamDef& histogram = declare.start(PF_Param_NO_DATA, "Histogram");
    histogram.flags = kHistogramFlags;
    histogram.ui_flags = PF_PUI_CONTROL;
    histogram.ui_width = kHistogramWidth;
    histogram.ui_height = kHistogramHeight;
    if (PF_Err err = declare.add()) return err;

    for (int block = 0; block < kChannelCount; ++block) {
        const std::string blockName = kBlockNames[block];
        PF_ParamDef& group = declare.start(PF_Param_GROUP_START, blockName);
        group.flags = PF_ParamFlag_START_COLLAPSED;
        if (PF_Err err = declare.add()) return err;

        for (int slot = 0; slot < 5; ++slot) {
            // The composite block's sliders carry no channel prefix.
            const std::string key = block == 0 ? kSliderNames[slot] : blockName + " " + kSliderNames[slot];
            PF_ParamDef& slider = declare.start(PF_Param_FLOAT_SLIDER, key);
            switch (slot + 1) {
                case kSlotInputBlack: setLevelSlider(slider.u.fs_d, 0.0); break;
                case kSlotInputWhite: setLevelSlider(slider.u.fs_d, 255.0); break;
                case kSlotGamma: setGammaSlider(slider.u.fs_d); break;
                case kSlotOutputBlack: setLevelSlider(slider.u.fs_d, 0.0); break;
                case kSlotOutputWhite: setLevelSlider(slider.u.fs_d, 255.0); break;
            }
            if (PF_Err err = declare.add()) return err;
        }

        declare.start(PF_Param_GROUP_END, "");
        if (PF_Err err = declare.add()) return err;
    }

    for (const char* key : {"Clip To Output Black", "Clip To Output White"}) {
        PF_ParamDef& box = declare.start(PF_Param_CHECKBOX, key);
        box.u.bd.value = 1;
        box.u.bd.dephault = 1;
        box.u.bd.u.nameptr = "";
        if (PF_Err err = declare.add()) return err;
    }

    PF_CustomUIInfo info;
    std::memset(&info, 0, sizeof(info));
    info.events = PF_CustomEFlag_COMP | PF_CustomEFlag_LAYER | PF_CustomEFlag_EFFECT;
    return in_data->inter.register_ui(in_data->effect_ref, &info);
}

}  // namespace Ombrix::Levels
