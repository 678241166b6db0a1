// Watches the process's GL calls through glbinding, which the module shares
// with the tests: how many objects of each kind are made and deleted, how many
// programs are linked, and which contexts each thread selects. While a
// counter lives, every context selected from then on reports the calls that
// matter; the module's code is not changed for it.
#pragma once

#include <glbinding/AbstractFunction.h>
#include <glbinding/Binding.h>
#include <glbinding/CallbackMask.h>
#include <glbinding/FunctionCall.h>
#include <glbinding/callbacks.h>

#include <array>
#include <atomic>
#include <map>
#include <mutex>
#include <set>

// The module's GL calls are seen where glbinding is a shared library that the
// module and the tests share (Linux). A Windows module carries its own static
// copy: a counter there sees only the test program's own GL calls.
#if defined(_WIN32)
#define ZANTH_MODULE_GL_CALLS_VISIBLE 0
#else
#define ZANTH_MODULE_GL_CALLS_VISIBLE 1
#endif

namespace zanth_test {

enum class GlObject { Texture, Renderbuffer, Framebuffer, VertexArray, Buffer, Program, Shader, Count };

struct GlCounts {
    std::array<long, static_cast<size_t>(GlObject::Count)> made{};
    std::array<long, static_cast<size_t>(GlObject::Count)> deleted{};
    long links = 0;
    long made_(GlObject k) const { return made[static_cast<size_t>(k)]; }
    long deleted_(GlObject k) const { return deleted[static_cast<size_t>(k)]; }
    long objectsMade() const {
        long n = 0;
        for (long m : made) n += m;
        return n;
    }
    GlCounts operator-(const GlCounts& o) const {
        GlCounts d;
        for (size_t i = 0; i < made.size(); ++i) {
            d.made[i] = made[i] - o.made[i];
            d.deleted[i] = deleted[i] - o.deleted[i];
        }
        d.links = links - o.links;
        return d;
    }
};

class GlCallCounter {
public:
    GlCallCounter() {
        install();
        std::lock_guard<std::mutex> lock(state().mutex);
        state().counts = GlCounts{};
        state().selected.clear();
        state().active = true;
    }
    ~GlCallCounter() {
        std::lock_guard<std::mutex> lock(state().mutex);
        state().active = false;
    }
    GlCallCounter(const GlCallCounter&) = delete;
    GlCallCounter& operator=(const GlCallCounter&) = delete;

    GlCounts counts() const {
        std::lock_guard<std::mutex> lock(state().mutex);
        return state().counts;
    }
    // The glbinding contexts each thread has selected while counting, by
    // thread key (thread ids are reused, keys are not).
    std::map<int, std::set<glbinding::ContextHandle>> selected() const {
        std::lock_guard<std::mutex> lock(state().mutex);
        return state().selected;
    }

    // A number for the calling thread, never given to another thread.
    static int threadKey() {
        static std::atomic<int> next{0};
        thread_local const int key = next++;
        return key;
    }

private:
    struct Watched {
        glbinding::AbstractFunction* function;
        GlObject kind;
        bool deletes;
        bool links;
    };
    struct State {
        std::mutex mutex;
        bool active = false;
        GlCounts counts;
        std::map<int, std::set<glbinding::ContextHandle>> selected;
    };
    static State& state() {
        static State s;
        return s;
    }
    static const std::array<Watched, 15>& watched() {
        using glbinding::Binding;
        static const std::array<Watched, 15> list = {{
            {&Binding::GenTextures, GlObject::Texture, false, false},
            {&Binding::GenRenderbuffers, GlObject::Renderbuffer, false, false},
            {&Binding::GenFramebuffers, GlObject::Framebuffer, false, false},
            {&Binding::GenVertexArrays, GlObject::VertexArray, false, false},
            {&Binding::GenBuffers, GlObject::Buffer, false, false},
            {&Binding::CreateProgram, GlObject::Program, false, false},
            {&Binding::CreateShader, GlObject::Shader, false, false},
            {&Binding::DeleteTextures, GlObject::Texture, true, false},
            {&Binding::DeleteRenderbuffers, GlObject::Renderbuffer, true, false},
            {&Binding::DeleteFramebuffers, GlObject::Framebuffer, true, false},
            {&Binding::DeleteVertexArrays, GlObject::VertexArray, true, false},
            {&Binding::DeleteBuffers, GlObject::Buffer, true, false},
            {&Binding::DeleteProgram, GlObject::Program, true, false},
            {&Binding::DeleteShader, GlObject::Shader, true, false},
            {&Binding::LinkProgram, GlObject::Count, false, true},
        }};
        return list;
    }
    static void install() {
        static std::once_flag once;
        std::call_once(once, [] {
            // The effect makes and deletes its objects one at a time.
            glbinding::setAfterCallback([](const glbinding::FunctionCall& call) {
                std::lock_guard<std::mutex> lock(state().mutex);
                if (!state().active) return;
                for (const Watched& w : watched()) {
                    if (call.function != w.function) continue;
                    if (w.links) {
                        ++state().counts.links;
                    } else if (w.deletes) {
                        ++state().counts.deleted[static_cast<size_t>(w.kind)];
                    } else {
                        ++state().counts.made[static_cast<size_t>(w.kind)];
                    }
                }
            });
            // Callback masks belong to the context selected on a thread: set
            // them whenever one is selected.
            glbinding::Binding::addContextSwitchCallback([](glbinding::ContextHandle handle) {
                bool active = false;
                {
                    std::lock_guard<std::mutex> lock(state().mutex);
                    active = state().active;
                    if (active) state().selected[threadKey()].insert(handle);
                }
                for (const Watched& w : watched()) {
                    w.function->setCallbackMask(active ? glbinding::CallbackMask::After : glbinding::CallbackMask::None);
                }
            });
        });
    }
};

}  // namespace zanth_test
