#include "hostsim/RenderServices.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "host/ae_suites.h"
#include "hostsim/Host.h"
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

}  // namespace

void installRenderServices(Host& host) {
    gFailHandles = 0;  // every host starts without injected failures
    gFailIterate = PF_Err_NONE;
    host.provideSuite(kPFHandleSuite, kPFHandleSuiteVersion1, &kHandleSuite);
    host.provideSuite(kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1, &kIterateFloatSuite);
}

void failHandleAllocations(int count) { gFailHandles = count; }
void failIterations(PF_Err code) { gFailIterate = code; }

}  // namespace hostsim
