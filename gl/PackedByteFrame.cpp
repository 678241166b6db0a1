#include "gl/PackedByteFrame.h"

#include <glbinding/gl33core/gl.h>

#include "gl/ExactTexture.h"

using namespace gl33core;

namespace Ombrix::Levels {
namespace {

// An integer texture read texel for texel (integer formats take no linear
// filtering anyway).
GlTexture makeInputTexture(GLenum internalFormat, GLenum format, int width, int height) {
    return makeExactTexture(internalFormat, width, height, format, GL_UNSIGNED_INT);
}

}  // namespace

void PackedByteFrame::resize(int width, int height) {
    if (width == width_ && height == height_) return;
    release();
    if (width <= 0 || height <= 0) return;
    width_ = width;
    height_ = height;
    parts_[kBody].firstColumn = 0;
    parts_[kBody].columns = width / 4 * 4;
    parts_[kBody].pixelsPerTexel = 4;
    parts_[kTail].firstColumn = parts_[kBody].columns;
    parts_[kTail].columns = width % 4;
    parts_[kTail].pixelsPerTexel = 1;

    GLint drawFramebuffer = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer);
    for (Part& part : parts_) {
        if (part.columns == 0) continue;
        const bool four = part.pixelsPerTexel == 4;
        const GLenum internalFormat = four ? GL_RGBA32UI : GL_R32UI;
        part.input = makeInputTexture(internalFormat, four ? GL_RGBA_INTEGER : GL_RED_INTEGER, part.texelsWide(),
                                      height);
        part.output = GlRenderbuffer::make();
        glBindRenderbuffer(GL_RENDERBUFFER, part.output.get());
        glRenderbufferStorage(GL_RENDERBUFFER, internalFormat, part.texelsWide(), height);
        part.framebuffer = GlFramebuffer::make();
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, part.framebuffer.get());
        glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, part.output.get());
    }
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer));
}

std::size_t PackedByteFrame::keptBytes() const {
    std::size_t bytes = 0;
    for (const Part& part : parts_) {
        const std::size_t partBytes = 4u * static_cast<std::size_t>(part.columns) * static_cast<std::size_t>(height_);
        if (part.input) bytes += partBytes;
        if (part.output) bytes += partBytes;
    }
    return bytes;
}

void PackedByteFrame::release() {
    for (Part& part : parts_) {
        part.framebuffer.reset();
        part.output.reset();
        part.input.reset();
        part.columns = 0;
    }
    width_ = height_ = 0;
}

void PackedByteFrame::forget() {
    for (Part& part : parts_) {
        part.framebuffer.forget();
        part.output.forget();
        part.input.forget();
        part.columns = 0;
    }
    width_ = height_ = 0;
}

void PackedByteFrame::forgetFramebuffers() {
    for (Part& part : parts_) part.framebuffer.forget();
}

}  // namespace Ombrix::Levels
