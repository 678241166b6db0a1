#include "render/LevelsShaderSource.h"

namespace Ombrix::Levels {

const char* const kLevelsVertexSource =
    "#version 330\n"
    "in vec3 position;\n"
    "in vec2 input_uv;\n"
    "out vec2 uv;\n"
    "void main() {\n"
    "   uv = input_uv;\n"
    "   gl_Position = vec4(position, 1.0);\n"
    "}";

// Each fragment reads exactly its own texel (texelFetch at the fragment's
// integer position; the texture has the viewport's size), so no neighbour
// ever mixes in, whatever the frame size. With "hostOrder" 1 the result is
// written alpha-first, the host's order, so that the render command reads it
// back as it stands; otherwise as (R, G, B, A).
//
// levelsMap works in 8-bit code units: a sample is scaled by 255, taken
// through the input range, the clips and the gamma curve onto the output range
// and scaled back, then clamped to 0..1. "inv_gamma" receives the Gamma value
// itself: Gamma 2 brightens mid-tones (0.25 becomes 0.5).
//
// A Gamma of 0 (the bottom of its range) or below is taken as the limit of
// ever smaller gammas: a value below input white goes to 0, one at input white
// stays 1, and one above it (white clipping off) becomes the largest float.
// Every value past the power step is held to the largest float, so that a huge
// value over equal output levels still gives that level (never 0 x infinity).
const char* const kLevelsFragmentSource =
    "#version 330\n"
    "in vec2 uv;\n"
    "out vec4 colourOut;\n"
    "uniform sampler2D source;\n"
    "uniform vec2 viewSize;\n"
    "uniform float inputBlack;\n"
    "uniform float inputWhite;\n"
    "uniform float gamma;\n"
    "uniform float outputBlack;\n"
    "uniform float outputWhite;\n"
    "uniform float rInputBlack;\n"
    "uniform float rInputWhite;\n"
    "uniform float rGamma;\n"
    "uniform float rOutputBlack;\n"
    "uniform float rOutputWhite;\n"
    "uniform float gInputBlack;\n"
    "uniform float gInputWhite;\n"
    "uniform float gGamma;\n"
    "uniform float gOutputBlack;\n"
    "uniform float gOutputWhite;\n"
    "uniform float bInputBlack;\n"
    "uniform float bInputWhite;\n"
    "uniform float bGamma;\n"
    "uniform float bOutputBlack;\n"
    "uniform float bOutputWhite;\n"
    "uniform float aInputBlack;\n"
    "uniform float aInputWhite;\n"
    "uniform float aGamma;\n"
    "uniform float aOutputBlack;\n"
    "uniform float aOutputWhite;\n"
    "uniform int clipBlack;\n"
    "uniform int clipWhite;\n"
    "uniform int hostOrder;\n"
    "const float largestFloat = 3.402823466e+38;\n"
    "float levelsMap(float value, float low_input, float high_input, float inv_gamma,\n"
    "                float low_output, float high_output, int cb, int cw) {\n"
    "   float v;\n"
    "   if (high_input != low_input) {\n"
    "      v = (value * 255.0 - low_input) / (high_input - low_input);\n"
    "   } else {\n"
    "      v = value * 255.0 - low_input;\n"
    "   }\n"
    "   if (cb == 1) {\n"
    "      if (high_output > low_output) v = max(v, 0.0); else v = min(v, 1.0);\n"
    "   }\n"
    "   if (cw == 1) {\n"
    "      if (high_output > low_output) v = min(v, 1.0); else v = max(v, 0.0);\n"
    "   }\n"
    "   if (inv_gamma != 1.0 && v > 0.0) {\n"
    "      if (inv_gamma > 0.0) {\n"
    "         v = pow(v, 1.0 / inv_gamma);\n"
    "      } else {\n"
    "         v = v < 1.0 ? 0.0 : (v > 1.0 ? largestFloat : 1.0);\n"
    "      }\n"
    "      v = min(v, largestFloat);\n"
    "   }\n"
    "   v = v * (high_output - low_output) + low_output;\n"
    "   v = v / 255.0;\n"
    "   v = clamp(v, 0.0, 1.0);\n"
    "   return v;\n"
    "}\n"
    "void main() {\n"
    "   vec4 c = texelFetch(source, ivec2(gl_FragCoord.xy), 0).gbar;\n"
    "   c.r = levelsMap(c.r, inputBlack, inputWhite, gamma, outputBlack, outputWhite, clipBlack, clipWhite);\n"
    "   c.g = levelsMap(c.g, inputBlack, inputWhite, gamma, outputBlack, outputWhite, clipBlack, clipWhite);\n"
    "   c.b = levelsMap(c.b, inputBlack, inputWhite, gamma, outputBlack, outputWhite, clipBlack, clipWhite);\n"
    "   c.r = levelsMap(c.r, rInputBlack, rInputWhite, rGamma, rOutputBlack, rOutputWhite, clipBlack, clipWhite);\n"
    "   c.g = levelsMap(c.g, gInputBlack, gInputWhite, gGamma, gOutputBlack, gOutputWhite, clipBlack, clipWhite);\n"
    "   c.b = levelsMap(c.b, bInputBlack, bInputWhite, bGamma, bOutputBlack, bOutputWhite, clipBlack, clipWhite);\n"
    "   c.a = levelsMap(c.a, aInputBlack, aInputWhite, aGamma, aOutputBlack, aOutputWhite, clipBlack, clipWhite);\n"
    "   colourOut = hostOrder == 1 ? c.argb : c;\n"
    "}\n";

// The 8-bit frame pass. The table is 256 x 1: texel k holds what the levels
// program makes of the byte k in every channel, as (R, G, B, A). The source
// holds the host's bytes (alpha, red, green, blue) in (r, g, b, a); each is
// turned back into its byte (exact: bytes become k / 255 on the way in), looks
// up its own channel's map and is written where it came from, so the result
// is in the host's order. Only exact texels are fetched.
const char* const kLevelsLookupFragmentSource =
    "#version 330\n"
    "out vec4 colourOut;\n"
    "uniform sampler2D source;\n"
    "uniform sampler2D table;\n"
    "void main() {\n"
    "   vec4 texel = texelFetch(source, ivec2(gl_FragCoord.xy), 0);\n"
    "   ivec4 index = clamp(ivec4(texel * 255.0 + 0.5), 0, 255);\n"
    "   colourOut = vec4(texelFetch(table, ivec2(index.r, 0), 0).a,\n"
    "                    texelFetch(table, ivec2(index.g, 0), 0).r,\n"
    "                    texelFetch(table, ivec2(index.b, 0), 0).g,\n"
    "                    texelFetch(table, ivec2(index.a, 0), 0).b);\n"
    "}\n";

}  // namespace Ombrix::Levels
