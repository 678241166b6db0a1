#include "gl/ContextRegistry.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "gl/ThreadEndWatch.h"

namespace Ombrix::Levels {
namespace {

// False once the registry is gone (module unload, process exit): a thread
// ending after that finds nothing to release. Constant-initialised, so it
// outlives the registry.
std::atomic<bool> gRegistryAlive{false};

// A thread's context and the watch on the thread that made it.
struct ThreadContext {
    std::unique_ptr<AEOpenGLContext> context;
    ThreadEndWatch owner;
};

struct Registry {
    Registry() { gRegistryAlive = true; }
    ~Registry() { gRegistryAlive = false; }
    std::recursive_mutex lock;
    std::unique_ptr<AEOpenGLContext> root;
    std::map<int32_t, ThreadContext> perThread;
    std::map<int, ContextEndHook> endHooks;
    int nextHook = 0;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

std::atomic<int32_t> gNextThreadNumber{0};
thread_local int32_t tThreadNumber = -1;

void releaseThreadContext(int32_t threadNumber);

// One per thread that has had a context: its destructor, run as the thread
// ends, releases that thread's context and what was kept for it. It keeps the
// thread's number itself: other thread-local variables may already be gone
// when it runs (mingw-w64 frees them before running these destructors).
struct ThreadContextRelease {
    int32_t threadNumber;
    ~ThreadContextRelease() {
        try {
            releaseThreadContext(threadNumber);
        } catch (...) {
            // A thread's end is no place to report anything.
        }
    }
};

void releaseThreadContext(int32_t threadNumber) {
    if (!gRegistryAlive || threadNumber == -1) return;
    Registry& r = registry();
    std::lock_guard<std::recursive_mutex> guard(r.lock);
    auto found = r.perThread.find(threadNumber);
    if (found == r.perThread.end()) return;  // none made, or gone with a global set-down
    std::unique_ptr<AEOpenGLContext> context = std::move(found->second.context);
    r.perThread.erase(found);
    if (!context) return;
    SavedCurrentContext saved;
    bool current = true;
    try {
        context->makeCurrent();
    } catch (const AESDK_OpenGL_Fault&) {
        current = false;  // its objects are only forgotten; they go with the context
    }
    for (auto& hook : r.endHooks) hook.second(*context, current);
    context.reset();
    saved.restore();
}

// Releases the contexts of threads that have ended without releasing them
// themselves (see ThreadEndWatch.h). Under the registry lock.
void releaseContextsOfEndedThreads(Registry& r) {
    std::vector<int32_t> ended;
    for (const auto& entry : r.perThread) {
        if (entry.second.owner.ended()) ended.push_back(entry.first);
    }
    for (int32_t threadNumber : ended) releaseThreadContext(threadNumber);
}

}  // namespace

void createRootContext() {
    Registry& r = registry();
    std::lock_guard<std::recursive_mutex> guard(r.lock);
    if (r.root) return;
    r.root = std::make_unique<AEOpenGLContext>(nullptr);  // set only when the constructor returns
}

AEOpenGLContext* rootContext() {
    Registry& r = registry();
    std::lock_guard<std::recursive_mutex> guard(r.lock);
    return r.root.get();
}

AEOpenGLContext& contextForCurrentThread() {
    Registry& r = registry();
    std::lock_guard<std::recursive_mutex> guard(r.lock);
    releaseContextsOfEndedThreads(r);
    if (tThreadNumber == -1) tThreadNumber = gNextThreadNumber.fetch_add(1);
    auto found = r.perThread.find(tThreadNumber);
    if (found != r.perThread.end() && found->second.context) return *found->second.context;
    if (!r.root) throw AESDK_OpenGL_Fault(1);
    auto made = std::make_unique<AEOpenGLContext>(r.root.get());
    AEOpenGLContext& context = *made;
    r.perThread[tThreadNumber] = ThreadContext{std::move(made), ThreadEndWatch::currentThread()};
#if !defined(_WIN32)
    // Made here, after glbinding's own per-thread state, so that it is
    // destroyed before that state at the thread's end.
    static thread_local ThreadContextRelease releaseAtThreadEnd{tThreadNumber};
    (void)releaseAtThreadEnd;
#endif
    return context;
}

AEOpenGLContext* existingContextForCurrentThread() {
    if (tThreadNumber == -1) return nullptr;
    Registry& r = registry();
    std::lock_guard<std::recursive_mutex> guard(r.lock);
    auto found = r.perThread.find(tThreadNumber);
    return found == r.perThread.end() ? nullptr : found->second.context.get();
}

int addContextEndHook(ContextEndHook hook) {
    Registry& r = registry();
    std::lock_guard<std::recursive_mutex> guard(r.lock);
    const int id = r.nextHook++;
    r.endHooks.emplace(id, std::move(hook));
    return id;
}

void removeContextEndHook(int id) {
    if (!gRegistryAlive) return;
    Registry& r = registry();
    std::lock_guard<std::recursive_mutex> guard(r.lock);
    r.endHooks.erase(id);
}

void destroyAllContexts() {
    Registry& r = registry();
    std::lock_guard<std::recursive_mutex> guard(r.lock);
    // The hooks forget what is still kept for each context (their owners
    // released it before, where they could), so that nothing is kept for a
    // context that is gone.
    constexpr bool kNotCurrent = false;  // no context is made current here
    for (auto& entry : r.perThread) {  // ascending thread number
        if (!entry.second.context) continue;
        for (auto& hook : r.endHooks) hook.second(*entry.second.context, kNotCurrent);
        entry.second.context.reset();
    }
    r.perThread.clear();
    if (r.root) {
        for (auto& hook : r.endHooks) hook.second(*r.root, kNotCurrent);
    }
    r.root.reset();
}

std::size_t threadContextCount() {
    Registry& r = registry();
    std::lock_guard<std::recursive_mutex> guard(r.lock);
    return r.perThread.size();
}

GlWorkLock::GlWorkLock() { registry().lock.lock(); }
GlWorkLock::~GlWorkLock() { registry().lock.unlock(); }

}  // namespace Ombrix::Levels
