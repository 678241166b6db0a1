#include "gl/GlName.h"

#include <glbinding/gl33core/gl.h>

using namespace gl33core;

namespace Ombrix::Levels {

unsigned int makeGlObject(GlKind kind) {
    GLuint name = 0;
    switch (kind) {
        case GlKind::Texture: glGenTextures(1, &name); break;
        case GlKind::Renderbuffer: glGenRenderbuffers(1, &name); break;
        case GlKind::Framebuffer: glGenFramebuffers(1, &name); break;
        case GlKind::VertexArray: glGenVertexArrays(1, &name); break;
        case GlKind::Buffer: glGenBuffers(1, &name); break;
        case GlKind::Program: name = glCreateProgram(); break;
        case GlKind::Shader: break;  // a shader needs its stage: made by its owner
    }
    return name;
}

void deleteGlObject(GlKind kind, unsigned int name) {
    if (name == 0) return;
    switch (kind) {
        case GlKind::Texture: glDeleteTextures(1, &name); break;
        case GlKind::Renderbuffer: glDeleteRenderbuffers(1, &name); break;
        case GlKind::Framebuffer: glDeleteFramebuffers(1, &name); break;
        case GlKind::VertexArray: glDeleteVertexArrays(1, &name); break;
        case GlKind::Buffer: glDeleteBuffers(1, &name); break;
        case GlKind::Program: glDeleteProgram(name); break;
        case GlKind::Shader: glDeleteShader(name); break;
    }
}

}  // namespace Ombrix::Levels
