// While the editor waits for a render of the frame it shows (a draw missed its
// key in the histogram cache), the non-drawing events the host sends anyway
// (idle time, cursor moves) look the key up and, once a render has counted
// it, ask for one redraw: a draw cannot ask for the next one, since the host
// honours PF_InvalidateRect only in a non-drawing event. The waiting ends
// after kPatience without a render of that key (the host may never render
// the frame: a frame served from its own cache, a panel left open on a
// paused composition) and starts again with the next draw that misses.
//
// Times come from the caller, so the rules can be held against any clock.
#pragma once

#include <chrono>
#include <optional>

#include "histogram/HistogramCache.h"

namespace Ombrix::Levels {

class HistogramPoll {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kPatience{2000};

    // A draw found the histogram of its key: nothing to wait for.
    void found() { waiting_ = false; }
    // A draw at `now` missed `key`: the editor waits for it. A new key, or a
    // key it had stopped waiting for, starts a new wait of kPatience.
    void missed(const HistogramKey& key, Clock::time_point now);
    // A non-drawing event at `now`: the key to look for while the editor
    // waits, none otherwise. A wait past kPatience ends here.
    std::optional<HistogramKey> awaited(Clock::time_point now);
    // The key's histogram is in the cache and a redraw has been asked for:
    // the draw will find it, so the wait ends.
    void redrawAsked() { waiting_ = false; }

private:
    bool waiting_ = false;
    HistogramKey key_{};
    Clock::time_point since_{};
};

}  // namespace Ombrix::Levels
