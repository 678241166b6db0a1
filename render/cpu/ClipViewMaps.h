// The clipping views (ClipView.h) on the CPU renderer's maps.
//
// At 8 and 16 bits a view is a change of the frame's red, green and blue
// tables: whether a channel clips depends on its own final code alone, so
// entry k becomes 0 or full from whether the entry equals the entry of the
// darkest or of the brightest in-range code. The SIMD kernels and the GPU
// passes take the changed tables as they take any other.
//
// Float frames in a clipping view go pixel by pixel through the scalar
// kernel, which also gives the darkest (0.0) and brightest (1.0) values'
// maps, so a value and the ends it is compared with come from the same code.
#pragma once

#include <cstdint>

#include "render/ClipView.h"
#include "render/cpu/CpuKernels.h"

namespace Ombrix::Levels {

// Entries [0, entries) of one channel's table in `view`: a channel clips where
// its entry equals `darkest` (Shadow Clipping) or `brightest` (Highlight
// Clipping). The Result view leaves the table as it is.
template <typename Code>
void applyClipView(ClipView view, Code* table, int entries, Code darkest, Code brightest, Code full) {
    if (view == ClipView::Result) return;
    const bool shadows = view == ClipView::ShadowClipping;
    for (int k = 0; k < entries; ++k) {
        const bool clips = table[k] == (shadows ? darkest : brightest);
        table[k] = shadows ? (clips ? Code(0) : full) : (clips ? full : Code(0));
    }
}

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
