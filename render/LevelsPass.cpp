#include "render/LevelsPass.h"

#include <glbinding/gl33core/gl.h>

#include <array>
#include <cstdint>

#include "gl/AEOpenGLContext.h"
#include "gl/ContextRegistry.h"
#include "gl/QuadGeometry.h"
#include "render/LevelsShaderSource.h"
#include "render/LevelsUniforms.h"

using namespace gl33core;

namespace Ombrix::Levels {
namespace {

// A 256 x 1 RGBA8 texture read texel for texel (texelFetch needs a complete
// texture: one level, no mipmap filter), holding `bytes` or nothing yet.
GlTexture makeTableTexture(const uint8_t* bytes) {
    GlTexture texture = GlTexture::make();
    glBindTexture(GL_TEXTURE_2D, texture.get());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(GL_NEAREST));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(GL_NEAREST));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(GL_CLAMP_TO_EDGE));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(GL_CLAMP_TO_EDGE));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    // Rows of 1024 bytes: the default unpack state reads them as they are.
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_RGBA8), LevelsPass::kTableSize, 1, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, bytes);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

}  // namespace

void LevelsPass::ByteTable::release() {
    framebuffer.reset();
    table.reset();
    ramp.reset();
}

void LevelsPass::ByteTable::forget() {
    framebuffer.forget();
    table.forget();
    ramp.forget();
}

LevelsPass::LevelsPass()
    : program_(std::make_unique<OpenglShader>(kLevelsVertexSource, kLevelsFragmentSource)),
      lookupProgram_(std::make_unique<OpenglShader>(kLevelsVertexSource, kLevelsLookupFragmentSource)) {
    for (OpenglShader* program : {program_.get(), lookupProgram_.get()}) {
        program->bindAttribute("position", kPositionLocation);
        program->bindAttribute("input_uv", kUvLocation);
    }
}

void LevelsPass::bindQuad(const AEOpenGLContext& context, OpenglShader& program) {
    GlVertexArray& vertexArray = vertexArrays_.get(context);
    if (!vertexArray) {
        vertexArray = GlVertexArray::make();
        glBindVertexArray(vertexArray.get());
    }
    if (!vertexBuffer_) {
        vertexBuffer_ = GlBuffer::make();
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_.get());
        glBufferData(GL_ARRAY_BUFFER, sizeof(kQuadVertices), kQuadVertices, GL_STATIC_DRAW);
    }
    program.use();
    glBindVertexArray(vertexArray.get());
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_.get());
    program.vertexAttribute3(kPositionLocation, 0, kQuadStride);
    program.vertexAttribute2(kUvLocation, kQuadUvOffset, kQuadStride);
}

bool LevelsPass::drawQuad(OpenglShader& program) {
    const bool drawn = program.built();  // with no program, drawing is undefined: draw nothing
    if (drawn) glDrawArrays(GL_TRIANGLES, 0, kQuadVertexCount);
    program.disableAttribute(kPositionLocation);
    program.disableAttribute(kUvLocation);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return drawn;
}

bool LevelsPass::draw(const AEOpenGLContext& context, unsigned int texture, std::pair<double, double> viewSize,
                      const LevelsSettings& settings, bool hostOrder) {
    bindQuad(context, *program_);
    program_->setVec2("viewSize", viewSize);
    setLevelsUniforms(*program_, settings);
    program_->setInt("hostOrder", hostOrder ? 1 : 0);
    program_->setTexture("source", GL_TEXTURE_2D, texture, 0);
    return drawQuad(*program_);
}

LevelsPass::ByteTable& LevelsPass::byteTable(const AEOpenGLContext& context) {
    ByteTable& entry = byteTables_.get(context);
    if (entry.framebuffer) return entry;
    std::array<uint8_t, 4 * kTableSize> ramp{};
    for (int value = 0; value < kTableSize; ++value) {
        for (int channel = 0; channel < 4; ++channel) ramp[4 * value + channel] = static_cast<uint8_t>(value);
    }
    entry.ramp = makeTableTexture(ramp.data());
    entry.table = makeTableTexture(nullptr);
    entry.framebuffer = GlFramebuffer::make();
    GLint drawFramebuffer = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, entry.framebuffer.get());
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, entry.table.get(), 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer));
    return entry;
}

bool LevelsPass::drawBytes(const AEOpenGLContext& context, unsigned int texture, const LevelsSettings& settings) {
    ByteTable& entry = byteTable(context);

    // The table: the levels program over the ramp, into the table's own
    // framebuffer; the caller's framebuffer and viewport are put back.
    GLint drawFramebuffer = 0;
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, entry.framebuffer.get());
    glViewport(0, 0, kTableSize, 1);
    const bool tableDrawn = draw(context, entry.ramp.get(), {double(kTableSize), 1.0}, settings, false);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer));
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);

    bool drawn = false;
    if (tableDrawn) {
        bindQuad(context, *lookupProgram_);
        lookupProgram_->setTexture("source", GL_TEXTURE_2D, texture, 0);
        lookupProgram_->setTexture("table", GL_TEXTURE_2D, entry.table.get(), 1);
        drawn = drawQuad(*lookupProgram_);
    }
    // The kept textures stay bound nowhere between frames.
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    return drawn;
}

void LevelsPass::releaseGl() {
    // A ramp and a table are deleted in the context that drew into or sampled
    // them (Mesa keeps per-context state for them, which deleting them in
    // another context leaks); one whose context cannot be made current goes
    // from the root, which shares it.
    AEOpenGLContext* root = rootContext();
    byteTables_.forEachWithContext([](const AEOpenGLContext& context, ByteTable& entry) {
        try {
            context.makeCurrent();
            entry.release();
        } catch (const AESDK_OpenGL_Fault&) {
        }
    });
    try {
        if (root) root->makeCurrent();
    } catch (const AESDK_OpenGL_Fault&) {
        // The last context made current shares the objects: they go from there.
    }
    byteTables_.forEach([](ByteTable& entry) {
        entry.framebuffer.forget();  // dies with its context
        entry.table.reset();
        entry.ramp.reset();
    });
    byteTables_.forgetAll();
    vertexArrays_.forgetAll();
    vertexBuffer_.reset();
    program_->releaseGl();
    lookupProgram_->releaseGl();
}

void LevelsPass::forgetGl() {
    byteTables_.forgetAll();
    vertexArrays_.forgetAll();
    vertexBuffer_.forget();
    program_->forgetGl();
    lookupProgram_->forgetGl();
}

}  // namespace Ombrix::Levels
