#include "gl/GlQuad.h"

#include <glbinding/gl33core/gl.h>

using namespace gl33core;

namespace Ombrix::Levels {
namespace {

// Two triangles of (x, y) positions covering the viewport.
constexpr float kQuadVertices[12] = {1.0f, -1.0f, 1.0f, 1.0f, -1.0f, 1.0f, -1.0f, 1.0f, -1.0f, -1.0f, 1.0f, -1.0f};
constexpr GLsizei kQuadVertexCount = 6;
constexpr GLint kPositionComponents = 2;
constexpr GLuint kPositionLocation = 0;  // "position"

}  // namespace

const char* const kQuadVertexSource =
    "#version 330\n"
    "in vec2 position;\n"
    "void main() {\n"
    "   gl_Position = vec4(position, 0.0, 1.0);\n"
    "}\n";

void GlQuad::bindAttributes(OpenglShader& program) { program.bindAttribute("position", kPositionLocation); }

bool GlQuad::draw(const AEOpenGLContext& context, const OpenglShader& program) {
    if (!program.built()) return false;
    if (!vertexBuffer_) {
        vertexBuffer_ = GlBuffer::make();
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_.get());
        glBufferData(GL_ARRAY_BUFFER, sizeof(kQuadVertices), kQuadVertices, GL_STATIC_DRAW);
    }
    GlVertexArray& vertexArray = vertexArrays_.get(context);
    if (!vertexArray) {
        vertexArray = GlVertexArray::make();
        glBindVertexArray(vertexArray.get());
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_.get());
        glVertexAttribPointer(kPositionLocation, kPositionComponents, GL_FLOAT, GL_FALSE, 0, nullptr);
        glEnableVertexAttribArray(kPositionLocation);
    }
    glBindVertexArray(vertexArray.get());
    glDrawArrays(GL_TRIANGLES, 0, kQuadVertexCount);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return true;
}

void GlQuad::releaseGl() {
    vertexArrays_.releaseAll();
    vertexBuffer_.reset();
}

void GlQuad::forgetGl() {
    vertexArrays_.forgetAll();
    vertexBuffer_.forget();
}

}  // namespace Ombrix::Levels
