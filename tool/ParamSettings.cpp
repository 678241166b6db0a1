#include "tool/ParamSettings.h"

#include <cmath>
#include <sstream>

#include "hostsim/Host.h"
#include "params/LevelParameters.h"
#include "params/ParamIndices.h"
#include "tool/DecimalNumber.h"
#include "tool/NameSuggestions.h"
#include "tool/ToolCommon.h"

namespace zanth {
namespace {

using Ombrix::Levels::kChannelNames;

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

std::string englishName(int index) {
    using namespace Ombrix::Levels;
    if (index == kParamChannel) return kChannelParamName;
    if (index == kParamHistogram) return kHistogramParamName;
    if (index == kParamClipBlack) return kClipBlackParamName;
    if (index == kParamClipWhite) return kClipWhiteParamName;
    if (index == kParamView) return kViewParamName;
    if (index >= kParamBlackPoint && index <= kParamWhitePoint) return kPickerNames[index - kParamBlackPoint];
    if (index == kParamAutoClip) return kAutoClipParamName;
    for (int block = 0; block < kBlockCount; ++block) {
        for (const LevelSlot slot : kLevelSlots) {
            if (index == blockStart(block) + slot) return levelSliderName(block, slot);
        }
    }
    return "";
}

const std::vector<std::string>& settableNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        for (int i = 1; i < Ombrix::Levels::kParamCount; ++i) {
            if (i != Ombrix::Levels::kParamHistogram && !englishName(i).empty()) out.push_back(englishName(i));
        }
        return out;
    }();
    return names;
}

int settableIndex(const std::string& name) {
    for (int i = 1; i < Ombrix::Levels::kParamCount; ++i) {
        if (i != Ombrix::Levels::kParamHistogram && !englishName(i).empty() && lower(englishName(i)) == lower(name)) {
            return i;
        }
    }
    return 0;
}

namespace {

// NAME of "NAME=VALUE", checked.
std::string settingName(const std::string& text) {
    const size_t eq = text.find('=');
    if (eq == std::string::npos) throw UsageError("--set needs NAME=VALUE, got \"" + text + "\"");
    const std::string name = text.substr(0, eq);
    if (settableIndex(name) == 0) {
        throw UsageError("unknown parameter \"" + name + "\"" + didYouMean(closestNames(name, settableNames())));
    }
    return name;
}

}  // namespace

void checkSettingNames(const std::vector<std::string>& settings) {
    for (const std::string& text : settings) settingName(text);
}

ParamSetting parseSetting(const hostsim::Host& host, const std::string& text) {
    return parseSetting([&host](int index) -> const PF_ParamDef& { return host.param(index); }, text);
}

ParamSetting parseSetting(const ParamDeclarations& declarations, const std::string& text) {
    using namespace Ombrix::Levels;
    const std::string name = settingName(text);
    const std::string valueText = text.substr(name.size() + 1);
    const int index = settableIndex(name);
    const PF_ParamDef& def = declarations(index);
    ParamSetting setting;
    setting.index = index;
    double value = 0;
    switch (def.param_type) {
        case PF_Param_POPUP: {
            const bool view = index == kParamView;
            const int count = view ? kViewCount : kChannelCount;
            const char* const* choices = view ? kViewNames : kChannelNames;
            for (int c = 0; c < count; ++c) {
                if (lower(valueText) == lower(choices[c])) {
                    setting.value = c + 1;
                    return setting;
                }
            }
            if (!parseDecimal(valueText, value) || value != std::floor(value) || value < 1 || value > def.u.pd.num_choices) {
                std::string named;
                for (int c = 0; c < count; ++c) named += std::string(c ? ", " : "") + choices[c];
                throw UsageError("\"" + name + "\" takes 1-" + std::to_string(count) + " or " + named + ", not \"" +
                                 valueText + "\"");
            }
            setting.value = value;
            return setting;
        }
        case PF_Param_CHECKBOX: {
            const std::string v = lower(valueText);
            if (v == "1" || v == "on") {
                setting.value = 1;
            } else if (v == "0" || v == "off") {
                setting.value = 0;
            } else {
                throw UsageError("\"" + name + "\" takes 0, 1, on or off, not \"" + valueText + "\"");
            }
            return setting;
        }
        case PF_Param_FLOAT_SLIDER:
            if (!parseDecimal(valueText, value)) {
                throw UsageError("\"" + name + "\" needs a number, not \"" + valueText + "\"");
            }
            if (value < def.u.fs_d.valid_min || value > def.u.fs_d.valid_max) {
                std::ostringstream range;
                range << def.u.fs_d.valid_min << " to " << def.u.fs_d.valid_max;
                throw UsageError("\"" + name + "\" = " + valueText + " lies outside its valid range " + range.str());
            }
            setting.value = value;
            return setting;
        case PF_Param_COLOR: {
            // R,G,B: three decimal numbers in 0..255.
            std::string rest = valueText;
            for (int c = 0; c < 3; ++c) {
                const size_t comma = rest.find(',');
                const std::string part = c < 2 ? rest.substr(0, comma) : rest;
                if ((c < 2 && comma == std::string::npos) || !parseDecimal(part, setting.colour[c]) ||
                    setting.colour[c] < 0.0 || setting.colour[c] > 255.0) {
                    throw UsageError("\"" + name + "\" takes a colour R,G,B of three numbers from 0 to 255, not \"" +
                                     valueText + "\"");
                }
                if (c < 2) rest = rest.substr(comma + 1);
            }
            return setting;
        }
        default: throw UsageError("parameter \"" + name + "\" cannot be set");
    }
}

void applySetting(hostsim::Host& host, const ParamSetting& setting) {
    PF_ParamDef& def = host.param(setting.index);
    switch (def.param_type) {
        case PF_Param_POPUP: def.u.pd.value = static_cast<A_long>(setting.value); break;
        case PF_Param_CHECKBOX: def.u.bd.value = static_cast<A_long>(setting.value); break;
        case PF_Param_FLOAT_SLIDER: def.u.fs_d.value = setting.value; break;
        case PF_Param_COLOR: {
            const auto unit = [&setting](int c) { return static_cast<float>(setting.colour[c] / 255.0); };
            host.setColourParam(setting.index, PF_PixelFloat{1.0f, unit(0), unit(1), unit(2)});
            const PF_Err err = host.userChangedParam(setting.index);
            if (err != PF_Err_NONE) throw EffectError("setting " + englishName(setting.index), err);
            break;
        }
        default: break;
    }
}

std::string formatValue(const hostsim::Host& host, int index) {
    const PF_ParamDef& def = host.param(index);
    std::ostringstream s;
    switch (def.param_type) {
        case PF_Param_POPUP:
            if (index == Ombrix::Levels::kParamView && def.u.pd.value >= 1 &&
                def.u.pd.value <= Ombrix::Levels::kViewCount) {
                return Ombrix::Levels::kViewNames[def.u.pd.value - 1];
            }
            if (def.u.pd.value >= Ombrix::Levels::kChannelRGB && def.u.pd.value <= Ombrix::Levels::kChannelAlpha) {
                return kChannelNames[def.u.pd.value - Ombrix::Levels::kChannelRGB];
            }
            s << def.u.pd.value;
            break;
        case PF_Param_CHECKBOX: return def.u.bd.value ? "on" : "off";
        case PF_Param_COLOR:
            s << int(def.u.cd.value.red) << "," << int(def.u.cd.value.green) << "," << int(def.u.cd.value.blue);
            break;
        case PF_Param_FLOAT_SLIDER: s << def.u.fs_d.value; break;
        default: break;
    }
    return s.str();
}

}  // namespace zanth
