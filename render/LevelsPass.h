// The levels pass: the levels program, the full-frame quad it draws and the
// 27 settings of the frame. Each frame the render command asks it to read the
// parameters at the current time (readSettings) and to draw the quad once
// with the uploaded input texture (draw); global set-down asks it to delete
// its GL objects (releaseGl).
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
#include "host/ae_effect.h"
#include "render/LevelsSettings.h"

namespace Ombrix::Levels {

class AEOpenGLContext;

class LevelsPass {
public:
    // Describes the program; no GL call (no context exists at module load).
    LevelsPass();
    LevelsPass(const LevelsPass&) = delete;
    LevelsPass& operator=(const LevelsPass&) = delete;

    // Reads the 27 parameters at the host's current time into the settings;
    // a parameter that cannot be read keeps its previous value.
    void readSettings(PF_InData* in_data);
    static bool readSliderValue(PF_InData* in_data, int index, double& out);
    static bool readCheckbox(PF_InData* in_data, int index, bool& out);

    const LevelsSettings& settings() const { return settings_; }
    void setSettings(const LevelsSettings& settings) { settings_ = settings; }

    // Draws the quad with the levels program into the framebuffer and
    // viewport bound in `context` (which is current); each pixel reads the
    // texel of `texture` at its own position, so the texture has the
    // viewport's size. Blending must be off: the result replaces the pixels,
    // alpha included. The result is (R, G, B, A), or with `hostOrder` the
    // host's alpha-first order. Returns false, having drawn nothing, when the
    // program could not be built.
    bool draw(const AEOpenGLContext& context, unsigned int texture, std::pair<double, double> viewSize,
              bool hostOrder = false);

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
    LevelsSettings settings_;
};

}  // namespace Ombrix::Levels
