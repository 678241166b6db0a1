#include "render/cpu/CpuRenderCommand.h"

#include <optional>

#include "histogram/GridCounting.h"
#include "hostaccess/SuiteScope.h"
#include "render/RenderPath.h"
#include "render/cpu/BandRunner.h"
#include "render/cpu/CpuLevelsRenderer.h"

namespace Ombrix::Levels {

PF_Err renderCommandOnCpu(PF_InData* in_data, const SanitisedSettings& settings, PixelFormatCode depth,
                          const PF_EffectWorld& input, PF_EffectWorld& output, GridCounting* counting) {
    CpuRenderOptions options;
    if (counting && counting->counts(input)) {
        options.counting = counting;
    } else if (counting) {
        counting->countAll();  // another world than the counted one: before any pixel is written
    }
    options.threads = activeCpuThreads();
    // The host's worker threads where it offers them; the effect's own pool otherwise.
    std::optional<SuiteScope<PF_Iterate8Suite1>> iterate;
    try {
        iterate.emplace(in_data, kPFIterate8Suite, kPFIterate8SuiteVersion1);
    } catch (int) {
    }
    const HostIterateBands hostBands(iterate ? iterate->suite : nullptr);
    if (iterate) options.bands = &hostBands;
    switch (depth) {
        case kPixelFormat8: renderLevels8(settings, input, output, options); break;
        case kPixelFormat16: renderLevels16(settings, input, output, options); break;
        case kPixelFormat32: renderLevelsFloat(settings, input, output, options); break;
        default: throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    }
    return PF_Err_NONE;
}

}  // namespace Ombrix::Levels
