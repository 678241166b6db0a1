#include "gl/PixelOrderProgram.h"

#include <glbinding/gl33core/gl.h>

#include "gl/QuadGeometry.h"

using namespace gl33core;

namespace Ombrix::Levels {

const char* const kPixelOrderVertexSource =
    "#version 330\n"
    "in vec3 position;\n"
    "in vec2 input_uv;\n"
    "out vec2 uv;\n"
    "void main() {\n"
    "   uv = input_uv;\n"
    "   gl_Position = vec4(position, 1.0);\n"
    "}";

const char* const kPixelOrderArgbFragmentSource =
    "#version 330\n"
    "in vec2 uv;\n"
    "out vec4 colourOut;\n"
    "uniform sampler2D videoTexture;\n"
    "uniform float multiplier16bit;\n"
    "void main() {\n"
    "   colourOut = texelFetch( videoTexture, ivec2( gl_FragCoord.xy ), 0 );\n"
    "   colourOut = colourOut.argb;\n"
    "}";

const char* const kPixelOrderBgarFragmentSource =
    "#version 330\n"
    "in vec2 uv;\n"
    "out vec4 colourOut;\n"
    "uniform sampler2D videoTexture;\n"
    "uniform float multiplier16bit;\n"
    "void main() {\n"
    "   colourOut = texelFetch( videoTexture, ivec2( gl_FragCoord.xy ), 0 );\n"
    "   colourOut = colourOut.bgar;\n"
    "}";

PixelOrderProgram::PixelOrderProgram(bool bgarOrder)
    : bgarOrder_(bgarOrder),
      program_(kPixelOrderVertexSource, bgarOrder ? kPixelOrderBgarFragmentSource : kPixelOrderArgbFragmentSource) {
    program_.bindAttribute("position", kPositionLocation);
    program_.bindAttribute("input_uv", kUvLocation);
}

bool PixelOrderProgram::draw(unsigned int texture, float multiplier) {
    if (!vertexArray_) {
        vertexArray_ = GlVertexArray::make();
        glBindVertexArray(vertexArray_.get());
        vertexBuffer_ = GlBuffer::make();
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_.get());
        glBufferData(GL_ARRAY_BUFFER, sizeof(kQuadVertices), kQuadVertices, GL_STATIC_DRAW);
    }
    program_.use();
    glBindVertexArray(vertexArray_.get());
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_.get());
    program_.vertexAttribute3(kPositionLocation, 0, kQuadStride);
    program_.vertexAttribute2(kUvLocation, kQuadUvOffset, kQuadStride);
    program_.setTexture("videoTexture", GL_TEXTURE_2D, texture, 0);
    program_.setFloat("multiplier16bit", multiplier);
    const bool drawn = program_.built();  // with no program, drawing is undefined: draw nothing
    if (drawn) glDrawArrays(GL_TRIANGLES, 0, kQuadVertexCount);
    program_.disableAttribute(kPositionLocation);
    program_.disableAttribute(kUvLocation);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return drawn;
}

void PixelOrderProgram::forget() {
    vertexArray_.forget();
    vertexBuffer_.forget();
    program_.forgetGl();
}

}  // namespace Ombrix::Levels
