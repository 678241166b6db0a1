// One object of type T for each of the effect's GL contexts, for what OpenGL
// does not share between contexts (framebuffers, vertex arrays) and what
// belongs with them. Entries are made on first use in a context.
//
// Used only under the context registry's lock (GlWorkLock). The entries must
// go before their contexts do: forgetAll() drops them without a GL call
// (their container objects die with their contexts), and the destructor does
// the same, so a module unloaded without global set-down makes no GL call.
// T offers forget(): give up its GL names without deleting them.
#pragma once

#include <map>
#include <memory>

namespace Ombrix::Levels {

class AEOpenGLContext;

template <typename T>
class PerContext {
public:
    PerContext() = default;
    ~PerContext() { forgetAll(); }
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
    std::map<const AEOpenGLContext*, std::unique_ptr<T>> items_;
};

}  // namespace Ombrix::Levels
