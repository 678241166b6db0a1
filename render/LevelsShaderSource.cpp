#include "render/LevelsShaderSource.h"

#include "render/LevelsUniforms.h"

namespace Ombrix::Levels {
namespace {

// levelsMap works in 8-bit code units: a sample is scaled by 255, taken
// through the input range, the clips and the gamma curve onto the output
// range and scaled back, then clamped to 0..1. "gamma_value" is the Gamma
// slider itself: Gamma 2 brightens mid-tones (0.25 becomes 0.5).
//
// A Gamma of 0 (the bottom of its range) or below is taken as the limit of
// ever smaller gammas: a value below input white goes to 0, one at input white
// stays 1, and one above it (white clipping off) becomes the largest float.
// Every value past the power step is held to the largest float, so that a huge
// value over equal output levels still gives that level (never 0 x infinity).
const char* const kLevelsMapSource =
    "const float largestFloat = 3.402823466e+38;\n"
    "float levelsMap(float value, float low_input, float high_input, float gamma_value,\n"
    "                float low_output, float high_output, int clip_black, int clip_white) {\n"
    "   float v;\n"
    "   if (high_input != low_input) {\n"
    "      v = (value * 255.0 - low_input) / (high_input - low_input);\n"
    "   } else {\n"
    "      v = value * 255.0 - low_input;\n"
    "   }\n"
    "   if (clip_black == 1) {\n"
    "      if (high_output > low_output) v = max(v, 0.0); else v = min(v, 1.0);\n"
    "   }\n"
    "   if (clip_white == 1) {\n"
    "      if (high_output > low_output) v = min(v, 1.0); else v = max(v, 0.0);\n"
    "   }\n"
    "   if (gamma_value != 1.0 && v > 0.0) {\n"
    "      if (gamma_value > 0.0) {\n"
    "         v = pow(v, 1.0 / gamma_value);\n"
    "      } else {\n"
    "         v = v < 1.0 ? 0.0 : (v > 1.0 ? largestFloat : 1.0);\n"
    "      }\n"
    "      v = min(v, largestFloat);\n"
    "   }\n"
    "   v = v * (high_output - low_output) + low_output;\n"
    "   v = v / 255.0;\n"
    "   v = clamp(v, 0.0, 1.0);\n"
    "   return v;\n"
    "}\n";

std::string mapCall(const char* component, LevelsBlock block) {
    return std::string("   c.") + component + " = levelsMap(c." + component + ", " + levelsMapArguments(block) + ");\n";
}

}  // namespace

// Each fragment reads exactly its own texel (texelFetch at the fragment's
// integer position; the texture has the viewport's size), so no neighbour
// ever mixes in. The texel holds a host pixel's bytes as they lie in memory,
// alpha first; ".gbar" makes it (R, G, B, A). Red, green and blue go through
// the composite map and then their own, alpha through its own only; the
// result is written alpha first again, the host's order.
std::string levelsFragmentSource() {
    return std::string("#version 330\n"
                       "out vec4 colourOut;\n"
                       "uniform sampler2D source;\n") +
           levelsUniformDeclarations() + kLevelsMapSource +
           "void main() {\n"
           "   vec4 c = texelFetch(source, ivec2(gl_FragCoord.xy), 0).gbar;\n" +
           mapCall("r", LevelsBlock::Composite) + mapCall("g", LevelsBlock::Composite) +
           mapCall("b", LevelsBlock::Composite) + mapCall("r", LevelsBlock::Red) + mapCall("g", LevelsBlock::Green) +
           mapCall("b", LevelsBlock::Blue) + mapCall("a", LevelsBlock::Alpha) +
           "   colourOut = c.argb;\n"
           "}\n";
}

}  // namespace Ombrix::Levels
