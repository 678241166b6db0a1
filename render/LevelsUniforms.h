// The 27 levels settings as uniforms of the levels program, from one table:
// the five of each block, composite first ("inputBlack" ... "outputWhite",
// then "rInputBlack" ... "aOutputWhite"), and the two clip flags. The
// program's declarations, the argument lists of its levelsMap calls and the
// setter all come from it.
#pragma once

#include <string>

#include "gl/OpenglShader.h"
#include "render/LevelsSettings.h"

namespace Ombrix::Levels {

// The blocks of the table, in settings order.
enum class LevelsBlock { Composite, Red, Green, Blue, Alpha };

// "uniform float inputBlack;\n" ... "uniform int clipWhite;\n".
std::string levelsUniformDeclarations();

// A block's five uniforms as levelsMap's level arguments, followed by the
// clip flags: "inputBlack, inputWhite, gamma, outputBlack, outputWhite,
// clipBlack, clipWhite".
std::string levelsMapArguments(LevelsBlock block);

// Sets them in `program`, which is in use.
void setLevelsUniforms(OpenglShader& program, const SanitisedSettings& settings);

}  // namespace Ombrix::Levels
