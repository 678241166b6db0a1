// The full-frame quad: two triangles over the whole viewport, and the vertex
// stage that draws them. Every program of the effect reads its texel at the
// fragment's own position (gl_FragCoord), so the quad carries positions only.
//
// The vertex buffer is shared by the contexts and made on the first draw;
// vertex arrays are not shared, so each context gets its own, set up once
// with the buffer and its one attribute. Used only under the context
// registry's lock.
#pragma once

#include "gl/GlName.h"
#include "gl/OpenglShader.h"
#include "gl/PerContext.h"

namespace Ombrix::Levels {

class AEOpenGLContext;

// The vertex stage of every program drawn over the quad.
extern const char* const kQuadVertexSource;

class GlQuad {
public:
    GlQuad() = default;
    GlQuad(const GlQuad&) = delete;
    GlQuad& operator=(const GlQuad&) = delete;

    // Binds the quad's attribute location in `program` (before its build).
    static void bindAttributes(OpenglShader& program);

    // Draws the quad in `context` (current) with `program`, which is in use
    // and has its uniforms set, into the bound draw framebuffer and viewport.
    // Returns false, having drawn nothing, when the program is not built
    // (drawing without a program is undefined). No vertex array stays bound.
    bool draw(const AEOpenGLContext& context, const OpenglShader& program);

    // Global set-down, with a context of the share group current: every
    // context's vertex array goes in its own context, then the buffer with
    // the root current. forgetGl gives up every name without a GL call.
    void releaseGl();
    void forgetGl();

private:
    PerContext<GlVertexArray> vertexArrays_;
    GlBuffer vertexBuffer_;
};

}  // namespace Ombrix::Levels
