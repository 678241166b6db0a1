// The 27 settings as the levels programs' uniforms: the five of each block
// ("inputBlack" ... "aOutputWhite") and the two clip flags. Shared by the
// 8-bit and the 16-bit levels passes, whose programs declare the same names.
#pragma once

#include "gl/OpenglShader.h"
#include "render/LevelsSettings.h"

namespace Ombrix::Levels {

// Sets them in `program`, which is in use.
void setLevelsUniforms(OpenglShader& program, const LevelsSettings& settings);

}  // namespace Ombrix::Levels
