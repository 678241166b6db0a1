// One object of type T for each of the effect's GL contexts, for what OpenGL
// does not share between contexts (framebuffers, vertex arrays) and what
// belongs with them. Entries are made on first use in a context.
//
// Used only under the context registry's lock (GlWorkLock). The entries must
// go before their contexts do. A context released at its thread's end takes
// its entry with it: with that context current the entry's objects are
// deleted (T::release(), or reset() for a single GL name), or only forgotten
// when the context cannot be made current. releaseAll() (global set-down)
// deletes every entry's objects, each in its own context. forgetAll() drops
// every entry without a GL call (their container objects die with their
// contexts), and the destructor does the same, so a module unloaded without
// global set-down makes no GL call.
//
// T offers forget(): give up its GL names without deleting them; and
// forgetContextObjects(): give up only the names that die with their context
// (framebuffers, vertex arrays), which T may leave out where forget() does
// just that (a single vertex array name, or no GL name at all).
#pragma once

#include <map>
#include <memory>
#include <utility>

#include "gl/ContextRegistry.h"

namespace Ombrix::Levels {

namespace detail {
template <typename T>
auto releaseEntry(T& item, int) -> decltype(item.release(), void()) {
    item.release();
}
template <typename T>
void releaseEntry(T& item, long) {
    item.reset();
}
template <typename T>
auto forgetContextObjects(T& item, int) -> decltype(item.forgetContextObjects(), void()) {
    item.forgetContextObjects();
}
template <typename T>
void forgetContextObjects(T& item, long) {
    item.forget();  // all it holds dies with its context
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

    // Global set-down, with a context of the share group current: every
    // entry's objects are deleted in its own context, made current for it
    // (Mesa keeps per-context state for objects a context drew into or
    // sampled, which deleting them from another context leaks). An entry
    // whose context cannot be made current forgets what dies with that
    // context and has the rest deleted from the context current then, which
    // shares it. Ends with the root current, when it can be made current; no
    // entry is left.
    void releaseAll() {
        for (auto& item : items_) {
            try {
                item.first->makeCurrent();
            } catch (const AESDK_OpenGL_Fault&) {
                detail::forgetContextObjects(*item.second, 0);
            }
            detail::releaseEntry(*item.second, 0);
        }
        try {
            if (AEOpenGLContext* root = rootContext()) root->makeCurrent();
        } catch (const AESDK_OpenGL_Fault&) {
            // The last context made current shares what is left.
        }
        items_.clear();
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
