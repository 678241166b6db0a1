// The levels pass: the levels program and the full-frame quad it draws. Each
// frame the render command hands it the frame's settings, read beforehand
// (LevelsSettingsReader.h), and it draws the quad once with the uploaded input
// texture (draw); global set-down asks it to delete its GL objects (releaseGl).
//
// The program and the quad's buffer are shared by all contexts and made once,
// in the context of the first draw; vertex arrays are not shared, so each
// context gets its own. Used only under the context registry's lock.
#pragma once

#include <memory>
#include <utility>

#include "gl/GlName.h"
#include "gl/OpenglShader.h"
#include "gl/PerContext.h"
#include "render/LevelsSettings.h"

namespace Ombrix::Levels {

class AEOpenGLContext;

class LevelsPass {
public:
    // Describes the program; no GL call (no context exists at module load).
    LevelsPass();
    LevelsPass(const LevelsPass&) = delete;
    LevelsPass& operator=(const LevelsPass&) = delete;

    // Draws the quad with the levels program and `settings` into the
    // framebuffer and viewport bound in `context` (which is current); each
    // pixel reads the texel of `texture` at its own position, so the texture
    // has the viewport's size. Blending must be off: the result replaces the
    // pixels, alpha included. The result is (R, G, B, A), or with `hostOrder`
    // the host's alpha-first order. Returns false, having drawn nothing, when
    // the program could not be built.
    bool draw(const AEOpenGLContext& context, unsigned int texture, std::pair<double, double> viewSize,
              const LevelsSettings& settings, bool hostOrder = false);

    // Global set-down, with a context of the share group current: deletes the
    // program and the quad's buffer; the vertex arrays die with their contexts.
    void releaseGl();
    // Gives up every GL name without a GL call.
    void forgetGl();

    bool programBuilt() const { return program_->built(); }

private:
    PerContext<GlVertexArray> vertexArrays_;  // released with their contexts
    GlBuffer vertexBuffer_;
    std::unique_ptr<OpenglShader> program_;
};

}  // namespace Ombrix::Levels
