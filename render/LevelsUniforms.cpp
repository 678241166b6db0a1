#include "render/LevelsUniforms.h"

namespace Ombrix::Levels {
namespace {

// The values of a block: input black, input white, gamma, output black,
// output white.
constexpr int kLevelsPerBlock = 5;

struct UniformBlock {
    ChannelLevels LevelsSettings::*levels;
    const char* names[kLevelsPerBlock];  // in the order of the values
};

const UniformBlock kBlocks[] = {
    {&LevelsSettings::composite, {"inputBlack", "inputWhite", "gamma", "outputBlack", "outputWhite"}},
    {&LevelsSettings::red, {"rInputBlack", "rInputWhite", "rGamma", "rOutputBlack", "rOutputWhite"}},
    {&LevelsSettings::green, {"gInputBlack", "gInputWhite", "gGamma", "gOutputBlack", "gOutputWhite"}},
    {&LevelsSettings::blue, {"bInputBlack", "bInputWhite", "bGamma", "bOutputBlack", "bOutputWhite"}},
    {&LevelsSettings::alpha, {"aInputBlack", "aInputWhite", "aGamma", "aOutputBlack", "aOutputWhite"}},
};

constexpr double ChannelLevels::*kLevels[kLevelsPerBlock] = {
    &ChannelLevels::inputBlack, &ChannelLevels::inputWhite, &ChannelLevels::gamma, &ChannelLevels::outputBlack,
    &ChannelLevels::outputWhite};

struct ClipUniform {
    bool LevelsSettings::*flag;
    const char* name;
};

const ClipUniform kClips[] = {{&LevelsSettings::clipBlack, "clipBlack"}, {&LevelsSettings::clipWhite, "clipWhite"}};

}  // namespace

std::string levelsUniformDeclarations() {
    std::string text;
    for (const UniformBlock& block : kBlocks) {
        for (const char* name : block.names) text += std::string("uniform float ") + name + ";\n";
    }
    for (const ClipUniform& clip : kClips) text += std::string("uniform int ") + clip.name + ";\n";
    return text;
}

std::string levelsMapArguments(LevelsBlock which) {
    std::string text;
    for (const char* name : kBlocks[static_cast<int>(which)].names) text += std::string(name) + ", ";
    return text + kClips[0].name + ", " + kClips[1].name;
}

void setLevelsUniforms(OpenglShader& program, const SanitisedSettings& settings) {
    for (const UniformBlock& block : kBlocks) {
        const ChannelLevels& levels = settings.values().*block.levels;
        for (int value = 0; value < kLevelsPerBlock; ++value) {
            program.setFloat(block.names[value], static_cast<float>(levels.*kLevels[value]));
        }
    }
    for (const ClipUniform& clip : kClips) program.setInt(clip.name, settings.values().*clip.flag ? 1 : 0);
}

}  // namespace Ombrix::Levels
