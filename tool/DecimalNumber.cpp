#include "tool/DecimalNumber.h"

#include <cmath>
#include <locale>
#include <sstream>

namespace zanth {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The length of the run of digits at `at`.
size_t digitsAt(const std::string& text, size_t at) {
    size_t n = 0;
    while (at + n < text.size() && isDigit(text[at + n])) ++n;
    return n;
}

}  // namespace

bool parseDecimal(const std::string& text, double& value) {
    size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    const size_t whole = digitsAt(text, at);
    at += whole;
    size_t fraction = 0;
    if (at < text.size() && text[at] == '.') {
        fraction = digitsAt(text, at + 1);
        at += 1 + fraction;
    }
    if (whole + fraction == 0) return false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        size_t exponent = at + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
        const size_t digits = digitsAt(text, exponent);
        if (digits == 0) return false;
        at = exponent + digits;
    }
    if (at != text.size()) return false;
    // The text is decimal by now; the classic locale reads its point as a point.
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    double parsed = 0;
    in >> parsed;
    if (in.fail() || !std::isfinite(parsed)) return false;
    value = parsed;
    return true;
}

}  // namespace zanth
