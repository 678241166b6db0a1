// Reserved and unused members of the records the host hands over are filled
// with a poison pattern before a command and must come back unchanged: an
// effect that writes through a wrong offset changes one of them, and the
// simulator names the member in a violation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace hostsim {

constexpr uint8_t kPoisonByte = 0xA5;

class PoisonedMembers {
public:
    // Fills `size` bytes at `member` with the poison pattern and remembers them.
    void poison(const char* name, void* member, size_t size) {
        std::memset(member, kPoisonByte, size);
        members_.push_back({name, static_cast<const uint8_t*>(member), size, {}});
    }
    // Remembers `size` bytes at `member` as they are now.
    void keep(const char* name, const void* member, size_t size) {
        const auto* bytes = static_cast<const uint8_t*>(member);
        members_.push_back({name, bytes, size, std::vector<uint8_t>(bytes, bytes + size)});
    }
    // The names of the members whose bytes changed.
    std::vector<std::string> changed() const {
        std::vector<std::string> names;
        for (const Member& m : members_) {
            bool same = true;
            for (size_t i = 0; i < m.size && same; ++i) {
                same = m.bytes[i] == (m.kept.empty() ? kPoisonByte : m.kept[i]);
            }
            if (!same) names.push_back(m.name);
        }
        return names;
    }

private:
    struct Member {
        const char* name;
        const uint8_t* bytes;
        size_t size;
        std::vector<uint8_t> kept;  // empty: the poison pattern
    };
    std::vector<Member> members_;
};

// Poison for the reserved members of a world record (not reserved0, which
// the host keeps its own bookkeeping behind).
#define HOSTSIM_POISON_WORLD(poisoned, prefix, world)                                               \
    do {                                                                                           \
        (poisoned).poison(prefix ".reserved1", &(world).reserved1, sizeof((world).reserved1));     \
        (poisoned).poison(prefix ".reserved_long1", &(world).reserved_long1, sizeof((world).reserved_long1)); \
        (poisoned).poison(prefix ".reserved_long2", &(world).reserved_long2, sizeof((world).reserved_long2)); \
        (poisoned).poison(prefix ".reserved_long3", &(world).reserved_long3, sizeof((world).reserved_long3)); \
        (poisoned).poison(prefix ".reserved_long4", &(world).reserved_long4, sizeof((world).reserved_long4)); \
    } while (0)

}  // namespace hostsim
