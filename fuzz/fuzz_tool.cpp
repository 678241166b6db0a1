// libFuzzer target for what the tool reads from its user: PNG files (the
// header check and the decoder) and "--set NAME=VALUE" texts (names, decimal
// numbers, ranges). The first byte picks which: even for a PNG, odd for a
// --set text; the rest is the input.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/ae_effect.h"
#include "params/ParamIndices.h"
#include "tool/ParamSettings.h"
#include "tool/PngIO.h"
#include "tool/ToolCommon.h"

namespace {

// Pictures beyond this many pixels are not decoded here: only their header is
// checked. Decoding them is plain work, not a different path, and would
// exhaust the fuzzer's memory limit.
constexpr uint64_t kMaxFuzzPixels = uint64_t(1) << 20;

// Declarations of the kinds the effect makes, by index, as parameter set-up
// leaves them: the Channel and View popups, float sliders, two checkboxes,
// the three pickers.
std::vector<PF_ParamDef> makeDeclarations() {
    std::vector<PF_ParamDef> defs(Ombrix::Levels::kParamCount);
    for (int i = 0; i < Ombrix::Levels::kParamCount; ++i) {
        PF_ParamDef& def = defs[static_cast<size_t>(i)];
        const std::string name = zanth::englishName(i);
        if (name == "Channel" || name == "View") {
            def.param_type = PF_Param_POPUP;
            def.u.pd.num_choices = name == "View" ? 3 : 5;
        } else if (i >= Ombrix::Levels::kParamBlackPoint && i <= Ombrix::Levels::kParamWhitePoint) {
            def.param_type = PF_Param_COLOR;
        } else if (name.rfind("Clip", 0) == 0) {
            def.param_type = PF_Param_CHECKBOX;
        } else if (!name.empty() && i != Ombrix::Levels::kParamHistogram) {
            def.param_type = PF_Param_FLOAT_SLIDER;
            const bool gamma = name.find("Gamma") != std::string::npos;
            const bool autoClip = i == Ombrix::Levels::kParamAutoClip;
            def.u.fs_d.valid_min = gamma || autoClip ? 0 : -2550000;
            def.u.fs_d.valid_max = gamma ? 5 : autoClip ? 10 : 2550000;
        } else {
            def.param_type = PF_Param_GROUP_START;
        }
    }
    return defs;
}

void fuzzPng(const uint8_t* data, size_t size) {
    try {
        const zanth::PngSize header = zanth::readPngSize(data, size, "input");
        zanth::checkPictureSize(header, "input");
        if (uint64_t(header.width) * header.height > kMaxFuzzPixels) return;
        const zanth::RgbaImage image = zanth::decodePng(data, size, "input");
        const size_t samples = size_t(image.width) * size_t(image.height) * 4;
        if (image.bitsPerChannel == 16 ? image.rgba16.size() != samples : image.rgba.size() != samples) {
            __builtin_trap();
        }
        if (image.width < 1 || image.height < 1 || image.width > 16384 || image.height > 16384) __builtin_trap();
    } catch (const zanth::UsageError&) {
    } catch (const std::runtime_error&) {
    }
}

void fuzzSetting(const uint8_t* data, size_t size) {
    static const std::vector<PF_ParamDef> defs = makeDeclarations();
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        zanth::checkSettingNames({text});
        const zanth::ParamSetting setting =
            zanth::parseSetting([](int index) -> const PF_ParamDef& { return defs.at(static_cast<size_t>(index)); }, text);
        const PF_ParamDef& def = defs.at(static_cast<size_t>(setting.index));
        if (def.param_type == PF_Param_FLOAT_SLIDER &&
            (setting.value < def.u.fs_d.valid_min || setting.value > def.u.fs_d.valid_max)) {
            __builtin_trap();  // a value outside its range got through
        }
    } catch (const zanth::UsageError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    if (data[0] % 2 == 0) {
        fuzzPng(data + 1, size - 1);
    } else {
        fuzzSetting(data + 1, size - 1);
    }
    return 0;
}
