// "Did you mean ...?": the known names closest to a mistyped one.
#pragma once

#include <string>
#include <vector>

namespace zanth {

// The edit distance (insertions, deletions, substitutions) between two
// names, letters compared without regard to case.
size_t editDistance(const std::string& a, const std::string& b);

// The known names nearest to `typed` (at most three, in the order given),
// when they are near enough to be what was meant; none otherwise.
std::vector<std::string> closestNames(const std::string& typed, const std::vector<std::string>& known);

// "" when there are no suggestions, else "; did you mean "A"?" or
// "; did you mean "A", "B" or "C"?".
std::string didYouMean(const std::vector<std::string>& suggestions);

}  // namespace zanth
