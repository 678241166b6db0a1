#include "render/LevelsPass.h"

#include <glbinding/gl33core/gl.h>

#include "gl/QuadGeometry.h"
#include "params/ParamIndices.h"
#include "render/LevelsShaderSource.h"

using namespace gl33core;

namespace Ombrix::Levels {
namespace {

// Checks a parameter out at the current time; false when the host refuses.
bool checkout(PF_InData* in_data, int index, PF_ParamDef& def) {
    def = PF_ParamDef{};
    return in_data->inter.checkout_param(in_data->effect_ref, index, in_data->current_time, in_data->time_step,
                                         in_data->time_scale, &def) == PF_Err_NONE;
}

void readBlock(PF_InData* in_data, int block, ChannelLevels& levels) {
    LevelsPass::readSliderValue(in_data, blockStart(block) + kSlotInputBlack, levels.inputBlack);
    LevelsPass::readSliderValue(in_data, blockStart(block) + kSlotInputWhite, levels.inputWhite);
    LevelsPass::readSliderValue(in_data, blockStart(block) + kSlotGamma, levels.gamma);
    LevelsPass::readSliderValue(in_data, blockStart(block) + kSlotOutputBlack, levels.outputBlack);
    LevelsPass::readSliderValue(in_data, blockStart(block) + kSlotOutputWhite, levels.outputWhite);
}

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

bool LevelsPass::readSliderValue(PF_InData* in_data, int index, double& out) {
    PF_ParamDef def;
    if (!checkout(in_data, index, def)) return false;
    bool written = true;
    switch (def.param_type) {
        case PF_Param_SLIDER: out = static_cast<double>(def.u.sd.value); break;
        case PF_Param_FIX_SLIDER: out = static_cast<double>(def.u.fd.value >> 16); break;  // fraction dropped
        case PF_Param_FLOAT_SLIDER: out = def.u.fs_d.value; break;
        default: written = false; break;
    }
    in_data->inter.checkin_param(in_data->effect_ref, &def);
    return written;
}

bool LevelsPass::readCheckbox(PF_InData* in_data, int index, bool& out) {
    PF_ParamDef def;
    if (!checkout(in_data, index, def)) return false;
    const bool written = def.param_type == PF_Param_CHECKBOX;
    if (written) out = def.u.bd.value != 0;
    in_data->inter.checkin_param(in_data->effect_ref, &def);
    return written;
}

void LevelsPass::readSettings(PF_InData* in_data) {
    readBlock(in_data, 0, settings_.composite);
    readBlock(in_data, 1, settings_.red);
    readBlock(in_data, 2, settings_.green);
    readBlock(in_data, 3, settings_.blue);
    readBlock(in_data, 4, settings_.alpha);
    readCheckbox(in_data, kParamClipBlack, settings_.clipBlack);
    readCheckbox(in_data, kParamClipWhite, settings_.clipWhite);
}

bool LevelsPass::draw(const AEOpenGLContext& context, unsigned int texture, std::pair<double, double> viewSize,
                      bool hostOrder) {
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
    setBlock(*program_, kCompositeNames, settings_.composite);
    setBlock(*program_, kRedNames, settings_.red);
    setBlock(*program_, kGreenNames, settings_.green);
    setBlock(*program_, kBlueNames, settings_.blue);
    setBlock(*program_, kAlphaNames, settings_.alpha);
    program_->setInt("clipBlack", settings_.clipBlack ? 1 : 0);
    program_->setInt("clipWhite", settings_.clipWhite ? 1 : 0);
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
