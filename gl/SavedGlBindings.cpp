#include "gl/SavedGlBindings.h"

#include <glbinding/gl33core/gl.h>

using namespace gl33core;

namespace Ombrix::Levels {
namespace {

GLenum textureUnit(int unit) { return static_cast<GLenum>(static_cast<unsigned int>(GL_TEXTURE0) + unit); }

}  // namespace

SavedGlBindings::SavedGlBindings() {
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer_);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer_);
    glGetIntegerv(GL_VIEWPORT, viewport_);
    blend_ = glIsEnabled(GL_BLEND) == GL_TRUE;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program_);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray_);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer_);
    glGetIntegerv(GL_RENDERBUFFER_BINDING, &renderbuffer_);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture_);
    for (int unit = 0; unit < kTextureUnits; ++unit) {
        glActiveTexture(textureUnit(unit));
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &textures_[unit]);
    }
    glActiveTexture(static_cast<GLenum>(activeTexture_));
    glGetIntegerv(GL_UNIFORM_BUFFER_BINDING, &uniformBuffer_);
    glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, 0, &uniformBinding0_);
}

SavedGlBindings::~SavedGlBindings() {
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer_));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer_));
    glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
    if (blend_) {
        glEnable(GL_BLEND);
    } else {
        glDisable(GL_BLEND);
    }
    glUseProgram(static_cast<GLuint>(program_));
    glBindVertexArray(static_cast<GLuint>(vertexArray_));
    glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(arrayBuffer_));
    glBindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(renderbuffer_));
    for (int unit = 0; unit < kTextureUnits; ++unit) {
        glActiveTexture(textureUnit(unit));
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(textures_[unit]));
    }
    glActiveTexture(static_cast<GLenum>(activeTexture_));
    glBindBufferBase(GL_UNIFORM_BUFFER, 0, static_cast<GLuint>(uniformBinding0_));
    glBindBuffer(GL_UNIFORM_BUFFER, static_cast<GLuint>(uniformBuffer_));
}

}  // namespace Ombrix::Levels
