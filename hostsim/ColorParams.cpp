// Colour parameters as the simulated host keeps them: the 8-bit value in the
// parameter, and, where a test set one, the value at float precision behind
// it, handed out by "PF ColorParamSuite" v1 (PF_GetFloatingPointColorFromColorDef).
// And PF_Cmd_USER_CHANGED_PARAM, as the host sends it when the user sets a
// supervised parameter.
#include <algorithm>
#include <cmath>

#include "hostsim/Host.h"

namespace hostsim {
namespace {

PF_Err AE_CALLBACK floatColorFromDef(PF_ProgPtr ref, const PF_ParamDef* def, PF_PixelFloat* colour) {
    return Host::current().floatColourOf(ref, def, colour);
}

A_u_char toByte(float v) {
    if (!(v > 0.0f)) return 0;  // NaN and below 0
    return static_cast<A_u_char>(std::lrint(std::min(v, 1.0f) * 255.0f));
}

const PF_ColorParamSuite1 kColorParamSuite{floatColorFromDef};

}  // namespace

void installColorParams(Host& host) {
    host.provideSuite(kPFColorParamSuite, kPFColorParamSuiteVersion1, &kColorParamSuite);
}

void Host::setColourParam(int index, const PF_PixelFloat& colour) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    PF_ParamDef& def = params_.at(static_cast<size_t>(index)).def;
    if (def.param_type != PF_Param_COLOR) {
        violation("setColourParam on parameter " + std::to_string(index) + ", which is not a colour");
        return;
    }
    def.u.cd.value = PF_Pixel{toByte(colour.alpha), toByte(colour.red), toByte(colour.green), toByte(colour.blue)};
    floatColours_[index] = colour;
}

PF_Err Host::floatColourOf(PF_ProgPtr ref, const PF_ParamDef* def, PF_PixelFloat* colour) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!validRef(ref, "PF_GetFloatingPointColorFromColorDef") || !def || !colour) return PF_Err_BAD_CALLBACK_PARAM;
    // The host knows the parameter by its definition: one of the command's own.
    const std::vector<PF_ParamDef>* copies = commandParams();
    int index = -1;
    if (copies) {
        for (size_t i = 0; i < copies->size(); ++i) {
            if (&(*copies)[i] == def) index = static_cast<int>(i);
        }
    }
    if (index < 0 || def->param_type != PF_Param_COLOR) {
        violation("PF_GetFloatingPointColorFromColorDef called with a definition that is not one of the command's "
                  "colour parameters");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    const PF_Pixel& v = def->u.cd.value;
    auto kept = floatColours_.find(index);
    if (kept != floatColours_.end()) {
        const PF_PixelFloat& f = kept->second;
        if (toByte(f.red) == v.red && toByte(f.green) == v.green && toByte(f.blue) == v.blue) {
            *colour = f;
            return PF_Err_NONE;
        }
    }
    *colour = PF_PixelFloat{v.alpha / 255.0f, v.red / 255.0f, v.green / 255.0f, v.blue / 255.0f};
    return PF_Err_NONE;
}

PF_Err Host::userChangedParam(int index) {
    PF_UserChangedParamExtra extra{};
    extra.param_index = index;
    return send(PF_Cmd_USER_CHANGED_PARAM, nullptr, &extra);
}

}  // namespace hostsim
