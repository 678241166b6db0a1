#include "render/LevelsShaderSource.h"

// levelsMap and the constant it uses, one text for every pass that applies
// the map (see kLevelsMapSource).
#define ZANTH_LEVELS_MAP_SOURCE \
    "const float largestFloat = 3.402823466e+38;\n" \
    "float levelsMap(float value, float low_input, float high_input, float inv_gamma,\n" \
    "                float low_output, float high_output, int cb, int cw) {\n" \
    "   float v;\n" \
    "   if (high_input != low_input) {\n" \
    "      v = (value * 255.0 - low_input) / (high_input - low_input);\n" \
    "   } else {\n" \
    "      v = value * 255.0 - low_input;\n" \
    "   }\n" \
    "   if (cb == 1) {\n" \
    "      if (high_output > low_output) v = max(v, 0.0); else v = min(v, 1.0);\n" \
    "   }\n" \
    "   if (cw == 1) {\n" \
    "      if (high_output > low_output) v = min(v, 1.0); else v = max(v, 0.0);\n" \
    "   }\n" \
    "   if (inv_gamma != 1.0 && v > 0.0) {\n" \
    "      if (inv_gamma > 0.0) {\n" \
    "         v = pow(v, 1.0 / inv_gamma);\n" \
    "      } else {\n" \
    "         v = v < 1.0 ? 0.0 : (v > 1.0 ? largestFloat : 1.0);\n" \
    "      }\n" \
    "      v = min(v, largestFloat);\n" \
    "   }\n" \
    "   v = v * (high_output - low_output) + low_output;\n" \
    "   v = v / 255.0;\n" \
    "   v = clamp(v, 0.0, 1.0);\n" \
    "   return v;\n" \
    "}\n"

namespace Ombrix::Levels {

const char* const kLevelsMapSource = ZANTH_LEVELS_MAP_SOURCE;

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
    ZANTH_LEVELS_MAP_SOURCE
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

// The 8-bit frame pass, four host pixels a fragment. The source is an
// integer texture holding each host pixel as one 32-bit word, its bytes as
// they lie in host memory (alpha, red, green, blue), four pixels in a texel
// (one in a single-channel texture, whose missing components read as 0 and 1
// and are dropped on output). The table's entry k holds, at each byte
// position, what the levels program makes of the byte k at that position of
// a host pixel, the entries 16 bytes apart (the std140 layout of a uint
// array). Each byte of a word takes the same byte position of its own entry,
// so the result is in the host's order and the machine's byte order does not
// matter. Only exact texels are fetched.
const char* const kLevelsLookupFragmentSource =
    "#version 330\n"
    "out uvec4 colourOut;\n"
    "uniform usampler2D source;\n"
    "layout(std140) uniform ByteTable {\n"
    "   uint entries[256];\n"
    "};\n"
    "uint mapPixel(uint p) {\n"
    "   return (entries[p & 255u] & 0xFFu)\n"
    "        | (entries[(p >> 8u) & 255u] & 0xFF00u)\n"
    "        | (entries[(p >> 16u) & 255u] & 0xFF0000u)\n"
    "        | (entries[p >> 24u] & 0xFF000000u);\n"
    "}\n"
    "void main() {\n"
    "   uvec4 texel = texelFetch(source, ivec2(gl_FragCoord.xy), 0);\n"
    "   colourOut = uvec4(mapPixel(texel.r), mapPixel(texel.g), mapPixel(texel.b), mapPixel(texel.a));\n"
    "}\n";

}  // namespace Ombrix::Levels
