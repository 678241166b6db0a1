// Indices of the effect's parameters in the host's parameter array. They are
// part of the saved-project format (disk id = index - 1) and never change.
#pragma once

namespace Ombrix::Levels {

enum ParamIndex : int {
    kParamInput = 0,
    kParamChannel = 1,
    kParamHistogram = 2,
    kParamFirstBlock = 3,  // group start of the composite RGB block
    kParamClipBlack = 38,
    kParamClipWhite = 39,
    // Appended later, each with the next disk id.
    kParamView = 40,
    kParamBlackPoint = 41,
    kParamGreyPoint = 42,
    kParamWhitePoint = 43,
    kParamAutoClip = 44,
    kParamCount = 45,  // including the input layer
};

// The level blocks, in parameter order: the one numbering of a block.
enum LevelsBlock : int { kBlockComposite, kBlockRed, kBlockGreen, kBlockBlue, kBlockAlpha, kBlockCount };

// The parameters a project saved before the later ones were appended holds.
constexpr int kFirstParamCount = 40;

// Channel popup values: the popup shows block b as value b + 1.
enum ChannelValue : int {
    kChannelRGB = kBlockComposite + 1,
    kChannelRed = kBlockRed + 1,
    kChannelGreen = kBlockGreen + 1,
    kChannelBlue = kBlockBlue + 1,
    kChannelAlpha = kBlockAlpha + 1,
};
constexpr int kChannelCount = kBlockCount;
constexpr int blockOfChannel(int channelValue) { return channelValue - 1; }

// Offsets of a block's sliders after its group start.
enum LevelSlot : int {
    kSlotInputBlack = 1,
    kSlotInputWhite = 2,
    kSlotGamma = 3,
    kSlotOutputBlack = 4,
    kSlotOutputWhite = 5,
};
constexpr int kBlockStride = 7;  // group start, five sliders, group end

// Index of the group start of block n (LevelsBlock).
constexpr int blockStart(int block) { return kParamFirstBlock + kBlockStride * block; }
// Index of a level slider of the block that channel popup value v selects.
constexpr int levelParam(int channelValue, LevelSlot slot) { return blockStart(blockOfChannel(channelValue)) + slot; }

static_assert(levelParam(kChannelRGB, kSlotInputBlack) == 4, "composite input black");
static_assert(levelParam(kChannelAlpha, kSlotOutputWhite) == 36, "alpha output white");
static_assert(levelParam(3, kSlotGamma) == 7 * 3 - 1, "popup value v: gamma at 7v - 1");

}  // namespace Ombrix::Levels
