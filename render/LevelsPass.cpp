#include "render/LevelsPass.h"

#include <glbinding/gl33core/gl.h>

#include <array>
#include <cstdint>

#include "gl/AEOpenGLContext.h"
#include "gl/ContextRegistry.h"
#include "gl/ExactTexture.h"
#include "gl/PackedByteFrame.h"
#include "gl/QuadGeometry.h"
#include "render/LevelsShaderSource.h"
#include "render/LevelsUniforms.h"

using namespace gl33core;

namespace Ombrix::Levels {
namespace {

// Entries of the table buffer lie this far apart (a uint array in the std140
// layout), each holding one table texel.
constexpr int kTableEntryBytes = 16;
// Binding point of the table buffer.
constexpr unsigned int kTableBinding = 0;

// A 1 x 256 RGBA8 texture read texel for texel, holding `bytes` or nothing
// yet. Rows of 4 bytes: the default unpack state reads them as they are.
GlTexture makeTableTexture(const uint8_t* bytes) {
    return makeExactTexture(GL_RGBA8, 1, LevelsPass::kTableSize, GL_RGBA, GL_UNSIGNED_BYTE, bytes);
}

}  // namespace

void LevelsPass::ByteTable::release() {
    buffer.reset();
    framebuffer.reset();
    table.reset();
    ramp.reset();
}

void LevelsPass::ByteTable::forget() {
    buffer.forget();
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
    entry.buffer = GlBuffer::make();
    glBindBuffer(GL_UNIFORM_BUFFER, entry.buffer.get());
    glBufferData(GL_UNIFORM_BUFFER, kTableEntryBytes * kTableSize, nullptr, GL_STREAM_COPY);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    entry.framebuffer = GlFramebuffer::make();
    GLint drawFramebuffer = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, entry.framebuffer.get());
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, entry.table.get(), 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer));
    return entry;
}

bool LevelsPass::drawTable(const AEOpenGLContext& context, ByteTable& entry, const LevelsSettings& settings) {
    // The levels program over the ramp, in the host's order, into the table's
    // own framebuffer.
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, entry.framebuffer.get());
    glViewport(0, 0, 1, kTableSize);
    if (!draw(context, entry.ramp.get(), {1.0, double(kTableSize)}, settings, true)) return false;

    // Texel k into entry k of the buffer: rows of one texel, 16 bytes apart.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, entry.framebuffer.get());
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, entry.buffer.get());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, kTableEntryBytes / 4);
    glReadPixels(0, 0, 1, kTableSize, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    return true;
}

bool LevelsPass::drawBytes(const AEOpenGLContext& context, const PackedByteFrame& frame,
                           const LevelsSettings& settings) {
    ByteTable& entry = byteTable(context);
    GLint drawFramebuffer = 0;
    GLint readFramebuffer = 0;
    GLint packAlignment = 4;
    GLint packRowLength = 0;
    GLint packBuffer = 0;
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glGetIntegerv(GL_PACK_ROW_LENGTH, &packRowLength);
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer);
    glGetIntegerv(GL_VIEWPORT, viewport);

    bool drawn = drawTable(context, entry, settings);
    for (int index = 0; drawn && index < PackedByteFrame::kPartCount; ++index) {
        const PackedByteFrame::Part& part = frame.part(index);
        if (part.columns == 0) continue;
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, part.framebuffer.get());
        glViewport(0, 0, part.texelsWide(), frame.height());
        bindQuad(context, *lookupProgram_);
        lookupProgram_->setTexture("source", GL_TEXTURE_2D, part.input.get(), 0);
        lookupProgram_->setUniformBuffer("ByteTable", entry.buffer.get(), kTableBinding);
        drawn = drawQuad(*lookupProgram_);
    }

    // The caller's state back; the kept objects stay bound nowhere between frames.
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    glPixelStorei(GL_PACK_ROW_LENGTH, packRowLength);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(packBuffer));
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glBindBufferBase(GL_UNIFORM_BUFFER, kTableBinding, 0);
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
        entry.buffer.reset();
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
