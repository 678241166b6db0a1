// GLSL sources of the levels program and of the 8-bit lookup pass.
#pragma once

namespace Ombrix::Levels {

extern const char* const kLevelsVertexSource;
extern const char* const kLevelsFragmentSource;
// The levels program's levelsMap function and the constant it uses, as GLSL
// text, for passes of other depths that apply the same map.
extern const char* const kLevelsMapSource;
// The 8-bit frame pass: every byte of packed host pixels through a table the
// levels program drew.
extern const char* const kLevelsLookupFragmentSource;

}  // namespace Ombrix::Levels
