#include "render/LevelsUniforms.h"

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

void setLevelsUniforms(OpenglShader& program, const LevelsSettings& settings) {
    setBlock(program, kCompositeNames, settings.composite);
    setBlock(program, kRedNames, settings.red);
    setBlock(program, kGreenNames, settings.green);
    setBlock(program, kBlueNames, settings.blue);
    setBlock(program, kAlphaNames, settings.alpha);
    program.setInt("clipBlack", settings.clipBlack ? 1 : 0);
    program.setInt("clipWhite", settings.clipWhite ? 1 : 0);
}

}  // namespace Ombrix::Levels
