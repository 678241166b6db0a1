// The levels program: the levels map of every channel, in GLSL, drawn by the
// 8-bit pass over its ramp of the 256 byte values (LevelsPass8.h).
#pragma once

#include <string>

namespace Ombrix::Levels {

// Its fragment stage; the vertex stage is the quad's (GlQuad.h).
std::string levelsFragmentSource();

}  // namespace Ombrix::Levels
