// One histogram editor per instance of the effect: each control hit-tests
// clicks against the geometry that its own last draw recorded. Instances are
// known by their effect reference. The host does not say when an instance goes
// away, so the store keeps only the editors used most recently.
#pragma once

#include <cstddef>
#include <list>
#include <memory>
#include <utility>

#include "host/ae_effect.h"
#include "ui/HistogramEditor.h"

namespace Ombrix::Levels {

class EditorInstances {
public:
    explicit EditorInstances(std::size_t capacity) : capacity_(capacity < 1 ? 1 : capacity) {}
    EditorInstances(const EditorInstances&) = delete;
    EditorInstances& operator=(const EditorInstances&) = delete;

    // The editor of `instance`, made (with no geometry yet) when it has none;
    // the one used longest ago is dropped when the store is full.
    HistogramEditor& editorFor(PF_ProgPtr instance);

    std::size_t size() const { return editors_.size(); }
    std::size_t capacity() const { return capacity_; }

private:
    std::size_t capacity_;
    // Most recently used first.
    std::list<std::pair<PF_ProgPtr, std::unique_ptr<HistogramEditor>>> editors_;
};

// The process-wide store, alive from module load to unload.
EditorInstances& editorInstances();

}  // namespace Ombrix::Levels
