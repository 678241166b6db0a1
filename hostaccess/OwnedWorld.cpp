#include "hostaccess/OwnedWorld.h"

#include "hostaccess/SuiteScope.h"

namespace Ombrix::Levels {

PF_Err OwnedWorld::make(const PF_WorldSuite2* worlds, A_long width, A_long height, PF_Boolean clear,
                        PF_PixelFormat format) {
    dispose();
    const PF_Err err = worlds->PF_NewWorld(inData_->effect_ref, width, height, clear, format, &world_);
    if (err != PF_Err_NONE) {
        world_ = PF_EffectWorld{};  // nothing was made
        return err;
    }
    made_ = true;
    return PF_Err_NONE;
}

void OwnedWorld::dispose() noexcept {
    if (!made_) return;
    made_ = false;
    try {
        SuiteScope<PF_WorldSuite2> worlds(inData_, kPFWorldSuite, kPFWorldSuiteVersion2);
        worlds->PF_DisposeWorld(inData_->effect_ref, &world_);
    } catch (...) {
    }
    world_ = PF_EffectWorld{};
}

}  // namespace Ombrix::Levels
