// The input histograms that renders counted, kept for the histogram editor.
//
// The UI thread may not check out the layer, so the render threads, which
// have its pixels anyway, count the histogram (FrameHistogram.h) and leave it
// here under a key of what the layer shows; the editor's draw looks the key up
// and never waits. One cache per process, shared by every render thread and
// the UI thread: each call takes its lock for a map lookup or a 4 KB copy and
// never calls the host.
//
// An entry records how many of its layer's grid points it counted
// (HistogramGrid): a render of the whole layer counts them all, a smart render
// of part of it (a viewer zoomed in) only those in its part. An entry is
// replaced only by one that counted more points, so a whole-layer histogram is
// never replaced by a partial one under the same key.
#pragma once

#include <cstddef>
#include <list>
#include <map>
#include <mutex>
#include <optional>

#include "histogram/ChannelHistograms.h"
#include "host/ae_suites.h"

namespace Ombrix::Levels {

// What the input layer shows at a frame: the host's state of parameter 0 over
// the frame's time and duration, and that time itself.
struct HistogramKey {
    PF_State state{};
    A_long time = 0;
    A_u_long timeScale = 0;

    bool operator<(const HistogramKey& other) const;
    bool operator==(const HistogramKey& other) const;
    bool operator!=(const HistogramKey& other) const { return !(*this == other); }
};

// The key of the frame at in_data's current time: PF_GetCurrentState ("PF Param
// Utils Suite" v3) of the input layer from current_time for one time_step.
// None when the host refuses the suite or answers with an error (the editor
// then shows no histogram; renders go on).
std::optional<HistogramKey> histogramKeyFor(const PF_InData* in_data);

struct CachedHistogram {
    ChannelHistograms counts;
    int pointsCounted = 0;  // grid points counted
    int gridPoints = 0;     // grid points of the whole layer
};

class HistogramCache {
public:
    // 256 entries of about 4 KB: a megabyte at most.
    static constexpr std::size_t kCapacity = 256;

    explicit HistogramCache(std::size_t capacity = kCapacity) : capacity_(capacity < 1 ? 1 : capacity) {}
    HistogramCache(const HistogramCache&) = delete;
    HistogramCache& operator=(const HistogramCache&) = delete;

    // False when the entry under `key` already counted at least `points`
    // points: the render need not count at all.
    bool wants(const HistogramKey& key, int points) const;
    // Keeps `histogram` under `key` unless the entry there counted as many
    // points or more; the entry used longest ago goes when the cache is full.
    void store(const HistogramKey& key, CachedHistogram histogram);
    // Whether an entry is kept under `key` (the entry's use is not recorded).
    bool holds(const HistogramKey& key) const;
    // The entry under `key` (a copy), now the most recently used.
    std::optional<CachedHistogram> find(const HistogramKey& key);
    void clear();
    std::size_t size() const;

private:
    typedef std::list<std::pair<HistogramKey, CachedHistogram>> Entries;

    std::size_t capacity_;
    mutable std::mutex mutex_;
    Entries entries_;  // most recently used first
    std::map<HistogramKey, Entries::iterator> index_;
};

// The process's cache, from module load to unload; emptied at global set-down.
HistogramCache& histogramCache();

}  // namespace Ombrix::Levels
