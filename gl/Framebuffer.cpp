#include "gl/Framebuffer.h"

#include <glbinding/gl33core/gl.h>

#include "gl/PrintMessage.h"

using namespace gl33core;

namespace Ombrix::Levels {

bool Framebuffer::attachRenderbuffer(unsigned int renderbuffer) {
    if (!name_) name_ = GlFramebuffer::make();
    glBindFramebuffer(GL_FRAMEBUFFER, name_.get());
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffer);
    return complete();
}

bool Framebuffer::attachTexture(unsigned int texture) {
    if (!name_) name_ = GlFramebuffer::make();
    glBindFramebuffer(GL_FRAMEBUFFER, name_.get());
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    return complete();
}

bool Framebuffer::complete() {
    const GLenum drawBuffer = GL_COLOR_ATTACHMENT0;
    glDrawBuffers(1, &drawBuffer);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) return true;
    printMessage("framebuffer incomplete:%d", static_cast<int>(name_.get()));
    return false;
}

void Framebuffer::bindForDrawing() const { glBindFramebuffer(GL_DRAW_FRAMEBUFFER, name_.get()); }

void Framebuffer::bindForReading() const { glBindFramebuffer(GL_READ_FRAMEBUFFER, name_.get()); }

}  // namespace Ombrix::Levels
