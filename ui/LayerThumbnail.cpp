#include "ui/LayerThumbnail.h"

#include <algorithm>
#include <cmath>

#include "hostaccess/SuiteScope.h"
#include "host/ae_suites.h"
#include "params/ParamIndices.h"
#include "ui/CanvasMatrix.h"
#include "hostaccess/CheckedOutParam.h"

namespace Ombrix::Levels {

bool fetchLayerThumbnail(const PF_InData* in_data, const CanvasRect& bounds, PF_EffectWorld* world) {
    CheckedOutParam layer(in_data, kParamInput);
    const PF_LayerDef& source = layer.def().u.ld;
    if (source.width <= 0) return false;

    const double W = source.width;
    const double H = source.height;
    const double bw = std::round(bounds.width);
    const double bh = std::round(bounds.height);
    const double scale = std::min(bh / H, bw / W);
    const A_long width = static_cast<A_long>(W * scale);
    const A_long height = static_cast<A_long>(H * scale);

    CanvasMatrix matrix;
    matrix.setDiagonal(scale, scale, 1.0);
    const PF_FloatMatrix hostMatrix = matrix.toHostMatrix();

    SuiteScope<PF_WorldSuite2> worlds(in_data, kPFWorldSuite, kPFWorldSuiteVersion2);
    *world = PF_EffectWorld{};
    if (worlds->PF_NewWorld(in_data->effect_ref, width, height, TRUE, PF_PixelFormat_ARGB32, world) != PF_Err_NONE) {
        *world = PF_EffectWorld{};  // nothing was made
        return false;
    }
    PF_CompositeMode mode{};
    mode.xfer = PF_Xfer_COPY;
    mode.rand_seed = 0;
    mode.opacity = 255;
    mode.rgb_only = FALSE;
    const PF_Rect destination{0, 0, width, height};
    in_data->utils->transform_world(in_data->effect_ref, PF_Quality_LO, PF_MF_Alpha_STRAIGHT, PF_Field_FRAME, &source,
                                    &mode, nullptr, &hostMatrix, 1, TRUE, &destination, world);
    return true;
}

}  // namespace Ombrix::Levels
