// The pixels of a host world that a frame moves, as host rows for a row
// transfer (RowTransfer.h): the first `width` pixels of its first `height`
// rows, reached through its own `data` and `rowbytes` (negative for rows
// stored bottom-up). No host call is made.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <type_traits>

#include "gl/RowTransfer.h"
#include "host/ae_effect.h"

namespace Ombrix::Levels {

// The one rule for a world's rows, on every path: throws
// PF_Err_BAD_CALLBACK_PARAM as an int for a world without pixels, an extent
// without pixels, or rows shorter than width pixels (rows that would overlap).
inline void checkWorldRows(const PF_EffectWorld& world, int width, int height, int pixelBytes) {
    const long long rowBytes = static_cast<long long>(width) * pixelBytes;
    if (!world.data || width <= 0 || height <= 0 || std::llabs(static_cast<long long>(world.rowbytes)) < rowBytes) {
        throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    }
}

// World is PF_EffectWorld, const for an input.
template <typename World>
auto worldRows(World& world, int width, int height, int pixelBytes) {
    using Byte = std::conditional_t<std::is_const_v<World>, const uint8_t, uint8_t>;
    checkWorldRows(world, width, height, pixelBytes);
    const long long rowBytes = static_cast<long long>(width) * pixelBytes;
    return HostRows<Byte>{reinterpret_cast<Byte*>(world.data), world.rowbytes, height,
                          static_cast<std::size_t>(rowBytes)};
}

}  // namespace Ombrix::Levels
