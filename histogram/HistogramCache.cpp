#include "histogram/HistogramCache.h"

#include <cstring>
#include <utility>

#include "hostaccess/SuiteScope.h"
#include "params/ParamIndices.h"

namespace Ombrix::Levels {

bool HistogramKey::operator<(const HistogramKey& other) const {
    const int byState = std::memcmp(&state, &other.state, sizeof(state));
    if (byState != 0) return byState < 0;
    if (time != other.time) return time < other.time;
    return timeScale < other.timeScale;
}

bool HistogramKey::operator==(const HistogramKey& other) const {
    return std::memcmp(&state, &other.state, sizeof(state)) == 0 && time == other.time &&
           timeScale == other.timeScale;
}

std::optional<HistogramKey> histogramKeyFor(const PF_InData* in_data) {
    if (!in_data) return std::nullopt;
    HistogramKey key;
    key.time = in_data->current_time;
    key.timeScale = in_data->time_scale;
    const A_Time start{in_data->current_time, in_data->time_scale};
    const A_Time duration{in_data->time_step, in_data->time_scale};
    try {
        SuiteScope<PF_ParamUtilsSuite3> utils(in_data, kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3);
        if (utils->PF_GetCurrentState(in_data->effect_ref, kParamInput, &start, &duration, &key.state) != PF_Err_NONE) {
            return std::nullopt;
        }
    } catch (int) {  // the suite refused: no key, and nothing else changes
        return std::nullopt;
    }
    return key;
}

bool HistogramCache::wants(const HistogramKey& key, int points) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = index_.find(key);
    return found == index_.end() || found->second->second.pointsCounted < points;
}

void HistogramCache::store(const HistogramKey& key, CachedHistogram histogram) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = index_.find(key);
    if (found != index_.end()) {
        if (found->second->second.pointsCounted >= histogram.pointsCounted) return;
        entries_.erase(found->second);
        index_.erase(found);
    }
    if (entries_.size() >= capacity_) {
        index_.erase(entries_.back().first);
        entries_.pop_back();
    }
    entries_.emplace_front(key, std::move(histogram));
    index_[key] = entries_.begin();
}

bool HistogramCache::holds(const HistogramKey& key) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return index_.count(key) != 0;
}

std::optional<CachedHistogram> HistogramCache::find(const HistogramKey& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = index_.find(key);
    if (found == index_.end()) return std::nullopt;
    entries_.splice(entries_.begin(), entries_, found->second);
    return found->second->second;
}

void HistogramCache::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    index_.clear();
    entries_.clear();
}

std::size_t HistogramCache::size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_.size();
}

HistogramCache& histogramCache() {
    static HistogramCache cache;
    return cache;
}

}  // namespace Ombrix::Levels
