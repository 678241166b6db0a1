#include "ui/HistogramPoll.h"

namespace Ombrix::Levels {

void HistogramPoll::missed(const HistogramKey& key, Clock::time_point now) {
    if (waiting_ && key == key_) return;  // the same wait goes on
    waiting_ = true;
    key_ = key;
    since_ = now;
}

std::optional<HistogramKey> HistogramPoll::awaited(Clock::time_point now) {
    if (!waiting_) return std::nullopt;
    if (now - since_ > kPatience) {
        waiting_ = false;  // given up: the next draw that misses starts again
        return std::nullopt;
    }
    return key_;
}

}  // namespace Ombrix::Levels
