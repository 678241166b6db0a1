// Counts the live objects of one class: a member of this type is made and
// destroyed with its owner. Tests read the count to see that nothing of the
// class outlives what owns it.
#pragma once

#include <atomic>

namespace Ombrix::Levels {

template <typename Owner>
class LiveCount {
public:
    LiveCount() noexcept { ++counter(); }
    LiveCount(const LiveCount&) noexcept { ++counter(); }
    LiveCount& operator=(const LiveCount&) noexcept { return *this; }
    ~LiveCount() { --counter(); }

    static int live() noexcept { return counter().load(); }

private:
    static std::atomic<int>& counter() noexcept {
        static std::atomic<int> n{0};
        return n;
    }
};

}  // namespace Ombrix::Levels
