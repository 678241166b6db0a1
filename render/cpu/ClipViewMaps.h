// The clipping views (ClipView.h) of float frames on the CPU renderer (at 8
// and 16 bits a view changes the frame's tables: LevelsTables.h).
//
// Float frames in a clipping view go pixel by pixel through the scalar
// kernel, which also gives the darkest (0.0) and brightest (1.0) values'
// maps, so a value and the ends it is compared with come from the same code.
#pragma once

#include "render/ClipView.h"
#include "render/cpu/CpuKernels.h"

namespace Ombrix::Levels {

// A float frame's clipping view: the plan's maps, and what they make of the
// darkest and brightest in-range values.
class ClipViewFloat {
public:
    ClipViewFloat(const FloatPlan& plan, ClipView view);
    // `pixels` pixels of `in` into `out` (which may be `in`).
    void row(const float* in, float* out, int pixels) const;

private:
    FloatPlan plan_;
    ClipView view_;
    float darkest_[4];
    float brightest_[4];
};

}  // namespace Ombrix::Levels
