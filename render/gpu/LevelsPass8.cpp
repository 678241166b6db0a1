#include "render/gpu/LevelsPass8.h"

#include <glbinding/gl33core/gl.h>

#include <array>
#include <cstdint>
#include <cstring>

#include "gl/SavedGlBindings.h"
#include "render/WorldRows.h"
#include "render/LevelsTables.h"

using namespace gl33core;

namespace Ombrix::Levels {
namespace {

constexpr int kPixelBytes = 4;  // a host pixel of 8-bit channels, one 32-bit word in the packed frame
// Entries of the table buffer lie this far apart (a uint array in the std140
// layout), each holding the four channels' bytes of one value.
constexpr int kTableEntryBytes = 16;
// Binding point of the table buffer.
constexpr unsigned int kTableBinding = 0;

// The lookup program, four host pixels a fragment. The source is an integer
// texture holding each host pixel as one 32-bit word, its bytes as they lie
// in host memory (alpha, red, green, blue), four pixels in a texel (one in a
// single-channel texture, whose missing components read as 0 and 1 and are
// dropped on output). The table's entry k holds, at each byte position, what
// the levels map makes of the byte k at that position of a host pixel.
// Each byte of a word takes the same byte position of its own entry, so the
// result is in the host's order and the machine's byte order does not matter.
const char* const kLookupFragmentSource =
    "#version 330\n"
    "out uvec4 colourOut;\n"
    "uniform usampler2D source;\n"
    "layout(std140) uniform ByteTable {\n"
    "   uint entries[256];\n"
    "};\n"
    "uint mapPixel(uint p) {\n"
    "   return (entries[p & 255u] & 0xFFu)\n"
    "        | (entries[(p >> 8u) & 255u] & 0xFF00u)\n"
    "        | (entries[(p >> 16u) & 255u] & 0xFF0000u)\n"
    "        | (entries[p >> 24u] & 0xFF000000u);\n"
    "}\n"
    "void main() {\n"
    "   uvec4 texel = texelFetch(source, ivec2(gl_FragCoord.xy), 0);\n"
    "   colourOut = uvec4(mapPixel(texel.r), mapPixel(texel.g), mapPixel(texel.b), mapPixel(texel.a));\n"
    "}\n";

// How a part's texels lie in client memory: four pixels or one a texel.
TexelFormat texelFormatOf(const PackedByteFrame::Part& part) {
    return {part.pixelsPerTexel == 4 ? GL_RGBA_INTEGER : GL_RED_INTEGER, GL_UNSIGNED_INT,
            kPixelBytes * part.pixelsPerTexel};
}

}  // namespace

void LevelsPass8::ContextFrames::release() {
    frame.release();
    tableBuffer.reset();
}

void LevelsPass8::ContextFrames::forget() {
    frame.forget();
    tableBuffer.forget();
}

void LevelsPass8::ContextFrames::forgetContextObjects() { frame.forgetFramebuffers(); }

LevelsPass8::LevelsPass8() : lookupProgram_(kQuadVertexSource, kLookupFragmentSource) {
    GlQuad::bindAttributes(lookupProgram_);
}

bool LevelsPass8::prepare(ContextFrames& frames, int width, int height) {
    if (!frames.tableBuffer) {
        frames.tableBuffer = GlBuffer::make();
        glBindBuffer(GL_UNIFORM_BUFFER, frames.tableBuffer.get());
        glBufferData(GL_UNIFORM_BUFFER, kTableEntryBytes * kTableSize, nullptr, GL_STREAM_DRAW);
    }
    return frames.frame.resize(width, height);
}

void LevelsPass8::uploadTable(ContextFrames& frames, const SanitisedSettings& settings) {
    // Entry k: the bytes of value k in the host's order (alpha, red, green,
    // blue), as they lie in a host pixel, so each byte of a packed word takes
    // its own channel's entry whatever the machine's byte order.
    const LevelsTables8 tables(settings);
    std::array<uint8_t, kTableEntryBytes * kTableSize> entries{};
    for (int k = 0; k < kTableSize; ++k) {
        const uint8_t pixel[kPixelBytes] = {tables.alpha[k], tables.red[k], tables.green[k], tables.blue[k]};
        std::memcpy(entries.data() + kTableEntryBytes * k, pixel, kPixelBytes);
    }
    glBindBuffer(GL_UNIFORM_BUFFER, frames.tableBuffer.get());
    glBufferSubData(GL_UNIFORM_BUFFER, 0, static_cast<GLsizeiptr>(entries.size()), entries.data());
}

bool LevelsPass8::drawFrame(const AEOpenGLContext& context, ContextFrames& frames) {
    lookupProgram_.use();
    lookupProgram_.setUniformBuffer("ByteTable", frames.tableBuffer.get(), kTableBinding);
    for (int index = 0; index < PackedByteFrame::kPartCount; ++index) {
        const PackedByteFrame::Part& part = frames.frame.part(index);
        if (part.columns == 0) continue;
        part.framebuffer.bindForDrawing();
        glViewport(0, 0, part.texelsWide(), frames.frame.height());
        lookupProgram_.setTexture("source", GL_TEXTURE_2D, part.input.get(), 0);
        if (!quad_.draw(context, lookupProgram_)) return false;
    }
    return true;
}

void LevelsPass8::render(const AEOpenGLContext& context, const SanitisedSettings& settings, const PF_EffectWorld& input,
                         PF_EffectWorld& output, int width, int height) {
    const HostRows<const uint8_t> from = worldRows(input, width, height, kPixelBytes);
    const HostRows<uint8_t> to = worldRows(output, width, height, kPixelBytes);
    SavedGlBindings saved;
    glDisable(GL_BLEND);
    ContextFrames& frames = frames_.get(context);
    if (!prepare(frames, width, height)) throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    const PackedByteFrame& frame = frames.frame;
    for (int index = 0; index < PackedByteFrame::kPartCount; ++index) {
        const PackedByteFrame::Part& part = frame.part(index);
        if (part.columns == 0) continue;
        glBindTexture(GL_TEXTURE_2D, part.input.get());
        uploadRows(from.part(kPixelBytes * part.firstColumn, kPixelBytes * part.columns), texelFormatOf(part),
                   frames.scratch);
    }
    uploadTable(frames, settings);
    if (!drawFrame(context, frames)) throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    for (int index = 0; index < PackedByteFrame::kPartCount; ++index) {
        const PackedByteFrame::Part& part = frame.part(index);
        if (part.columns == 0) continue;
        part.framebuffer.bindForReading();
        readRows(to.part(kPixelBytes * part.firstColumn, kPixelBytes * part.columns), texelFormatOf(part),
                 frames.scratch);
    }
}

void LevelsPass8::releaseGl() {
    frames_.releaseAll();
    quad_.releaseGl();
    lookupProgram_.releaseGl();
}

void LevelsPass8::forgetGl() {
    frames_.forgetAll();
    quad_.forgetGl();
    lookupProgram_.forgetGl();
}

}  // namespace Ombrix::Levels
