// The levels pass: the levels program and the full-frame quad it draws. Each
// frame the render command hands it the frame's settings, read beforehand
// (LevelsSettingsReader.h), and it draws the quad with the uploaded input
// texture (draw, or drawBytes for 8-bit frames); global set-down asks it to
// delete its GL objects (releaseGl).
//
// 8-bit frames have 256 values a channel, so the levels program runs once per
// value instead of once per pixel: drawBytes draws it over a kept 256 x 1 ramp
// of the bytes 0..255 into a kept 256 x 1 8-bit table, then a small program
// takes every byte of the frame through the table. The table holds exactly
// the bytes that the levels program writes for each value, so the frame is
// the same, byte for byte, as drawn pixel by pixel.
//
// The programs and the quad's buffer are shared by all contexts and made once,
// in the context of the first draw; vertex arrays and framebuffers are not
// shared, so each context gets its own, and its own ramp and table (drawn into
// and sampled in that context only). Used only under the context registry's
// lock.
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
    // Entries in the 8-bit table: one per byte value.
    static constexpr int kTableSize = 256;

    // Describes the programs; no GL call (no context exists at module load).
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

    // The same result as draw(..., hostOrder = true) for a texture of 8 bits
    // a channel (host bytes, uploaded as they are), through the table: first
    // the table of `settings` is drawn in `context` (its own framebuffer and
    // viewport, both put back afterwards), then the frame. Texture units 0
    // and 1 are left with no texture bound, unit 0 active. Returns false,
    // having drawn no frame, when a program could not be built.
    bool drawBytes(const AEOpenGLContext& context, unsigned int texture, const LevelsSettings& settings);

    // Global set-down, with a context of the share group current: deletes
    // every context's ramp and table in that context, then, with the root
    // current again, the programs and the quad's buffer; framebuffers and
    // vertex arrays die with their contexts.
    void releaseGl();
    // Gives up every GL name without a GL call.
    void forgetGl();

    bool programBuilt() const { return program_->built(); }
    bool lookupProgramBuilt() const { return lookupProgram_->built(); }

private:
    // What a context keeps for 8-bit frames: the ramp (RGBA8, texel k = k in
    // every channel), the table (RGBA8) and the framebuffer that draws it.
    struct ByteTable {
        GlTexture ramp;
        GlTexture table;
        GlFramebuffer framebuffer;
        void release();  // with its context current
        void forget();
    };

    // Makes the context's vertex array and the shared buffer when missing,
    // then binds them with `program` in use and its attributes enabled.
    void bindQuad(const AEOpenGLContext& context, OpenglShader& program);
    // Draws the bound quad (when the program is built) and unbinds it.
    bool drawQuad(OpenglShader& program);
    ByteTable& byteTable(const AEOpenGLContext& context);

    PerContext<GlVertexArray> vertexArrays_;  // released with their contexts
    PerContext<ByteTable> byteTables_;        // likewise
    GlBuffer vertexBuffer_;
    std::unique_ptr<OpenglShader> program_;
    std::unique_ptr<OpenglShader> lookupProgram_;
};

}  // namespace Ombrix::Levels
