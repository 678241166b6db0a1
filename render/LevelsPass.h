// The levels pass: the levels program and the full-frame quad it draws. Each
// frame the render command hands it the frame's settings, read beforehand
// (LevelsSettingsReader.h), and it draws the quad with the uploaded input
// texture (draw, or drawBytes for 8-bit frames); global set-down asks it to
// delete its GL objects (releaseGl).
//
// 8-bit frames have 256 values a channel, so the levels program runs once per
// value instead of once per pixel: drawBytes draws it over a kept 1 x 256 ramp
// of the bytes 0..255 into a kept 1 x 256 8-bit table, in the host's order,
// copies the table (on the GPU) into a kept uniform buffer, then a small
// program takes every byte of the frame, kept in packed form (four pixels a
// fragment, see PackedByteFrame), through the table. The table holds exactly
// the bytes that the levels program writes for each value, so the frame is
// the same, byte for byte, as drawn pixel by pixel.
//
// The programs and the quad's buffer are shared by all contexts and made once,
// in the context of the first draw; vertex arrays and framebuffers are not
// shared, so each context gets its own, and its own ramp, table and table
// buffer (drawn into and read in that context only). Used only under the
// context registry's lock.
#pragma once

#include <memory>
#include <utility>

#include "gl/GlName.h"
#include "gl/OpenglShader.h"
#include "gl/PerContext.h"
#include "render/LevelsSettings.h"

namespace Ombrix::Levels {

class AEOpenGLContext;
class PackedByteFrame;

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

    // The same result as draw(..., hostOrder = true), for the host pixels
    // uploaded into `frame`'s input textures, written into its output
    // renderbuffers through the table: first the table of `settings` is drawn
    // in `context` and copied into the table buffer, then every part of the
    // frame, each into its own framebuffer. The caller's framebuffers,
    // viewport and pixel-pack state are put back; texture unit 0 (left active)
    // has no texture bound and uniform-buffer binding 0 no buffer. Returns
    // false, having drawn no frame, when a program could not be built.
    bool drawBytes(const AEOpenGLContext& context, const PackedByteFrame& frame, const LevelsSettings& settings);

    // Global set-down, with a context of the share group current: deletes
    // every context's ramp, table and table buffer in that context, then,
    // with the root current again, the programs and the quad's buffer;
    // framebuffers and vertex arrays die with their contexts.
    void releaseGl();
    // Gives up every GL name without a GL call.
    void forgetGl();

    bool programBuilt() const { return program_->built(); }
    bool lookupProgramBuilt() const { return lookupProgram_->built(); }

private:
    // What a context keeps for 8-bit frames: the ramp (RGBA8, texel (0, k) =
    // k in every channel), the table (RGBA8, host order), the framebuffer that
    // draws it and the uniform buffer that the frame pass reads it from.
    struct ByteTable {
        GlTexture ramp;
        GlTexture table;
        GlFramebuffer framebuffer;
        GlBuffer buffer;
        void release();  // with its context current
        void forget();
    };

    // Makes the context's vertex array and the shared buffer when missing,
    // then binds them with `program` in use and its attributes enabled.
    void bindQuad(const AEOpenGLContext& context, OpenglShader& program);
    // Draws the bound quad (when the program is built) and unbinds it.
    bool drawQuad(OpenglShader& program);
    ByteTable& byteTable(const AEOpenGLContext& context);
    // Draws the table of `settings` and copies it into the table buffer.
    bool drawTable(const AEOpenGLContext& context, ByteTable& entry, const LevelsSettings& settings);

    PerContext<GlVertexArray> vertexArrays_;  // released with their contexts
    PerContext<ByteTable> byteTables_;        // likewise
    GlBuffer vertexBuffer_;
    std::unique_ptr<OpenglShader> program_;
    std::unique_ptr<OpenglShader> lookupProgram_;
};

}  // namespace Ombrix::Levels
