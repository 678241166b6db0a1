#include "hostsim/Traps.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>

#include "host/ae_basic.h"
#include "hostsim/Host.h"
#include "hostsim/HostError.h"

namespace hostsim {
namespace {

constexpr size_t kMaxTables = 24;

std::mutex gNamesMutex;
// Made on first use: tables are trapped by other files' static initialisers,
// which may run before this file's.
std::array<std::string, kMaxTables>& tableNames() {
    static std::array<std::string, kMaxTables> names;
    return names;
}

// The table's number, given once per name.
size_t tableNumber(const char* name) {
    std::lock_guard<std::mutex> lock(gNamesMutex);
    std::array<std::string, kMaxTables>& names = tableNames();
    for (size_t i = 0; i < kMaxTables; ++i) {
        if (names[i] == name) return i;
        if (names[i].empty()) {
            names[i] = name;
            return i;
        }
    }
    throw HostError("too many trapped function tables");
}

void reportTrap(size_t id) {
    std::string name;
    {
        std::lock_guard<std::mutex> lock(gNamesMutex);
        name = tableNames()[id / kMaxTrapSlots];
    }
    Host::current().violation("called " + name + " slot " + std::to_string(id % kMaxTrapSlots) +
                              ", which the effect has no business calling");
}

template <size_t Id>
A_intptr_t AE_CALLBACK trap() {
    reportTrap(Id);
    return 0;
}

typedef A_intptr_t(AE_CALLBACK* TrapFunction)();

template <size_t... Ids>
constexpr std::array<TrapFunction, sizeof...(Ids)> makeTraps(std::index_sequence<Ids...>) {
    return {{&trap<Ids>...}};
}

const std::array<TrapFunction, kMaxTables * kMaxTrapSlots> kTraps =
    makeTraps(std::make_index_sequence<kMaxTables * kMaxTrapSlots>());

}  // namespace

void fillWithTraps(void* table, size_t slots, const char* name) {
    if (slots > kMaxTrapSlots) throw HostError(std::string("function table too large to trap: ") + name);
    const size_t base = tableNumber(name) * kMaxTrapSlots;
    auto* bytes = static_cast<unsigned char*>(table);
    for (size_t i = 0; i < slots; ++i) {
        const TrapFunction function = kTraps[base + i];
        std::memcpy(bytes + i * sizeof(TrapFunction), &function, sizeof(function));
    }
}

}  // namespace hostsim
