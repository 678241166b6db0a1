// One object of type T for each of the effect's GL contexts, for what OpenGL
// does not share between contexts (framebuffers, vertex arrays) and what
// belongs with them. Entries are made on first use in a context.
//
// Used only under the context registry's lock (GlWorkLock). The entries must
// go before their contexts do. A context released at its thread's end takes
// its entry with it: with that context current the entry's objects are
// deleted (T::release(), or reset() for a single GL name), or only forgotten
// when the context cannot be made current. forgetAll() drops every entry
// without a GL call (their container objects die with their contexts), and
// the destructor does the same, so a module unloaded without global set-down
// makes no GL call. T offers forget(): give up its GL names without deleting
// them.
#pragma once

#include <map>
#include <memory>
#include <utility>

#include "gl/ContextRegistry.h"

namespace Ombrix::Levels {

class AEOpenGLContext;

namespace detail {
template <typename T>
auto releaseEntry(T& item, int) -> decltype(item.release(), void()) {
    item.release();
}
template <typename T>
void releaseEntry(T& item, long) {
    item.reset();
}
}  // namespace detail

template <typename T>
class PerContext {
public:
    PerContext()
        : hook_(addContextEndHook([this](const AEOpenGLContext& context, bool current) { drop(context, current); })) {}
    ~PerContext() {
        removeContextEndHook(hook_);
        forgetAll();
    }
    PerContext(const PerContext&) = delete;
    PerContext& operator=(const PerContext&) = delete;

    T& get(const AEOpenGLContext& context) {
        std::unique_ptr<T>& slot = items_[&context];
        if (!slot) slot = std::make_unique<T>();
        return *slot;
    }

    template <typename Fn>
    void forEach(Fn fn) {
        for (auto& item : items_) fn(*item.second);
    }

    // fn(context, item) for every entry.
    template <typename Fn>
    void forEachWithContext(Fn fn) {
        for (auto& item : items_) fn(*item.first, *item.second);
    }

    void forgetAll() {
        for (auto& item : items_) item.second->forget();
        items_.clear();
    }

    std::size_t size() const { return items_.size(); }

private:
    // The entry of `context`, which is going: its objects are deleted when
    // the context is current, else forgotten.
    void drop(const AEOpenGLContext& context, bool current) {
        auto found = items_.find(&context);
        if (found == items_.end()) return;
        if (current) {
            detail::releaseEntry(*found->second, 0);
        } else {
            found->second->forget();
        }
        items_.erase(found);
    }

    std::map<const AEOpenGLContext*, std::unique_ptr<T>> items_;
    int hook_;
};

}  // namespace Ombrix::Levels
