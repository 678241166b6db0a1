#include "hostsim/ParamUtils.h"

#include <cstring>
#include <random>

#include "host/ae_suites.h"
#include "hostsim/Host.h"
#include "hostsim/Traps.h"
#include "hostsim/World.h"

namespace hostsim {
namespace {

// A 64-bit hash over bytes: four accumulators over 8-byte words (each takes
// the word and the product of its keyed halves, which the compiler turns
// into vector multiplies), finished word by word by FNV-1a and a mixer. Any
// change of the bytes changes the hash but for a vanishing chance, and a
// whole frame per render costs a fraction of the frame's own render.
class Hasher {
public:
    explicit Hasher(uint64_t seed) : h_(0xcbf29ce484222325ull ^ seed) {}
    void add(const void* data, size_t size) {
        static constexpr uint64_t kKeys[4] = {0x9e3779b97f4a7c15ull, 0xc2b2ae3d27d4eb4full, 0x165667b19e3779f9ull,
                                              0x27d4eb2f165667c5ull};
        const auto* bytes = static_cast<const uint8_t*>(data);
        uint64_t acc0 = 0, acc1 = 0, acc2 = 0, acc3 = 0;  // held in registers
        auto step = [](uint64_t& acc, const uint8_t* at, uint64_t key) {
            uint64_t word;
            std::memcpy(&word, at, 8);
            const uint64_t keyed = word ^ key;
            acc += word + (keyed & 0xFFFFFFFFull) * (keyed >> 32);
        };
        size_t i = 0;
        for (; i + 32 <= size; i += 32) {
            step(acc0, bytes + i, kKeys[0]);
            step(acc1, bytes + i + 8, kKeys[1]);
            step(acc2, bytes + i + 16, kKeys[2]);
            step(acc3, bytes + i + 24, kKeys[3]);
        }
        if (i > 0) {
            mix(acc0);
            mix(acc1);
            mix(acc2);
            mix(acc3);
        }
        for (; i + 8 <= size; i += 8) {
            uint64_t word;
            std::memcpy(&word, bytes + i, 8);
            mix(word);
        }
        uint64_t tail = 0;
        std::memcpy(&tail, bytes + i, size - i);
        mix(tail ^ (static_cast<uint64_t>(size - i) << 56) ^ (static_cast<uint64_t>(size) << 32));
    }
    template <typename T>
    void addValue(const T& value) {
        add(&value, sizeof(value));
    }
    uint64_t value() const {
        uint64_t z = h_;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }

private:
    void mix(uint64_t word) { h_ = (h_ ^ word) * 0x100000001b3ull; }
    uint64_t h_;
};

PF_Err AE_CALLBACK getCurrentState(PF_ProgPtr ref, PF_ParamIndex index, const A_Time* start, const A_Time* duration,
                                   PF_State* state) {
    return Host::current().getCurrentState(ref, index, start, duration, state);
}

PF_Err AE_CALLBACK areStatesIdentical(PF_ProgPtr ref, const PF_State* first, const PF_State* second,
                                      A_Boolean* same) {
    Host& host = Host::current();
    if (!host.validRef(ref, "PF_AreStatesIdentical") || !first || !second || !same) return PF_Err_BAD_CALLBACK_PARAM;
    *same = std::memcmp(first, second, sizeof(PF_State)) == 0;
    return PF_Err_NONE;
}

struct ParamUtilsTable {
    PF_ParamUtilsSuite3 known;
    PF_UnknownCallback later[6];  // IsIdenticalCheckout ... KeyIndexToTime
};
ParamUtilsTable makeParamUtils() {
    ParamUtilsTable table;
    fillWithTraps(table, "PF Param Utils Suite v3");
    table.known.PF_GetCurrentState = getCurrentState;
    table.known.PF_AreStatesIdentical = areStatesIdentical;
    return table;
}
const ParamUtilsTable kParamUtils = makeParamUtils();

}  // namespace

void installParamUtils(Host& host) { host.provideSuite(kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3, &kParamUtils); }

void Host::failCurrentState(PF_Err code) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    failCurrentState_ = code;
}

