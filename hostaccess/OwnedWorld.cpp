#include "hostaccess/OwnedWorld.h"

#include "hostaccess/SuiteScope.h"

namespace Ombrix::Levels {

void OwnedWorld::dispose() noexcept {
    if (!made()) return;
    try {
        SuiteScope<PF_WorldSuite2> worlds(inData_, kPFWorldSuite, kPFWorldSuiteVersion2);
        worlds->PF_DisposeWorld(inData_->effect_ref, &world_);
    } catch (...) {
    }
    world_ = PF_EffectWorld{};
}

}  // namespace Ombrix::Levels
