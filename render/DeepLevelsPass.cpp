#include "render/DeepLevelsPass.h"

#include <glbinding/gl33core/gl.h>

#include <cstring>
#include <string>

#include "gl/AEOpenGLContext.h"
#include "gl/ContextRegistry.h"
#include "gl/ExactTexture.h"
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

// The levels program's own levelsMap (LevelsShaderSource.h) over integer
// codes: each sample is the code held at 32768 times 1/32768, and the result
// goes back as the integer roundEven(v * 32768), alpha first.
std::string deepLevelsFragmentSource() {
    return std::string(
               "#version 330\n"
               "out uvec4 colourOut;\n"
               "uniform usampler2D source;\n"
               "uniform float inputBlack, inputWhite, gamma, outputBlack, outputWhite;\n"
               "uniform float rInputBlack, rInputWhite, rGamma, rOutputBlack, rOutputWhite;\n"
               "uniform float gInputBlack, gInputWhite, gGamma, gOutputBlack, gOutputWhite;\n"
               "uniform float bInputBlack, bInputWhite, bGamma, bOutputBlack, bOutputWhite;\n"
               "uniform float aInputBlack, aInputWhite, aGamma, aOutputBlack, aOutputWhite;\n"
               "uniform int clipBlack;\n"
               "uniform int clipWhite;\n") +
           kLevelsMapSource +
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
}

}  // namespace

DeepLevelsPass::DeepLevelsPass()
    : program_(std::make_unique<OpenglShader>(kLevelsVertexSource, deepLevelsFragmentSource())) {
    program_->bindAttribute("position", kPositionLocation);
    program_->bindAttribute("input_uv", kUvLocation);
}

DeepLevelsPass::~DeepLevelsPass() {
    vertexBuffer_.forget();
    program_->forgetGl();
}

void DeepLevelsPass::DeepFrame::release() {
    vertexArray.reset();
    framebuffer.reset();
    output.reset();
    input.reset();
    width = height = 0;
}

void DeepLevelsPass::DeepFrame::forget() {
    vertexArray.forget();
    framebuffer.forget();
    output.forget();
    input.forget();
    width = height = 0;
}

void DeepLevelsPass::releaseGl() {
    // Each context's objects go in that context; the framebuffer and vertex
    // array of one that cannot be made current die with it, and its texture
    // and renderbuffer (shared) go from the root.
    AEOpenGLContext* root = rootContext();
    frames_.forEachWithContext([](const AEOpenGLContext& context, DeepFrame& frame) {
        try {
            context.makeCurrent();
            frame.release();
        } catch (const AESDK_OpenGL_Fault&) {
        }
    });
    try {
        if (root) root->makeCurrent();
    } catch (const AESDK_OpenGL_Fault&) {
        // The last context made current shares the objects: they go from there.
    }
    frames_.forEach([](DeepFrame& frame) {
        frame.framebuffer.forget();
        frame.vertexArray.forget();
        frame.output.reset();
        frame.input.reset();
    });
    frames_.forgetAll();
    vertexBuffer_.reset();
    program_->releaseGl();
}

void DeepLevelsPass::forgetGl() {
    frames_.forgetAll();
    vertexBuffer_.forget();
    program_->forgetGl();
}

long long DeepLevelsPass::keptBytes(const AEOpenGLContext& context) {
    const DeepFrame& frame = frames_.get(context);
    return 2LL * kPixelBytes * frame.width * frame.height;
}

bool DeepLevelsPass::prepare(DeepFrame& frame, int width, int height) {
    if (!frame.framebuffer) {
        frame.input = makeExactTexture(GL_RGBA16UI, 1, 1, GL_RGBA_INTEGER, GL_UNSIGNED_SHORT);
        frame.output = GlRenderbuffer::make();
        frame.framebuffer = GlFramebuffer::make();
        frame.vertexArray = GlVertexArray::make();
        frame.width = frame.height = 0;
    }
    if (!vertexBuffer_) {
        vertexBuffer_ = GlBuffer::make();
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_.get());
        glBufferData(GL_ARRAY_BUFFER, sizeof(kQuadVertices), kQuadVertices, GL_STATIC_DRAW);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, frame.framebuffer.get());
    if (frame.width != width || frame.height != height) {
        // New storage for a new size; the names stay.
        glBindTexture(GL_TEXTURE_2D, frame.input.get());
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_RGBA16UI), width, height, 0, GL_RGBA_INTEGER,
                     GL_UNSIGNED_SHORT, nullptr);
        glBindTexture(GL_TEXTURE_2D, 0);
        glBindRenderbuffer(GL_RENDERBUFFER, frame.output.get());
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA16UI, width, height);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, frame.output.get());
        const GLenum drawBuffer = GL_COLOR_ATTACHMENT0;
        glDrawBuffers(1, &drawBuffer);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        frame.width = width;
        frame.height = height;
    }
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        frame.width = frame.height = 0;  // new storage next time
        return false;
    }
    return true;
}

void DeepLevelsPass::render(const AEOpenGLContext& context, const LevelsSettings& settings,
                            const PF_EffectWorld& input, PF_EffectWorld& output, int width, int height) {
    if (!input.data || !output.data || width <= 0 || height <= 0) throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    const auto* inBase = reinterpret_cast<const uint8_t*>(input.data);
    auto* outBase = reinterpret_cast<uint8_t*>(output.data);
    const long long inRowbytes = input.rowbytes;
    const long long outRowbytes = output.rowbytes;
    const size_t packedRow = static_cast<size_t>(width) * kPixelBytes;

    DeepFrame& frame = frames_.get(context);
    if (!prepare(frame, width, height)) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    }
    TransferScratch& scratch = frame.scratch;

    // The frame's input, as integers.
    glBindTexture(GL_TEXTURE_2D, frame.input.get());
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
    glDisable(GL_BLEND);
    glViewport(0, 0, width, height);
    program_->use();
    glBindVertexArray(frame.vertexArray.get());
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_.get());
    program_->vertexAttribute3(kPositionLocation, 0, kQuadStride);
    program_->vertexAttribute2(kUvLocation, kQuadUvOffset, kQuadStride);
    setLevelsUniforms(*program_, settings);
    program_->setTexture("source", GL_TEXTURE_2D, frame.input.get(), 0);
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