int Host::currentStateCalls() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return currentStateCalls_;
}

PF_State Host::layerState(PF_ProgPtr instance, const A_Time& start, const A_Time& duration) const {
    const PF_EffectWorld layer = inputLayerOf(instance);
    const int pixelBytes = World::bytesPerPixel(worldFormat(&layer));
    Hasher low(1), high(2);
    for (Hasher* h : {&low, &high}) {
        h->addValue(layer.width);
        h->addValue(layer.height);
        h->addValue(pixelBytes);
        h->addValue(start);
        h->addValue(duration);
    }
    if (layer.data && pixelBytes > 0 && layer.width > 0) {
        const size_t rowBytes = static_cast<size_t>(layer.width) * static_cast<size_t>(pixelBytes);
        for (A_long y = 0; y < layer.height; ++y) {
            const char* row = reinterpret_cast<const char*>(layer.data) + static_cast<ptrdiff_t>(y) * layer.rowbytes;
            low.add(row, rowBytes);
        }
        high.addValue(low.value());
    }
    PF_State state{};
    const uint64_t words[2] = {low.value(), high.value()};
    std::memcpy(state.reserved, words, sizeof(words));
    return state;
}

PF_State Host::ownParamsState(const A_Time& start, const A_Time& duration) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Hasher low(3), high(4);
    for (Hasher* h : {&low, &high}) {
        h->addValue(start);
        h->addValue(duration);
        for (size_t i = 0; i < params_.size(); ++i) {
            const PF_ParamDef& def = params_[i].def;
            if (def.param_type == PF_Param_LAYER) continue;
            h->addValue(i);
            h->addValue(def.u);
        }
    }
    PF_State state{};
    const uint64_t words[2] = {low.value(), high.value()};
    std::memcpy(state.reserved, words, sizeof(words));
    return state;
}

PF_Err Host::getCurrentState(PF_ProgPtr ref, PF_ParamIndex index, const A_Time* start, const A_Time* duration,
                             PF_State* state) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    ++currentStateCalls_;
    if (!validRef(ref, "PF_GetCurrentState") || !state) return PF_Err_BAD_CALLBACK_PARAM;
    if (index < 0 || index >= static_cast<PF_ParamIndex>(params_.size())) {
        violation("PF_GetCurrentState called with index " + std::to_string(index));
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (!start || !duration) {
        // The host then records a dependency on all time: every frame of the
        // effect would be invalidated by any change of the layer.
        violation("PF_GetCurrentState asked about all time (a null start or duration)");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (start->scale == 0 || duration->scale == 0) violation("PF_GetCurrentState called with time scale 0");
    if (failCurrentState_ != PF_Err_NONE) return failCurrentState_;
    if (commandInProgress() == PF_Cmd_UPDATE_PARAMS_UI) {
        static std::mt19937_64 random(std::random_device{}());
        const uint64_t words[2] = {random(), random()};
        std::memcpy(state->reserved, words, sizeof(words));
        return PF_Err_NONE;
    }
    // As the host's guide has it: every non-layer parameter's value is tested,
    // and the layer parameter whose index is given; the state is not a hash of
    // the effect's own output.
    PF_State own = ownParamsState(*start, *duration);
    if (params_[static_cast<size_t>(index)].def.param_type == PF_Param_LAYER) {
        const PF_State layer = layerState(ref, *start, *duration);
        for (size_t k = 0; k < 4; ++k) {
            own.reserved[k] = static_cast<A_long>(static_cast<uint32_t>(own.reserved[k]) * 0x9e3779b1u ^
                                                  static_cast<uint32_t>(layer.reserved[k]));
        }
    }
    *state = own;
    return PF_Err_NONE;
}

}  // namespace hostsim
