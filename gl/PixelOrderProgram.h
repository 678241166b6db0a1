// The channel-reordering pass: draws a texture over the full-frame quad
// through a program that swizzles it, ".argb" (the render command's order,
// which turns the drawn (R, G, B, A) back into the host's alpha-first order)
// or ".bgar". Each pixel reads the texel at its own position (the texture
// has the viewport's size), so neighbours never mix. The vertex array belongs to the context of the first draw, so a
// program is kept per context (see OpenglRenderTarget).
#pragma once

#include "gl/GlName.h"
#include "gl/OpenglShader.h"

namespace Ombrix::Levels {

extern const char* const kPixelOrderVertexSource;
extern const char* const kPixelOrderArgbFragmentSource;
extern const char* const kPixelOrderBgarFragmentSource;

class PixelOrderProgram {
public:
    // Makes the program object (no GL call): the bgar order when
    // bgarOrder, the argb order otherwise.
    explicit PixelOrderProgram(bool bgarOrder);
    PixelOrderProgram(const PixelOrderProgram&) = delete;
    PixelOrderProgram& operator=(const PixelOrderProgram&) = delete;

    bool bgarOrder() const { return bgarOrder_; }

    // Draws the quad sampling `texture` on unit 0 into the bound framebuffer.
    // `multiplier` goes to the uniform "multiplier16bit", which neither
    // program reads. Builds the program and the quad on first use. Returns
    // false, having drawn nothing, when the program could not be built.
    bool draw(unsigned int texture, float multiplier);

    // Drops the vertex array without a GL call (it dies with its context);
    // the buffer and program are deleted when the object goes, so a context
    // sharing them must be current then.
    void forgetVertexArray() { vertexArray_.forget(); }
    // Gives up every GL name without a GL call.
    void forget();

private:
    bool bgarOrder_;
    GlVertexArray vertexArray_;
    GlBuffer vertexBuffer_;
    OpenglShader program_;
};

}  // namespace Ombrix::Levels
