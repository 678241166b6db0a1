#include "ui/EditorInstances.h"

namespace Ombrix::Levels {

namespace {
// Far more controls than a user has open at once.
constexpr std::size_t kRememberedInstances = 64;
}  // namespace

HistogramEditor& EditorInstances::editorFor(PF_ProgPtr instance) {
    for (auto it = editors_.begin(); it != editors_.end(); ++it) {
        if (it->first != instance) continue;
        if (it != editors_.begin()) editors_.splice(editors_.begin(), editors_, it);
        return *editors_.front().second;
    }
    auto editor = std::make_unique<HistogramEditor>();
    if (editors_.size() >= capacity_) editors_.pop_back();
    editors_.emplace_front(instance, std::move(editor));
    return *editors_.front().second;
}

EditorInstances& editorInstances() {
    static EditorInstances instances(kRememberedInstances);
    return instances;
}

}  // namespace Ombrix::Levels
