// While the editor waits for a render of the frame it shows, each draw asks
// the host for another (PF_InvalidateRect is a lazy redraw), so the histogram
// appears once a render thread has counted it. The asking stops after
// kPatience without a render of that key (the host may never render the
// frame: a frame served from its own cache, a panel left open on a paused
// comp) and starts again with the next draw that finds nothing, which comes
// only from another event once the editor has stopped asking.
#pragma once

#include <chrono>

#include "render/HistogramCache.h"

namespace Ombrix::Levels {

class HistogramPoll {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kPatience{2000};

    // A draw found its histogram: nothing to wait for.
    void found() { waiting_ = false; }
    // A draw at `now` found nothing under `key`: true while the editor should
    // ask for another draw. A new key starts a new wait.
    bool keepAsking(const HistogramKey& key, Clock::time_point now);
    bool waiting() const { return waiting_; }

private:
    bool waiting_ = false;
    HistogramKey key_{};
    Clock::time_point since_{};
};

}  // namespace Ombrix::Levels
