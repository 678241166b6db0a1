#include "tool/NameSuggestions.h"

#include <algorithm>
#include <cctype>

namespace zanth {
namespace {

char folded(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

}  // namespace

size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            const size_t substitution = diagonal + (folded(a[i - 1]) == folded(b[j - 1]) ? 0 : 1);
            row[j] = std::min({above + 1, row[j - 1] + 1, substitution});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::vector<std::string> closestNames(const std::string& typed, const std::vector<std::string>& known) {
    // Near enough: a third of the letters wrong, and always two.
    const size_t nearEnough = std::max<size_t>(2, typed.size() / 3);
    size_t best = nearEnough + 1;
    for (const std::string& name : known) best = std::min(best, editDistance(typed, name));
    std::vector<std::string> out;
    for (const std::string& name : known) {
        if (best <= nearEnough && editDistance(typed, name) == best && out.size() < 3) out.push_back(name);
    }
    return out;
}

std::string didYouMean(const std::vector<std::string>& suggestions) {
    if (suggestions.empty()) return "";
    std::string text = "; did you mean ";
    for (size_t i = 0; i < suggestions.size(); ++i) {
        if (i > 0) text += i + 1 == suggestions.size() ? " or " : ", ";
        text += "\"" + suggestions[i] + "\"";
    }
    return text + "?";
}

}  // namespace zanth
