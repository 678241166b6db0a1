// The 27 levels settings that a frame is drawn with, in the order the
// parameters are read: the composite block, then red, green, blue and alpha,
// then the two clip flags. Level values are in 8-bit code units; gamma is
// the Gamma slider itself (not inverted).
//
// The settings are also described as data, beside them: the five levels of a
// block (kLevelFields, with their parameter slots; the slots' names, ranges
// and defaults are params/LevelParameters.h's), the five blocks (kBlocks, by
// LevelsBlock) and the clip flags (kClipFields, with their checkboxes). Every
// reader, sanitiser and table of the settings loops over this description,
// and equality lists every field once (operator==), so a field added here is
// read, compared and keyed everywhere or fails to compile.
#pragma once

#include <iterator>

#include "params/LevelParameters.h"
#include "render/ClipView.h"

namespace Ombrix::Levels {

struct ChannelLevels {
    double inputBlack = kInputBlackDefault;
    double inputWhite = kInputWhiteDefault;
    double gamma = kGammaDefault;
    double outputBlack = kOutputBlackDefault;
    double outputWhite = kOutputWhiteDefault;
};

// A block's levels, in slot order.
struct LevelField {
    double ChannelLevels::*member;
    LevelSlot slot;
};
constexpr LevelField kLevelFields[kLevelSlotCount] = {{&ChannelLevels::inputBlack, kSlotInputBlack},
                                                      {&ChannelLevels::inputWhite, kSlotInputWhite},
                                                      {&ChannelLevels::gamma, kSlotGamma},
                                                      {&ChannelLevels::outputBlack, kSlotOutputBlack},
                                                      {&ChannelLevels::outputWhite, kSlotOutputWhite}};
static_assert(sizeof(ChannelLevels) == std::size(kLevelFields) * sizeof(double), "every level is a LevelField");

struct LevelsSettings {
    ChannelLevels composite;
    ChannelLevels red;
    ChannelLevels green;
    ChannelLevels blue;
    ChannelLevels alpha;
    bool clipBlack = kClipDefault;
    bool clipWhite = kClipDefault;
    ClipView view = ClipView::Result;
};

// The blocks, by LevelsBlock (params/ParamIndices.h).
constexpr ChannelLevels LevelsSettings::*kBlocks[kBlockCount] = {
    &LevelsSettings::composite, &LevelsSettings::red, &LevelsSettings::green, &LevelsSettings::blue,
    &LevelsSettings::alpha};

// The clip flags, with their checkboxes.
struct ClipField {
    bool LevelsSettings::*member;
    ParamIndex param;
};
constexpr ClipField kClipFields[] = {{&LevelsSettings::clipBlack, kParamClipBlack},
                                     {&LevelsSettings::clipWhite, kParamClipWhite}};

// Equal values of every field (levels compared as doubles: NaN is never
// equal, and sanitised settings hold none).
bool operator==(const ChannelLevels& a, const ChannelLevels& b);
bool operator==(const LevelsSettings& a, const LevelsSettings& b);
inline bool operator!=(const ChannelLevels& a, const ChannelLevels& b) { return !(a == b); }
inline bool operator!=(const LevelsSettings& a, const LevelsSettings& b) { return !(a == b); }

// The largest magnitude a level or gamma value is rendered with: the bounds of
// the level sliders' valid range.
constexpr double kLevelValueLimit = kLevelValidMax;
// Magnitudes below this are rendered as 0.
constexpr double kLevelValueTiny = 1.0 / 65536.0;

// The one rule for values that the renderers could not agree on. Every one of
// the 25 level and gamma values is taken as follows; finite values inside the
// range are kept exactly.
//   NaN                                   -> the parameter's default (ChannelLevels)
//   above +2550000, +infinity included    -> +2550000
//   below -2550000, -infinity included    -> -2550000
//   magnitude below 2^-16 (not 0)         -> 0
// The last rule keeps every difference of two distinct levels far above the
// float range's denormals, which GPUs flush to zero while CPUs do not, so
// that no map divides by a denormal or multiplies infinity by zero. With it,
// every value of the map before the final clamp is a float, or +-infinity
// that the clamp turns into 0 or 1 on both paths.
double sanitisedLevelValue(double value, double dephault);
ChannelLevels sanitised(const ChannelLevels& levels);
LevelsSettings sanitised(const LevelsSettings& settings);

// Settings that have been through sanitised(): the only kind the renderers
// take. Raw settings become sanitised ones on the way in (the conversion is
// implicit on purpose, so no renderer can be handed values that skipped the
// rule), and sanitised ones pass down every layer of a frame without being
// checked again. The values cannot be changed afterwards.
class SanitisedSettings {
public:
    SanitisedSettings(const LevelsSettings& raw) : values_(sanitised(raw)) {}  // NOLINT(google-explicit-constructor)
    const LevelsSettings& values() const { return values_; }

private:
    LevelsSettings values_;
};

}  // namespace Ombrix::Levels
