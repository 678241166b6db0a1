// "--set NAME=VALUE" for the tool: parameters addressed by their English names.
#pragma once

#include <string>
#include <vector>

namespace hostsim {
class Host;
}

namespace zanth {

struct ParamSetting {
    int index = 0;
    double value = 0.0;
};

// Parses "NAME=VALUE": NAME is a parameter's English name ("Input Black",
// "Red Gamma", "Clip To Output White", "Channel", ...); "Channel" takes 1-5
// or RGB/Red/Green/Blue/Alpha, checkboxes 0/1/on/off, sliders any number in
// the parameter's valid range. Throws UsageError naming the problem.
// The host must have run parameter set-up (ranges come from the declarations).
ParamSetting parseSetting(const hostsim::Host& host, const std::string& text);

// Stores the value in the host's parameter store.
void applySetting(hostsim::Host& host, const ParamSetting& setting);

// The English name of a parameter index ("" for the layer, groups without one).
std::string englishName(int index);
// The value of a parameter as the tool prints it ("128", "1.5", "Red", "on").
std::string formatValue(const hostsim::Host& host, int index);

}  // namespace zanth
