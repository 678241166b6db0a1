#include "ui/HistogramPoll.h"

namespace Ombrix::Levels {

bool HistogramPoll::keepAsking(const HistogramKey& key, Clock::time_point now) {
    if (!waiting_ || key != key_) {
        waiting_ = true;
        key_ = key;
        since_ = now;
        return true;
    }
    if (now - since_ <= kPatience) return true;
    waiting_ = false;  // given up: the next draw that finds nothing starts again
    return false;
}

}  // namespace Ombrix::Levels
