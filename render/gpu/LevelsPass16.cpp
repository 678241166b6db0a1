#include "render/gpu/LevelsPass16.h"

#include <glbinding/gl33core/gl.h>

#include "gl/ExactTexture.h"
#include "gl/SavedGlBindings.h"
#include "render/LevelsTables.h"
#include "render/WorldRows.h"

using namespace gl33core;

namespace Ombrix::Levels {
namespace {

constexpr int kPixelBytes = 8;  // a host pixel of 16-bit channels
constexpr TexelFormat kPixelTexel{GL_RGBA_INTEGER, GL_UNSIGNED_SHORT, kPixelBytes};
constexpr unsigned int kSourceUnit = 0;
constexpr unsigned int kTableUnit = 1;

// Each fragment reads its own pixel's codes (alpha, red, green, blue in the
// texel's four components, as they lie in host memory) and writes, in the
// same order, each channel's entry of its code: component c of the table
// texel of code k is channel c's mapped code. Codes above white are white.
// The table is kTableWidth (256) texels wide: code k lies at (k & 255, k >> 8).
const char* const kLookupFragmentSource =
    "#version 330\n"
    "out uvec4 colourOut;\n"
    "uniform usampler2D source;\n"
    "uniform usampler2D table;\n"
    "const uint white = 32768u;\n"
    "uvec4 entry(uint code) {\n"
    "   uint k = min(code, white);\n"
    "   return texelFetch(table, ivec2(int(k & 255u), int(k >> 8u)), 0);\n"
    "}\n"
    "void main() {\n"
    "   uvec4 codes = texelFetch(source, ivec2(gl_FragCoord.xy), 0);\n"
    "   colourOut = uvec4(entry(codes.r).r, entry(codes.g).g, entry(codes.b).b, entry(codes.a).a);\n"
    "}\n";

// A world over `pixels`, kTableWidth pixels a row.
PF_EffectWorld tableWorld(std::vector<PF_Pixel16>& pixels) {
    PF_EffectWorld world{};
    world.data = reinterpret_cast<PF_PixelPtr>(pixels.data());
    world.width = LevelsPass16::kTableWidth;
    world.height = LevelsPass16::kTableRows;
    world.rowbytes = LevelsPass16::kTableWidth * kPixelBytes;
    return world;
}

}  // namespace

void LevelsPass16::ContextFrames::release() {
    framebuffer.reset();
    output.reset();
    input.reset();
    table.reset();
    width = height = 0;
    tableGeneration = 0;
}

void LevelsPass16::ContextFrames::forget() {
    framebuffer.forget();
    output.forget();
    input.forget();
    table.forget();
    width = height = 0;
    tableGeneration = 0;
}

void LevelsPass16::ContextFrames::forgetContextObjects() { framebuffer.forget(); }

LevelsPass16::LevelsPass16() : program_(kQuadVertexSource, kLookupFragmentSource) {
    GlQuad::bindAttributes(program_);
}

void LevelsPass16::updateTable(const SanitisedSettings& settings) {
    if (tableGeneration_ != 0 && settings.values() == tableSettings_) return;
    // Every code's entries (LevelsTables.h), a texel a code: alpha, red, green
    // and blue, as host pixels lie. Codes above white hold white's entries.
    std::vector<uint16_t> tables(4 * static_cast<size_t>(kTable16Entries));
    buildTables16(FrameMaps(settings), tables.data(), 0, kTable16White + 1);
    viewTables16(settings.values().view, tables.data());
    table_.resize(static_cast<size_t>(kTableWidth) * kTableRows);
    for (size_t k = 0; k < table_.size(); ++k) {
        const uint16_t* entry = tables.data() + k;
        table_[k] = {entry[0], entry[kTable16Entries], entry[2 * kTable16Entries], entry[3 * kTable16Entries]};
    }
    tableSettings_ = settings.values();
    ++tableGeneration_;
}

bool LevelsPass16::prepare(ContextFrames& frames, int width, int height) {
    if (!frames.input) {
        frames.input = makeExactTexture(GL_RGBA16UI, 1, 1, GL_RGBA_INTEGER, GL_UNSIGNED_SHORT);
        frames.output = GlRenderbuffer::make();
        frames.table = makeExactTexture(GL_RGBA16UI, kTableWidth, kTableRows, GL_RGBA_INTEGER, GL_UNSIGNED_SHORT);
        frames.width = frames.height = 0;
    }
    if (frames.width == width && frames.height == height) {
        frames.framebuffer.bindForDrawing();
        frames.framebuffer.bindForReading();
        return true;
    }
    // New storage for a new size; the names stay.
    glBindTexture(GL_TEXTURE_2D, frames.input.get());
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_RGBA16UI), width, height, 0, GL_RGBA_INTEGER,
                 GL_UNSIGNED_SHORT, nullptr);
    glBindRenderbuffer(GL_RENDERBUFFER, frames.output.get());
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA16UI, width, height);
    frames.width = frames.height = 0;  // new storage next time, unless complete
    if (!frames.framebuffer.attachRenderbuffer(frames.output.get())) return false;
    frames.width = width;
    frames.height = height;
    return true;
}

void LevelsPass16::render(const AEOpenGLContext& context, const SanitisedSettings& settings,
                          const PF_EffectWorld& input, PF_EffectWorld& output, int width, int height) {
    const HostRows<const uint8_t> from = worldRows(input, width, height, kPixelBytes);
    const HostRows<uint8_t> to = worldRows(output, width, height, kPixelBytes);
    updateTable(settings);
    SavedGlBindings saved;
    glDisable(GL_BLEND);
    ContextFrames& frames = frames_.get(context);
    if (!prepare(frames, width, height)) throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    if (frames.tableGeneration != tableGeneration_) {
        const PF_EffectWorld table = tableWorld(table_);
        glBindTexture(GL_TEXTURE_2D, frames.table.get());
        uploadRows(worldRows(table, kTableWidth, kTableRows, kPixelBytes), kPixelTexel, frames.scratch);
        frames.tableGeneration = tableGeneration_;
    }
    glBindTexture(GL_TEXTURE_2D, frames.input.get());
    uploadRows(from, kPixelTexel, frames.scratch);

    glViewport(0, 0, width, height);
    program_.use();
    program_.setTexture("source", GL_TEXTURE_2D, frames.input.get(), kSourceUnit);
    program_.setTexture("table", GL_TEXTURE_2D, frames.table.get(), kTableUnit);
    if (!quad_.draw(context, program_)) throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    readRows(to, kPixelTexel, frames.scratch);
}

void LevelsPass16::releaseGl() {
    frames_.releaseAll();
    quad_.releaseGl();
    program_.releaseGl();
}

void LevelsPass16::forgetGl() {
    frames_.forgetAll();
    quad_.forgetGl();
    program_.forgetGl();
}

}  // namespace Ombrix::Levels
