// A host world that the effect made with "PF World Suite" and must dispose of.
// Whether it was made is what PF_NewWorld answered: a host may make a world
// without pixels (a side of 0), and that world is still the effect's to give back.
#pragma once

#include "host/ae_suites.h"

namespace Ombrix::Levels {

class OwnedWorld {
public:
    explicit OwnedWorld(const PF_InData* in_data) : inData_(in_data), world_{} {}
    ~OwnedWorld() { dispose(); }
    OwnedWorld(const OwnedWorld&) = delete;
    OwnedWorld& operator=(const OwnedWorld&) = delete;

    // Asks the host for a world through `worlds`; returns its answer. The world
    // is owned from a successful answer on, pixels or not.
    PF_Err make(const PF_WorldSuite2* worlds, A_long width, A_long height, PF_Boolean clear, PF_PixelFormat format);

    const PF_EffectWorld& world() const { return world_; }
    PF_EffectWorld& world() { return world_; }
    bool made() const { return made_; }

    // Gives the world back to the host now; failures are ignored (a world the
    // host will not take back cannot be disposed of in any other way).
    void dispose() noexcept;

private:
    const PF_InData* inData_;
    PF_EffectWorld world_;
    bool made_ = false;
};

}  // namespace Ombrix::Levels
