// A framebuffer with one colour image (a renderbuffer or a 2-D texture) at
// colour attachment 0, selected for drawing and reading, and checked complete
// when the image is attached. Framebuffers are not shared between contexts:
// one belongs to the context that made it and dies with it (forget()).
#pragma once

#include "gl/GlName.h"

namespace Ombrix::Levels {

class Framebuffer {
public:
    Framebuffer() = default;

    // Makes the framebuffer if it has none, binds it to GL_FRAMEBUFFER (it
    // stays bound) and attaches the image. False, with "framebuffer
    // incomplete:%d" (its name) on standard output, when it is not complete.
    bool attachRenderbuffer(unsigned int renderbuffer);
    bool attachTexture(unsigned int texture);

    void bindForDrawing() const;
    void bindForReading() const;

    unsigned int get() const { return name_.get(); }
    explicit operator bool() const { return static_cast<bool>(name_); }
    void reset() { name_.reset(); }
    void forget() { name_.forget(); }

private:
    // Selects attachment 0 for drawing and reading and checks completeness.
    bool complete();

    GlFramebuffer name_;
};

}  // namespace Ombrix::Levels
