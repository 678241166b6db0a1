// The 16-bit tables of the last few settings, shared by every frame that
// renders with them: a sequence of frames with the same settings builds its
// tables once. Entries are immutable once made; a frame holds its entry
// (shared_ptr) while it renders, so a newer entry never pulls it away.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "render/LevelsSettings.h"

namespace Ombrix::Levels {

using Tables16 = std::vector<uint16_t>;

// The tables for `settings` (already sanitised), keyed on the whole settings
// value (operator==, LevelsSettings.h): from the cache, or made by `build` (called without the cache's lock held) and kept.
std::shared_ptr<const Tables16> cachedTables16(const LevelsSettings& settings,
                                               const std::function<void(Tables16&)>& build);

}  // namespace Ombrix::Levels
