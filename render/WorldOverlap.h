// The part of a frame that a render writes: the overlap of its input and
// output worlds from their top-left corners, the smaller width by the smaller
// height. A larger output keeps the rest as it was. Both render paths take
// their extent from here.
#pragma once

#include <algorithm>

#include "host/ae_effect.h"

namespace Ombrix::Levels {

struct WorldOverlap {
    int width = 0;
    int height = 0;
    bool empty() const { return width == 0 || height == 0; }
};

inline WorldOverlap overlapOf(const PF_EffectWorld& input, const PF_EffectWorld& output) {
    return {std::max(0, std::min(input.width, output.width)), std::max(0, std::min(input.height, output.height))};
}

}  // namespace Ombrix::Levels
