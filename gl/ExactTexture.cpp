#include "gl/ExactTexture.h"

#include <glbinding/gl33core/gl.h>

using namespace gl33core;

namespace Ombrix::Levels {

void setExactSampling() {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(GL_NEAREST));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(GL_NEAREST));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(GL_CLAMP_TO_EDGE));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(GL_CLAMP_TO_EDGE));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
}

GlTexture makeExactTexture(GLenum internalFormat, int width, int height, GLenum format, GLenum type,
                           const void* pixels) {
    GlTexture texture = GlTexture::make();
    glBindTexture(GL_TEXTURE_2D, texture.get());
    setExactSampling();
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(internalFormat), width, height, 0, format, type, pixels);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

}  // namespace Ombrix::Levels
