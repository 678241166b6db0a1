#include "render/gpu/LevelsPass.h"

namespace Ombrix::Levels {

void LevelsPass::render(const AEOpenGLContext& context, PixelFormatCode depth, const SanitisedSettings& settings,
                        const PF_EffectWorld& input, PF_EffectWorld& output, int width, int height) {
    switch (depth) {
        case kPixelFormat8: eightBit_.render(context, settings, input, output, width, height); return;
        case kPixelFormat16: sixteenBit_.render(context, settings, input, output, width, height); return;
        case kPixelFormat32: break;
    }
    throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
}

void LevelsPass::releaseGl() {
    eightBit_.releaseGl();
    sixteenBit_.releaseGl();
}

void LevelsPass::forgetGl() {
    eightBit_.forgetGl();
    sixteenBit_.forgetGl();
}

}  // namespace Ombrix::Levels
