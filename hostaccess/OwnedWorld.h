// A host world that the effect made with "PF World Suite" and must dispose of.
#pragma once

#include "host/ae_suites.h"

namespace Ombrix::Levels {

class OwnedWorld {
public:
    explicit OwnedWorld(const PF_InData* in_data) : inData_(in_data), world_{} {}
    ~OwnedWorld() { dispose(); }
    OwnedWorld(const OwnedWorld&) = delete;
    OwnedWorld& operator=(const OwnedWorld&) = delete;

    // The record the host fills when it makes the world.
    PF_EffectWorld* def() { return &world_; }
    const PF_EffectWorld& world() const { return world_; }
    bool made() const { return world_.data != nullptr; }

    // Gives the world back to the host now; failures are ignored (a world the
    // host will not take back cannot be disposed of in any other way).
    void dispose() noexcept;

private:
    const PF_InData* inData_;
    PF_EffectWorld world_;
};

}  // namespace Ombrix::Levels
