// GLSL sources of the levels program.
#pragma once

namespace Ombrix::Levels {

extern const char* const kLevelsVertexSource;
extern const char* const kLevelsFragmentSource;

}  // namespace Ombrix::Levels
