#include "render/cpu/BandRunner.h"

#include <atomic>
#include <memory>
#include <vector>

#include "render/cpu/WorkerPool.h"

namespace Ombrix::Levels {
namespace {

struct IterationState {
    const std::function<void(int)>* band;
    int bands;
    std::unique_ptr<std::atomic<bool>[]> claimed;

    bool claim(int i) { return !claimed[static_cast<size_t>(i)].exchange(true); }
};

PF_Err AE_CALLBACK runIteration(void* refcon, A_long /*thread_index*/, A_long i, A_long /*iterations*/) {
    auto* state = static_cast<IterationState*>(refcon);
    if (!state || i < 0 || i >= state->bands) return PF_Err_NONE;  // nothing of ours
    if (state->claim(static_cast<int>(i))) (*state->band)(static_cast<int>(i));
    return PF_Err_NONE;
}

}  // namespace

void PoolBands::run(int bands, int maxThreads, const std::function<void(int)>& band) const {
    WorkerPool::run(bands, maxThreads, band);
}

void HostIterateBands::run(int bands, int maxThreads, const std::function<void(int)>& band) const {
    if (bands <= 1 || maxThreads <= 1 || !suite_ || !suite_->iterate_generic) {
        WorkerPool::run(bands, maxThreads, band);
        return;
    }
    IterationState state{&band, bands, std::make_unique<std::atomic<bool>[]>(static_cast<size_t>(bands))};
    for (int i = 0; i < bands; ++i) state.claimed[static_cast<size_t>(i)] = false;
    // Whatever the host answers, the bands it did not run are rendered here.
    suite_->iterate_generic(static_cast<A_long>(bands), &state, runIteration);
    std::vector<int> left;
    for (int i = 0; i < bands; ++i) {
        if (state.claim(i)) left.push_back(i);
    }
    if (left.empty()) return;
    WorkerPool::run(static_cast<int>(left.size()), maxThreads, [&](int k) { band(left[static_cast<size_t>(k)]); });
}

}  // namespace Ombrix::Levels
