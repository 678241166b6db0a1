#include "render/cpu/ClipViewMaps.h"

namespace Ombrix::Levels {

ClipViewFloat::ClipViewFloat(const FloatPlan& plan, ClipView view) : plan_(plan), view_(view) {
    const float darkest[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    const float brightest[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    scalarKernels()->floatRow(plan_, darkest, darkest_, 1);
    scalarKernels()->floatRow(plan_, brightest, brightest_, 1);
}

void ClipViewFloat::row(const float* in, float* out, int pixels) const {
    const bool shadows = view_ == ClipView::ShadowClipping;
    const float* ends = shadows ? darkest_ : brightest_;
    for (int x = 0; x < pixels; ++x) {
        float mapped[4];
        scalarKernels()->floatRow(plan_, in + 4 * x, mapped, 1);
        out[4 * x] = mapped[0];  // alpha keeps its mapped value
        for (int c = 1; c < 4; ++c) {
            const bool clips = mapped[c] == ends[c];
            out[4 * x + c] = shadows ? (clips ? 0.0f : 1.0f) : (clips ? 1.0f : 0.0f);
        }
    }
}

}  // namespace Ombrix::Levels
