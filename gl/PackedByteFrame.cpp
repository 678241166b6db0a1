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

bool PackedByteFrame::resize(int width, int height) {
    if (width == width_ && height == height_) return true;
    release();
    if (width <= 0 || height <= 0) return true;
    width_ = width;
    height_ = height;
    parts_[kBody].firstColumn = 0;
    parts_[kBody].columns = width / 4 * 4;
    parts_[kBody].pixelsPerTexel = 4;
    parts_[kTail].firstColumn = parts_[kBody].columns;
    parts_[kTail].columns = width % 4;
    parts_[kTail].pixelsPerTexel = 1;

    for (Part& part : parts_) {
        if (part.columns == 0) continue;
        const bool four = part.pixelsPerTexel == 4;
        const GLenum internalFormat = four ? GL_RGBA32UI : GL_R32UI;
        part.input = makeInputTexture(internalFormat, four ? GL_RGBA_INTEGER : GL_RED_INTEGER, part.texelsWide(),
                                      height);
        part.output = GlRenderbuffer::make();
        glBindRenderbuffer(GL_RENDERBUFFER, part.output.get());
        glRenderbufferStorage(GL_RENDERBUFFER, internalFormat, part.texelsWide(), height);
        if (!part.framebuffer.attachRenderbuffer(part.output.get())) {
            release();
            return false;
        }
    }
    return true;
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
