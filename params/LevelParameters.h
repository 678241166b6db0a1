// What each of the effect's parameters is called, what it may hold and what it
// starts at: the one place these are written. Parameter set-up declares the
// parameters from it; the renderer falls back to its defaults and holds values
// within its limits; the editor keeps its gamma drags within the gamma range;
// the command-line tool names the parameters with it. Names are the English
// keys the name table translates. Saved projects hold values in these ranges,
// so none of them ever changes.
#pragma once

#include <string>

#include "params/ParamIndices.h"

namespace Ombrix::Levels {

constexpr int kLevelSlotCount = 5;  // sliders per block
constexpr LevelSlot kLevelSlots[kLevelSlotCount] = {kSlotInputBlack, kSlotInputWhite, kSlotGamma, kSlotOutputBlack,
                                                    kSlotOutputWhite};

// What a slider may hold (valid), what its control spans (slider) and how
// many decimal places it shows.
struct SliderRange {
    double validMin, validMax;
    double sliderMin, sliderMax;
    short precision;
};

// The level sliders (input and output black and white), in 8-bit code units:
// shown over 0..255, valid far beyond it so float projects can push levels
// outside the displayable range. As floats the bounds are 0xCA1BA3C0 and
// 0x4A1BA3C0.
constexpr double kLevelValidMax = 2550000.0;
constexpr SliderRange kLevelRange{-kLevelValidMax, kLevelValidMax, 0.0, 255.0, 1};

// The gamma slider: valid and shown over the same range.
constexpr double kGammaMin = 0.0;
constexpr double kGammaMax = 5.0;
constexpr SliderRange kGammaRange{kGammaMin, kGammaMax, kGammaMin, kGammaMax, 2};

// How far a slider value may stray between keyframes before the host adds a
// point to the curve it draws.
constexpr float kSliderCurveTolerance = 0.05f;

// Defaults of a block's five sliders, in slot order; every block (composite,
// red, green, blue, alpha) starts at the identity map.
constexpr double kInputBlackDefault = 0.0;
constexpr double kInputWhiteDefault = 255.0;
constexpr double kGammaDefault = 1.0;
constexpr double kOutputBlackDefault = 0.0;
constexpr double kOutputWhiteDefault = 255.0;
constexpr double kSlotDefaults[kLevelSlotCount] = {kInputBlackDefault, kInputWhiteDefault, kGammaDefault,
                                                   kOutputBlackDefault, kOutputWhiteDefault};
// Both clip checkboxes start ticked.
constexpr bool kClipDefault = true;

// The size the "Histogram" control asks for in the effect-controls panel.
constexpr short kHistogramControlWidth = 300;
constexpr short kHistogramControlHeight = 110;

// Names. A block's group and the channel popup's choices share the channel
// names; the composite block's sliders carry no channel prefix.
constexpr const char* kChannelParamName = "Channel";
constexpr const char* kHistogramParamName = "Histogram";
constexpr const char* kClipBlackParamName = "Clip To Output Black";
constexpr const char* kClipWhiteParamName = "Clip To Output White";
constexpr const char* kChannelNames[kChannelCount] = {"RGB", "Red", "Green", "Blue", "Alpha"};
constexpr const char* kSlotNames[kLevelSlotCount] = {"Input Black", "Input White", "Gamma", "Output Black",
                                                     "Output White"};
// The channel popup's choices as the host takes them: the names joined by '|'.
constexpr char kChannelChoices[] = "RGB|Red|Green|Blue|Alpha";

// The view popup (ClipView.h): its choices in popup order (values 1, 2, 3);
// the first, the picture itself, is the default.
constexpr const char* kViewParamName = "View";
constexpr int kViewCount = 3;
constexpr const char* kViewNames[kViewCount] = {"Result", "Shadow Clipping", "Highlight Clipping"};
constexpr int kViewDefault = 1;

// The pickers: colour parameters whose setting sets levels (PickedLevels.h),
// in parameter order, and the colours they start at.
constexpr int kPickerCount = 3;
constexpr const char* kPickerNames[kPickerCount] = {"Black Point", "Grey Point", "White Point"};
constexpr unsigned char kPickerDefaults[kPickerCount] = {0, 128, 255};

// Auto levels (the editor's auto button): the percentage of the samples left
// beyond each of the input levels it sets.
constexpr const char* kAutoClipParamName = "Auto Clip";
constexpr SliderRange kAutoClipRange{0.0, 10.0, 0.0, 10.0, 2};
constexpr double kAutoClipDefault = 0.1;

// The slider of block `block` (LevelsBlock) at `slot`: "Gamma",
// "Red Input Black", ...
inline std::string levelSliderName(int block, LevelSlot slot) {
    const std::string name = kSlotNames[slot - kSlotInputBlack];
    return block == kBlockComposite ? name : std::string(kChannelNames[block]) + " " + name;
}

}  // namespace Ombrix::Levels
