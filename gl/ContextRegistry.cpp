#include "gl/ContextRegistry.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>

namespace Ombrix::Levels {
namespace {

struct Registry {
    std::recursive_mutex lock;
    std::unique_ptr<AEOpenGLContext> root;
    std::map<int32_t, std::unique_ptr<AEOpenGLContext>> perThread;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

std::atomic<int32_t> gNextThreadNumber{0};
thread_local int32_t tThreadNumber = -1;

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
    if (tThreadNumber == -1) tThreadNumber = gNextThreadNumber.fetch_add(1);
    auto found = r.perThread.find(tThreadNumber);
    if (found != r.perThread.end() && found->second) return *found->second;
    if (!r.root) throw AESDK_OpenGL_Fault(1);
    auto made = std::make_unique<AEOpenGLContext>(r.root.get());
    AEOpenGLContext& context = *made;
    r.perThread[tThreadNumber] = std::move(made);
    return context;
}

void destroyAllContexts() {
    Registry& r = registry();
    std::lock_guard<std::recursive_mutex> guard(r.lock);
    for (auto& entry : r.perThread) entry.second.reset();  // ascending thread number
    r.perThread.clear();
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
