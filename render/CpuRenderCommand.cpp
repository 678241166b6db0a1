#include "render/CpuRenderCommand.h"

#include "render/CpuLevelsRenderer.h"
#include "render/LevelsSettingsReader.h"
#include "render/RenderPath.h"

namespace Ombrix::Levels {

PF_Err renderCommandOnCpu(PF_InData* in_data, const PF_EffectWorld& input, PF_EffectWorld& output) {
    const LevelsSettings settings = readLevelsSettings(in_data);
    CpuRenderOptions options;
    options.threads = activeCpuThreads();
    renderLevels8(settings, input, output, options);
    return PF_Err_NONE;
}

}  // namespace Ombrix::Levels
