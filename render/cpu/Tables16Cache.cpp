#include "render/cpu/Tables16Cache.h"

#include <mutex>
#include <utility>

namespace Ombrix::Levels {
namespace {

constexpr size_t kKept = 4;

bool same(const ChannelLevels& a, const ChannelLevels& b) {
    return a.inputBlack == b.inputBlack && a.inputWhite == b.inputWhite && a.gamma == b.gamma &&
           a.outputBlack == b.outputBlack && a.outputWhite == b.outputWhite;
}

bool same(const LevelsSettings& a, const LevelsSettings& b) {
    return same(a.composite, b.composite) && same(a.red, b.red) && same(a.green, b.green) && same(a.blue, b.blue) &&
           same(a.alpha, b.alpha) && a.clipBlack == b.clipBlack && a.clipWhite == b.clipWhite && a.view == b.view;
}

struct Entry {
    LevelsSettings settings;
    std::shared_ptr<const Tables16> tables;
};

std::mutex gMutex;
std::vector<Entry>& entries() {
    static std::vector<Entry> kept;  // the most recently used last
    return kept;
}

}  // namespace

std::shared_ptr<const Tables16> cachedTables16(const LevelsSettings& settings,
                                               const std::function<void(Tables16&)>& build) {
    {
        std::lock_guard<std::mutex> lock(gMutex);
        std::vector<Entry>& kept = entries();
        for (size_t i = 0; i < kept.size(); ++i) {
            if (same(kept[i].settings, settings)) {
                Entry hit = std::move(kept[i]);
                kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(i));
                kept.push_back(hit);
                return hit.tables;
            }
        }
    }
    auto made = std::make_shared<Tables16>();
    build(*made);
    std::lock_guard<std::mutex> lock(gMutex);
    std::vector<Entry>& kept = entries();
    if (kept.size() >= kKept) kept.erase(kept.begin());
    kept.push_back(Entry{settings, made});
    return made;
}

}  // namespace Ombrix::Levels
