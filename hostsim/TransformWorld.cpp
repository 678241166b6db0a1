#include "hostsim/TransformWorld.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "hostsim/Host.h"
#include "hostsim/World.h"

namespace hostsim {
namespace {

PF_Err AE_CALLBACK transformWorld(PF_ProgPtr ref, PF_Quality, PF_ModeFlags, PF_Field, const PF_EffectWorld* src,
                                  const PF_CompositeMode* mode, const PF_MaskWorld* mask, const PF_FloatMatrix* matrices,
                                  A_long numMatrices, PF_Boolean srcToDst, const PF_Rect* destRect,
                                  PF_EffectWorld* dst) {
    Host& host = Host::current();
    if (!host.validRef(ref, "transform_world")) return PF_Err_BAD_CALLBACK_PARAM;
    const PF_PixelFormat format = worldFormat(src);
    if (format == PF_PixelFormat_INVALID || worldFormat(dst) != format) {
        host.violation("transform_world between worlds the host did not make or of different formats");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (!mode || !matrices || numMatrices < 1) {
        host.violation("transform_world without a composite mode or a matrix");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (mask) return PF_Err_BAD_CALLBACK_PARAM;  // not offered by this host

    // The destination-to-source mapping.
    const auto& m = matrices[0].mat;
    double a = m[0][0], b = m[0][1], c = m[1][0], d = m[1][1], tx = m[2][0], ty = m[2][1];
    if (srcToDst) {
        const double det = a * d - b * c;
        if (det == 0.0 || !std::isfinite(det)) return PF_Err_BAD_CALLBACK_PARAM;
        const double ia = d / det, ib = -b / det, ic = -c / det, id = a / det;
        const double itx = -(tx * ia + ty * ic), ity = -(tx * ib + ty * id);
        a = ia, b = ib, c = ic, d = id, tx = itx, ty = ity;
    }

    PF_Rect area{0, 0, dst->width, dst->height};
    if (destRect) {
        area.left = std::max(area.left, destRect->left);
        area.top = std::max(area.top, destRect->top);
        area.right = std::min(area.right, destRect->right);
        area.bottom = std::min(area.bottom, destRect->bottom);
    }
    const int bpp = World::bytesPerPixel(format);
    const auto* srcBytes = reinterpret_cast<const uint8_t*>(src->data);
    auto* dstBytes = reinterpret_cast<uint8_t*>(dst->data);
    for (A_long y = area.top; y < area.bottom; ++y) {
        uint8_t* out = dstBytes + static_cast<std::ptrdiff_t>(y) * dst->rowbytes;
        for (A_long x = area.left; x < area.right; ++x) {
            const double cx = x + 0.5, cy = y + 0.5;
            const double sx = std::floor(cx * a + cy * c + tx);
            const double sy = std::floor(cx * b + cy * d + ty);
            uint8_t* p = out + static_cast<std::ptrdiff_t>(x) * bpp;
            if (sx < 0 || sy < 0 || sx >= src->width || sy >= src->height) {
                std::memset(p, 0, static_cast<size_t>(bpp));
                continue;
            }
            const uint8_t* q = srcBytes + static_cast<std::ptrdiff_t>(sy) * src->rowbytes +
                               static_cast<std::ptrdiff_t>(sx) * bpp;
            std::memcpy(p, q, static_cast<size_t>(bpp));
            if (format == PF_PixelFormat_ARGB32 && mode->opacity != 255) {
                p[0] = static_cast<uint8_t>((p[0] * mode->opacity + 127) / 255);
            }
        }
    }
    return PF_Err_NONE;
}

}  // namespace

void installTransformWorld(Host& host) { host.utils().transform_world = transformWorld; }

}  // namespace hostsim
