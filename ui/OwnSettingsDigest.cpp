#include "ui/OwnSettingsDigest.h"

#include <cstring>

#include "params/ParamIndices.h"

namespace Ombrix::Levels {
namespace {

// FNV-1a over 64 bits.
class Fnv1a {
public:
    template <typename T>
    void add(const T& value) {
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        for (const unsigned char b : bytes) hash_ = (hash_ ^ b) * 0x100000001b3ull;
    }
    uint64_t value() const { return hash_; }

private:
    uint64_t hash_ = 0xcbf29ce484222325ull;
};

}  // namespace

uint64_t ownSettingsDigest(PF_ParamDef* params[]) {
    Fnv1a digest;
    if (!params) return digest.value();
    for (int index = kParamInput + 1; index < kParamCount; ++index) {
        const PF_ParamDef* def = params[index];
        digest.add(index);
        if (!def) {
            digest.add(-1);
            continue;
        }
        digest.add(def->param_type);
        switch (def->param_type) {
            case PF_Param_POPUP: digest.add(def->u.pd.value); break;
            case PF_Param_FLOAT_SLIDER: digest.add(def->u.fs_d.value); break;
            case PF_Param_CHECKBOX: digest.add(def->u.bd.value); break;
            case PF_Param_COLOR: digest.add(def->u.cd.value); break;
            default: break;  // no value of its own (groups, the custom control)
        }
    }
    return digest.value();
}

}  // namespace Ombrix::Levels
