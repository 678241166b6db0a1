#include "ui/LayerThumbnail.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "hostaccess/SuiteScope.h"
#include "host/ae_suites.h"
#include "params/ParamIndices.h"
#include "hostaccess/CheckedOutParam.h"
#include "hostaccess/OwnedWorld.h"

namespace Ombrix::Levels {
namespace {

uint8_t toByte16(A_u_short v) { return static_cast<uint8_t>((std::min<unsigned>(v, 32768u) * 255u + 16384u) / 32768u); }

uint8_t toByteFloat(PF_FpShort v) {
    if (!(v > 0.0f)) return 0;  // NaN and everything at or below 0
    if (v >= 1.0f) return 255;
    return static_cast<uint8_t>(std::lrint(v * 255.0f));
}

// The layer, point-sampled into the 8-bit thumbnail: the thumbnail pixel whose
// centre is (x + 0.5, y + 0.5) takes the layer pixel under that centre scaled
// back by 1 / scale. Pixels are reached through `data` and `rowbytes` only;
// 16-bit and float layers are brought to 8 bits on the way.
void resampleNearest(const PF_LayerDef& source, PF_PixelFormat format, double scale, PF_EffectWorld& thumbnail) {
    if (!source.data || !thumbnail.data || !(scale > 0.0)) return;
    const auto* from = reinterpret_cast<const uint8_t*>(source.data);
    auto* to = reinterpret_cast<uint8_t*>(thumbnail.data);
    for (A_long y = 0; y < thumbnail.height; ++y) {
        auto* out = reinterpret_cast<PF_Pixel8*>(to + static_cast<std::ptrdiff_t>(y) * thumbnail.rowbytes);
        const double sy = std::floor((y + 0.5) / scale);
        for (A_long x = 0; x < thumbnail.width; ++x) {
            const double sx = std::floor((x + 0.5) / scale);
            PF_Pixel8& p = out[x];
            if (sx < 0 || sy < 0 || sx >= source.width || sy >= source.height) {
                p = PF_Pixel8{0, 0, 0, 0};
                continue;
            }
            const uint8_t* row = from + static_cast<std::ptrdiff_t>(sy) * source.rowbytes;
            const auto column = static_cast<std::ptrdiff_t>(sx);
            if (format == PF_PixelFormat_ARGB64) {
                const PF_Pixel16& q = reinterpret_cast<const PF_Pixel16*>(row)[column];
                p = PF_Pixel8{toByte16(q.alpha), toByte16(q.red), toByte16(q.green), toByte16(q.blue)};
            } else if (format == PF_PixelFormat_ARGB128) {
                const PF_PixelFloat& q = reinterpret_cast<const PF_PixelFloat*>(row)[column];
                p = PF_Pixel8{toByteFloat(q.alpha), toByteFloat(q.red), toByteFloat(q.green), toByteFloat(q.blue)};
            } else {
                p = reinterpret_cast<const PF_Pixel8*>(row)[column];
            }
        }
    }
}

}  // namespace

bool fetchLayerThumbnail(const PF_InData* in_data, const CanvasRect& bounds, OwnedWorld& world) {
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

    SuiteScope<PF_WorldSuite2> worlds(in_data, kPFWorldSuite, kPFWorldSuiteVersion2);
    if (world.make(worlds.suite, width, height, TRUE, PF_PixelFormat_ARGB32) != PF_Err_NONE) return false;
    PF_PixelFormat format = PF_PixelFormat_ARGB32;
    if (worlds->PF_GetPixelFormat(&source, &format) != PF_Err_NONE) format = PF_PixelFormat_ARGB32;
    resampleNearest(source, format, scale, world.world());
    return true;
}

}  // namespace Ombrix::Levels
