// Numbers as a person types them on the command line: plain decimal only.
#pragma once

#include <string>

namespace zanth {

// Parses an optional sign, digits with an optional fraction ("12", "-0.5",
// "3.", ".25") and an optional decimal exponent ("1e3", "2.5E-1"). Refuses
// everything else: hexadecimal, inf, nan, surrounding spaces, an empty text.
// Returns false, leaving `value` alone, when the text is not such a number.
bool parseDecimal(const std::string& text, double& value);

}  // namespace zanth
