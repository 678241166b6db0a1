// "--set NAME=VALUE" for the tool: parameters addressed by their English names.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct PF_ParamDef;
namespace hostsim {
class Host;
}

namespace zanth {

struct ParamSetting {
    int index = 0;
    double value = 0.0;
    double colour[3] = {0.0, 0.0, 0.0};  // a picker's red, green, blue in 0..255
};

// The names "--set" takes, in parameter order: every parameter's English
// name but the layer's, the groups' and the histogram's.
const std::vector<std::string>& settableNames();

// The index of the parameter of this English name (any case); 0 when none.
int settableIndex(const std::string& name);

// Checks that every "NAME=VALUE" has an equals sign and a settable NAME,
// without the module. Throws UsageError naming the first problem, with the
// closest names for a mistyped one.
void checkSettingNames(const std::vector<std::string>& settings);

// The parameters' declarations, by index, as parameter set-up left them.
using ParamDeclarations = std::function<const PF_ParamDef&(int index)>;

// Parses "NAME=VALUE": NAME is a parameter's English name ("Input Black",
// "Red Gamma", "Clip To Output White", "Channel", ...); "Channel" takes 1-5
// or RGB/Red/Green/Blue/Alpha, "View" 1-3 or Result/Shadow Clipping/Highlight
// Clipping, checkboxes 0/1/on/off, sliders a decimal number (see
// parseDecimal) in the parameter's valid range, the pickers ("Black Point",
// "Grey Point", "White Point") a colour R,G,B of three decimal numbers in
// 0..255. Throws UsageError naming the problem.
ParamSetting parseSetting(const ParamDeclarations& declarations, const std::string& text);
// The same with the host's parameters: it must have run parameter set-up.
ParamSetting parseSetting(const hostsim::Host& host, const std::string& text);

// Stores the value in the host's parameter store. A picker is set as the
// user's pick sets it: the colour, then PF_Cmd_USER_CHANGED_PARAM, whose
// changed levels the host keeps (a host error from it throws EffectError).
void applySetting(hostsim::Host& host, const ParamSetting& setting);

// The English name of a parameter index ("" for the layer, groups without one).
std::string englishName(int index);
// The value of a parameter as the tool prints it ("128", "1.5", "Red", "on").
std::string formatValue(const hostsim::Host& host, int index);

}  // namespace zanth
