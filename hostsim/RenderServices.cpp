#include "hostsim/RenderServices.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <thread>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "host/ae_suites.h"
#include "hostsim/Host.h"
#include "hostsim/Traps.h"
#include "hostsim/World.h"

namespace hostsim {
namespace {

constexpr const char* kHandleKind = "PF_Handle";

// A handle's memory block; the handle given to the effect is its address.
struct Block {
    std::vector<uint8_t> bytes;  // never resized while locked
    int locks = 0;
};

std::mutex gHandlesMutex;
std::map<PF_Handle, std::unique_ptr<Block>>& blocks() {
    static std::map<PF_Handle, std::unique_ptr<Block>> live;
    return live;
}
std::atomic<int> gFailHandles{0};
std::atomic<PF_Err> gFailIterate{PF_Err_NONE};

// The block of a live handle, or null (and a violation) for one the host does not know.
Block* find(PF_Handle handle, const char* who) {
    std::lock_guard<std::mutex> lock(gHandlesMutex);
    auto found = blocks().find(handle);
    if (found != blocks().end()) return found->second.get();
    Host::current().violation(std::string(who) + " on a handle the host did not make (or disposed of already)");
    return nullptr;
}

PF_Handle AE_CALLBACK newHandle(A_HandleSize size) {
    if (gFailHandles > 0) {
        --gFailHandles;
        return nullptr;
    }
    if (size > (A_HandleSize(1) << 34)) return nullptr;  // more than the host would give
    auto block = std::make_unique<Block>();
    block->bytes.assign(static_cast<size_t>(size), 0xCD);  // not cleared, like a real host's memory
    const auto handle = reinterpret_cast<PF_Handle>(block.get());
    {
        std::lock_guard<std::mutex> lock(gHandlesMutex);
        blocks()[handle] = std::move(block);
    }
    Host::current().objectMade(kHandleKind);
    return handle;
}

void* AE_CALLBACK lockHandle(PF_Handle handle) {
    Block* block = find(handle, "host_lock_handle");
    if (!block) return nullptr;
    ++block->locks;
    return block->bytes.empty() ? static_cast<void*>(block) : block->bytes.data();
}

void AE_CALLBACK unlockHandle(PF_Handle handle) {
    Block* block = find(handle, "host_unlock_handle");
    if (!block) return;
    if (block->locks == 0) {
        Host::current().violation("host_unlock_handle on a handle that is not locked");
        return;
    }
    --block->locks;
}

void AE_CALLBACK disposeHandle(PF_Handle handle) {
    std::unique_ptr<Block> owned;
    {
        std::lock_guard<std::mutex> lock(gHandlesMutex);
        auto found = blocks().find(handle);
        if (found != blocks().end()) {
            owned = std::move(found->second);
            blocks().erase(found);
        }
    }
    Host& host = Host::current();
    if (!owned) {
        host.violation("host_dispose_handle on a handle the host did not make (or disposed of already)");
        return;
    }
    if (owned->locks > 0) host.violation("host_dispose_handle on a handle that is still locked");
    host.objectReleased(kHandleKind);
}

A_HandleSize AE_CALLBACK handleSize(PF_Handle handle) {
    Block* block = find(handle, "host_get_handle_size");
    return block ? block->bytes.size() : 0;
}

PF_Err AE_CALLBACK resizeHandle(A_HandleSize size, PF_Handle* handleP) {
    if (!handleP) return PF_Err_BAD_CALLBACK_PARAM;
    Block* block = find(*handleP, "host_resize_handle");
    if (!block) return PF_Err_BAD_CALLBACK_PARAM;
    if (block->locks > 0) {
        Host::current().violation("host_resize_handle on a locked handle");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    block->bytes.resize(static_cast<size_t>(size), 0xCD);
    return PF_Err_NONE;
}

const PF_HandleSuite1 kHandleSuite = {newHandle, lockHandle, unlockHandle, disposeHandle, handleSize, resizeHandle};

// Iterates `area` (the whole destination when null), clipped to both worlds,
// row by row; stops at the first pixel function that reports an error.
PF_Err AE_CALLBACK iterateFloat(PF_InData* in_data, A_long /*progress_base*/, A_long /*progress_final*/,
                                PF_EffectWorld* src, const PF_Rect* area, void* refcon,
                                PF_Err(AE_CALLBACK* pix_fn)(void*, A_long, A_long, PF_PixelFloat*, PF_PixelFloat*),
                                PF_EffectWorld* dst) {
    Host& host = Host::current();
    if (!in_data || !pix_fn || !dst) {
        host.violation("iterate (float) called with a null argument");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (worldFormat(dst) != PF_PixelFormat_ARGB128 || (src && worldFormat(src) != PF_PixelFormat_ARGB128)) {
        host.violation("iterate (float) on a world that is not a float host world");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (gFailIterate != PF_Err_NONE) return gFailIterate;
    PF_Rect r = area ? *area : PF_Rect{0, 0, dst->width, dst->height};
    r.left = std::max<A_long>(r.left, 0);
    r.top = std::max<A_long>(r.top, 0);
    r.right = std::min<A_long>(r.right, dst->width);
    r.bottom = std::min<A_long>(r.bottom, dst->height);
    if (src) {
        r.right = std::min<A_long>(r.right, src->width);
        r.bottom = std::min<A_long>(r.bottom, src->height);
    }
    auto* dstBytes = reinterpret_cast<uint8_t*>(dst->data);
    auto* srcBytes = src ? reinterpret_cast<uint8_t*>(src->data) : nullptr;
    for (A_long y = r.top; y < r.bottom; ++y) {
        auto* out = reinterpret_cast<PF_PixelFloat*>(dstBytes + static_cast<ptrdiff_t>(dst->rowbytes) * y);
        auto* in = srcBytes ? reinterpret_cast<PF_PixelFloat*>(srcBytes + static_cast<ptrdiff_t>(src->rowbytes) * y)
                            : out;
        for (A_long x = r.left; x < r.right; ++x) {
            const PF_Err err = pix_fn(refcon, x, y, &in[x], &out[x]);
            if (err != PF_Err_NONE) return err;
        }
    }
    return PF_Err_NONE;
}

const PF_iterateFloatSuite1 kIterateFloatSuite = {iterateFloat};

// "PF Iterate8 Suite" iterate_generic: the host's own worker threads (one per
// hardware thread, at least two), kept for the life of the process. The
// calling thread takes part as thread index 0; the workers are 1 and up.
std::atomic<PF_Err> gFailGeneric{PF_Err_NONE};
std::atomic<int> gFailGenericAfter{0};
std::atomic<int> gGenericCalls{0};
std::atomic<int> gGenericOnWorkers{0};
std::atomic<int> gGenericLargest{0};

struct GenericJob {
    PF_IterateGenericFunc fn = nullptr;
    void* refcon = nullptr;
    A_long count = 0;
    std::atomic<A_long> next{0};
    std::atomic<PF_Err> error{PF_Err_NONE};
    int active = 0;  // under the workers' lock

    void work(A_long threadIndex) {
        for (A_long i = next.fetch_add(1); i < count; i = next.fetch_add(1)) {
            if (error.load() != PF_Err_NONE) return;  // the host stops at the first error
            if (threadIndex != 0) ++gGenericOnWorkers;
            const PF_Err err = fn(refcon, threadIndex, i, count);
            if (err != PF_Err_NONE) {
                PF_Err none = PF_Err_NONE;
                error.compare_exchange_strong(none, err);
            }
        }
    }
};

class HostWorkers {
public:
    HostWorkers() {
        const unsigned int hardware = std::thread::hardware_concurrency();
        const int count = std::max(2, static_cast<int>(hardware));
        for (int i = 1; i < count; ++i) threads_.emplace_back([this, i] { loop(i); });
    }
    ~HostWorkers() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& t : threads_) t.join();
    }
    int count() const { return static_cast<int>(threads_.size()) + 1; }

    PF_Err run(GenericJob& job) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back(&job);
        }
        wake_.notify_all();
        job.work(0);
        std::unique_lock<std::mutex> lock(mutex_);
        auto queued = std::find(queue_.begin(), queue_.end(), &job);
        if (queued != queue_.end()) queue_.erase(queued);
        done_.wait(lock, [&job] { return job.active == 0; });
        return job.error.load();
    }

private:
    void loop(A_long index) {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) return;
            GenericJob* job = queue_.front();
            queue_.pop_front();
            queue_.push_back(job);  // every worker may join every job
            ++job->active;
            lock.unlock();
            job->work(index);
            lock.lock();
            --job->active;
            if (job->next.load() >= job->count || job->error.load() != PF_Err_NONE) {
                auto queued = std::find(queue_.begin(), queue_.end(), job);
                if (queued != queue_.end()) queue_.erase(queued);
            }
            done_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::deque<GenericJob*> queue_;
    std::vector<std::thread> threads_;
    bool stopping_ = false;
};

HostWorkers& hostWorkers() {
    static HostWorkers workers;
    return workers;
}

PF_Err AE_CALLBACK iterateGeneric(A_long iterations, void* refcon, PF_IterateGenericFunc fn) {
    if (!fn) {
        Host::current().violation("iterate_generic called without a function");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    ++gGenericCalls;
    HostWorkers& workers = hostWorkers();
    if (iterations == PF_Iterations_ONCE_PER_PROCESSOR) iterations = workers.count();
    if (iterations < 0) return PF_Err_BAD_CALLBACK_PARAM;
    for (int seen = gGenericLargest.load(); iterations > seen && !gGenericLargest.compare_exchange_weak(seen, iterations);) {
    }
    const PF_Err failure = gFailGeneric.load();
    if (failure != PF_Err_NONE) {
        // The injected failure: the first iterations run, then the host gives up.
        const A_long ran = std::min<A_long>(iterations, gFailGenericAfter.load());
        for (A_long i = 0; i < ran; ++i) {
            const PF_Err err = fn(refcon, 0, i, iterations);
            if (err != PF_Err_NONE) return err;
        }
        return failure;
    }
    GenericJob job;
    job.fn = fn;
    job.refcon = refcon;
    job.count = iterations;
    return workers.run(job);
}

PF_Iterate8Suite1 makeIterate8Suite() {
    PF_Iterate8Suite1 suite;
    fillWithTraps(suite, "PF Iterate8 Suite");
    suite.iterate_generic = iterateGeneric;
    return suite;
}
const PF_Iterate8Suite1 kIterate8Suite = makeIterate8Suite();

}  // namespace

void installRenderServices(Host& host) {
    gFailHandles = 0;  // every host starts without injected failures
    gFailIterate = PF_Err_NONE;
    host.provideSuite(kPFHandleSuite, kPFHandleSuiteVersion1, &kHandleSuite);
    host.provideSuite(kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1, &kIterateFloatSuite);
    gFailGeneric = PF_Err_NONE;
    gFailGenericAfter = 0;
    host.provideSuite(kPFIterate8Suite, kPFIterate8SuiteVersion1, &kIterate8Suite);
}

void failGenericIterations(PF_Err code, int after) {
    gFailGenericAfter = after;
    gFailGeneric = code;
}
int genericIterateCalls() { return gGenericCalls.load(); }
int genericIterationsOnWorkers() { return gGenericOnWorkers.load(); }
int genericLargestRequest() { return gGenericLargest.load(); }

void failHandleAllocations(int count) { gFailHandles = count; }
void failIterations(PF_Err code) { gFailIterate = code; }

}  // namespace hostsim
