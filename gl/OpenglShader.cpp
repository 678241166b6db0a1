#include "gl/OpenglShader.h"

#include <glbinding/gl33core/gl.h>

#include <algorithm>

#include "gl/PrintMessage.h"

using namespace gl33core;

namespace Ombrix::Levels {
namespace {

constexpr GLsizei kLogLimit = 512;  // characters of a driver log written; GL counts the NUL in the buffer size

// Compiles one stage; on failure writes its log under `label` and returns an
// empty handle.
GlShader compileStage(GLenum stage, const std::string& source, const char* label) {
    GlShader shader(glCreateShader(stage));
    const GLchar* text = source.c_str();
    glShaderSource(shader.get(), 1, &text, nullptr);
    glCompileShader(shader.get());
    GLint status = 0;
    glGetShaderiv(shader.get(), GL_COMPILE_STATUS, &status);
    if (status == static_cast<GLint>(GL_TRUE)) return shader;
    char log[kLogLimit + 1] = {0};
    GLsizei length = 0;
    glGetShaderInfoLog(shader.get(), kLogLimit + 1, &length, log);
    log[std::clamp<GLsizei>(length, 0, kLogLimit)] = '\0';
    printMessage("Shader %s error:\n%s\n", label, log);
    return GlShader();  // the failed shader is deleted
}

}  // namespace

OpenglShader::OpenglShader(std::string vertexSource, std::string fragmentSource)
    : vertexSource_(std::move(vertexSource)), fragmentSource_(std::move(fragmentSource)) {}

void OpenglShader::bindAttribute(const std::string& name, int location) {
    attributeBindings_.emplace(name, location);  // an existing name keeps its location
}

void OpenglShader::build() {
    GlShader vertex = compileStage(GL_VERTEX_SHADER, vertexSource_, "vert");
    if (!vertex) return;
    GlShader fragment = compileStage(GL_FRAGMENT_SHADER, fragmentSource_, "frag");
    if (!fragment) return;

    GlProgram program = GlProgram::make();
    glAttachShader(program.get(), vertex.get());
    glAttachShader(program.get(), fragment.get());
    for (const auto& binding : attributeBindings_) {
        glBindAttribLocation(program.get(), static_cast<GLuint>(binding.second), binding.first.c_str());
    }
    glLinkProgram(program.get());
    GLint status = 0;
    glGetProgramiv(program.get(), GL_LINK_STATUS, &status);
    glDetachShader(program.get(), vertex.get());
    glDetachShader(program.get(), fragment.get());
    if (status == static_cast<GLint>(GL_TRUE)) {
        program_ = std::move(program);
        return;  // the shader objects are deleted as their handles go
    }
    char log[kLogLimit + 1] = {0};
    GLsizei length = 0;
    glGetProgramInfoLog(program.get(), kLogLimit + 1, &length, log);
    log[std::clamp<GLsizei>(length, 0, kLogLimit)] = '\0';
    printMessage("Program error:\n%s\n", log);
}  // a failed program is deleted with its handle

void OpenglShader::use() {
    if (!program_) build();
    glUseProgram(program_.get());
}

void OpenglShader::setFloat(const char* name, float value) {
    if (!program_) return;
    const GLint location = glGetUniformLocation(program_.get(), name);
    if (location != -1) glUniform1f(location, value);
}

void OpenglShader::setInt(const char* name, int value) {
    if (!program_) return;
    const GLint location = glGetUniformLocation(program_.get(), name);
    if (location != -1) glUniform1i(location, value);
}

void OpenglShader::setTexture(const char* name, GLenum target, unsigned int texture, unsigned int unit) {
    if (!program_) return;
    glActiveTexture(static_cast<GLenum>(static_cast<unsigned int>(GL_TEXTURE0) + unit));
    glBindTexture(target, texture);
    const GLint location = glGetUniformLocation(program_.get(), name);
    if (location != -1) glUniform1i(location, static_cast<GLint>(unit));
}

void OpenglShader::setUniformBuffer(const char* blockName, unsigned int buffer, unsigned int binding) {
    if (!program_) return;
    glBindBufferBase(GL_UNIFORM_BUFFER, binding, buffer);
    const GLuint index = glGetUniformBlockIndex(program_.get(), blockName);
    if (index != GL_INVALID_INDEX) glUniformBlockBinding(program_.get(), index, binding);
}

}  // namespace Ombrix::Levels
