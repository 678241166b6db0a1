#include "render/LevelsPass.h"

#include <glbinding/gl33core/gl.h>

#include "gl/QuadGeometry.h"
#include "render/LevelsShaderSource.h"

using namespace gl33core;

namespace Ombrix::Levels {
namespace {

void setBlock(OpenglShader& program, const char* const names[5], const ChannelLevels& levels) {
    program.setFloat(names[0], static_cast<float>(levels.inputBlack));
    program.setFloat(names[1], static_cast<float>(levels.inputWhite));
    program.setFloat(names[2], static_cast<float>(levels.gamma));
    program.setFloat(names[3], static_cast<float>(levels.outputBlack));
    program.setFloat(names[4], static_cast<float>(levels.outputWhite));
}

const char* const kCompositeNames[5] = {"inputBlack", "inputWhite", "gamma", "outputBlack", "outputWhite"};
const char* const kRedNames[5] = {"rInputBlack", "rInputWhite", "rGamma", "rOutputBlack", "rOutputWhite"};
const char* const kGreenNames[5] = {"gInputBlack", "gInputWhite", "gGamma", "gOutputBlack", "gOutputWhite"};
const char* const kBlueNames[5] = {"bInputBlack", "bInputWhite", "bGamma", "bOutputBlack", "bOutputWhite"};
const char* const kAlphaNames[5] = {"aInputBlack", "aInputWhite", "aGamma", "aOutputBlack", "aOutputWhite"};

}  // namespace

LevelsPass::LevelsPass() : program_(std::make_unique<OpenglShader>(kLevelsVertexSource, kLevelsFragmentSource)) {
    program_->bindAttribute("position", kPositionLocation);
    program_->bindAttribute("input_uv", kUvLocation);
}

bool LevelsPass::draw(const AEOpenGLContext& context, unsigned int texture, std::pair<double, double> viewSize,
                      const LevelsSettings& settings, bool hostOrder) {
    GlVertexArray& vertexArray = vertexArrays_.get(context);
    if (!vertexArray) {
        vertexArray = GlVertexArray::make();
        glBindVertexArray(vertexArray.get());
    }
    if (!vertexBuffer_) {
        vertexBuffer_ = GlBuffer::make();
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_.get());
        glBufferData(GL_ARRAY_BUFFER, sizeof(kQuadVertices), kQuadVertices, GL_STATIC_DRAW);
    }
    program_->use();
    glBindVertexArray(vertexArray.get());
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_.get());
    program_->vertexAttribute3(kPositionLocation, 0, kQuadStride);
    program_->vertexAttribute2(kUvLocation, kQuadUvOffset, kQuadStride);

    program_->setVec2("viewSize", viewSize);
    setBlock(*program_, kCompositeNames, settings.composite);
    setBlock(*program_, kRedNames, settings.red);
    setBlock(*program_, kGreenNames, settings.green);
    setBlock(*program_, kBlueNames, settings.blue);
    setBlock(*program_, kAlphaNames, settings.alpha);
    program_->setInt("clipBlack", settings.clipBlack ? 1 : 0);
    program_->setInt("clipWhite", settings.clipWhite ? 1 : 0);
    program_->setInt("hostOrder", hostOrder ? 1 : 0);
    program_->setTexture("source", GL_TEXTURE_2D, texture, 0);

    const bool drawn = program_->built();  // with no program, drawing is undefined: draw nothing
    if (drawn) glDrawArrays(GL_TRIANGLES, 0, kQuadVertexCount);

    program_->disableAttribute(kPositionLocation);
    program_->disableAttribute(kUvLocation);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return drawn;
}

void LevelsPass::releaseGl() {
    vertexArrays_.forgetAll();
    vertexBuffer_.reset();
    program_->releaseGl();
}

void LevelsPass::forgetGl() {
    vertexArrays_.forgetAll();
    vertexBuffer_.forget();
    program_->forgetGl();
}

}  // namespace Ombrix::Levels
