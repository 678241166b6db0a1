#include "render/DeepLevelsPass.h"

#include <glbinding/gl33core/gl.h>

#include <cstring>

#include "gl/GlName.h"
#include "gl/QuadGeometry.h"
#include "render/LevelsShaderSource.h"
#include "render/LevelsUniforms.h"

using namespace gl33core;

namespace Ombrix::Levels {
namespace {

constexpr int kPixelBytes = 8;

void resetPixelStore() {
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
}

// Rows whose distance is a positive whole number of pixels go straight
// between host memory and GL; any other rows through `scratch`.
bool straightRows(long long rowbytes) { return rowbytes > 0 && rowbytes % kPixelBytes == 0; }

}  // namespace

// The map is the levels program's own levelsMap (LevelsShaderSource.cpp),
// written out again here so that the 8-bit program can change on its own.
const char* const kDeepLevelsFragmentSource =
    "#version 330\n"
    "out uvec4 colourOut;\n"
    "uniform usampler2D source;\n"
    "uniform float inputBlack, inputWhite, gamma, outputBlack, outputWhite;\n"
    "uniform float rInputBlack, rInputWhite, rGamma, rOutputBlack, rOutputWhite;\n"
    "uniform float gInputBlack, gInputWhite, gGamma, gOutputBlack, gOutputWhite;\n"
    "uniform float bInputBlack, bInputWhite, bGamma, bOutputBlack, bOutputWhite;\n"
    "uniform float aInputBlack, aInputWhite, aGamma, aOutputBlack, aOutputWhite;\n"
    "uniform int clipBlack;\n"
    "uniform int clipWhite;\n"
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
    "   return clamp(v, 0.0, 1.0);\n"
    "}\n"
    "void main() {\n"
    "   uvec4 k = min(texelFetch(source, ivec2(gl_FragCoord.xy), 0), uvec4(32768u));\n"
    "   vec4 c = vec4(k.gbar) * (1.0 / 32768.0);\n"
    "   c.r = levelsMap(c.r, inputBlack, inputWhite, gamma, outputBlack, outputWhite, clipBlack, clipWhite);\n"
    "   c.g = levelsMap(c.g, inputBlack, inputWhite, gamma, outputBlack, outputWhite, clipBlack, clipWhite);\n"
    "   c.b = levelsMap(c.b, inputBlack, inputWhite, gamma, outputBlack, outputWhite, clipBlack, clipWhite);\n"
    "   c.r = levelsMap(c.r, rInputBlack, rInputWhite, rGamma, rOutputBlack, rOutputWhite, clipBlack, clipWhite);\n"
    "   c.g = levelsMap(c.g, gInputBlack, gInputWhite, gGamma, gOutputBlack, gOutputWhite, clipBlack, clipWhite);\n"
    "   c.b = levelsMap(c.b, bInputBlack, bInputWhite, bGamma, bOutputBlack, bOutputWhite, clipBlack, clipWhite);\n"
    "   c.a = levelsMap(c.a, aInputBlack, aInputWhite, aGamma, aOutputBlack, aOutputWhite, clipBlack, clipWhite);\n"
    "   colourOut = uvec4(roundEven(c.argb * 32768.0));\n"
    "}\n";

DeepLevelsPass::DeepLevelsPass()
    : program_(std::make_unique<OpenglShader>(kLevelsVertexSource, kDeepLevelsFragmentSource)) {
    program_->bindAttribute("position", kPositionLocation);
    program_->bindAttribute("input_uv", kUvLocation);
}

DeepLevelsPass::~DeepLevelsPass() { program_->forgetGl(); }

void DeepLevelsPass::releaseGl() { program_->releaseGl(); }
void DeepLevelsPass::forgetGl() { program_->forgetGl(); }

void DeepLevelsPass::render(const LevelsSettings& settings, const PF_EffectWorld& input, PF_EffectWorld& output,
                            int width, int height, TransferScratch& scratch) {
    if (!input.data || !output.data || width <= 0 || height <= 0) throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    const auto* inBase = reinterpret_cast<const uint8_t*>(input.data);
    auto* outBase = reinterpret_cast<uint8_t*>(output.data);
    const long long inRowbytes = input.rowbytes;
    const long long outRowbytes = output.rowbytes;
    const size_t packedRow = static_cast<size_t>(width) * kPixelBytes;

    // The frame's input, as integers.
    GlTexture texture = GlTexture::make();
    glBindTexture(GL_TEXTURE_2D, texture.get());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(GL_NEAREST));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(GL_NEAREST));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_RGBA16UI), width, height, 0, GL_RGBA_INTEGER,
                 GL_UNSIGNED_SHORT, nullptr);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (straightRows(inRowbytes)) {
        glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(inRowbytes / kPixelBytes));
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA_INTEGER, GL_UNSIGNED_SHORT, inBase);
    } else {
        scratch.resize(packedRow * static_cast<size_t>(height));
        for (int y = 0; y < height; ++y) std::memcpy(&scratch[packedRow * y], inBase + inRowbytes * y, packedRow);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA_INTEGER, GL_UNSIGNED_SHORT, scratch.data());
    }
    resetPixelStore();

    // The frame's output, as integers, host order.
    GlRenderbuffer colour = GlRenderbuffer::make();
    glBindRenderbuffer(GL_RENDERBUFFER, colour.get());
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA16UI, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    GlFramebuffer framebuffer = GlFramebuffer::make();
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer.get());
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour.get());
    const GLenum drawBuffer = GL_COLOR_ATTACHMENT0;
    glDrawBuffers(1, &drawBuffer);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glBindTexture(GL_TEXTURE_2D, 0);
        throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    }
    glDisable(GL_BLEND);
    glViewport(0, 0, width, height);

    GlVertexArray vertexArray = GlVertexArray::make();
    GlBuffer vertexBuffer = GlBuffer::make();
    glBindVertexArray(vertexArray.get());
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer.get());
    glBufferData(GL_ARRAY_BUFFER, sizeof(kQuadVertices), kQuadVertices, GL_STATIC_DRAW);
    program_->use();
    program_->vertexAttribute3(kPositionLocation, 0, kQuadStride);
    program_->vertexAttribute2(kUvLocation, kQuadUvOffset, kQuadStride);
    setLevelsUniforms(*program_, settings);
    program_->setTexture("source", GL_TEXTURE_2D, texture.get(), 0);
    const bool drawn = program_->built();
    if (drawn) glDrawArrays(GL_TRIANGLES, 0, kQuadVertexCount);
    program_->disableAttribute(kPositionLocation);
    program_->disableAttribute(kUvLocation);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    if (!drawn) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    }

    // Straight back into the output rows.
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (straightRows(outRowbytes)) {
        glPixelStorei(GL_PACK_ROW_LENGTH, static_cast<GLint>(outRowbytes / kPixelBytes));
        glReadPixels(0, 0, width, height, GL_RGBA_INTEGER, GL_UNSIGNED_SHORT, outBase);
    } else {
        scratch.resize(packedRow * static_cast<size_t>(height));
        glPixelStorei(GL_PACK_ROW_LENGTH, 0);
        glReadPixels(0, 0, width, height, GL_RGBA_INTEGER, GL_UNSIGNED_SHORT, scratch.data());
        for (int y = 0; y < height; ++y) std::memcpy(outBase + outRowbytes * y, &scratch[packedRow * y], packedRow);
    }
    resetPixelStore();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

DeepLevelsPass& deepLevelsPass() {
    static DeepLevelsPass pass;
    return pass;
}

}  // namespace Ombrix::Levels
