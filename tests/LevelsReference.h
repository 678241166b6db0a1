// An independent CPU model of the levels map, to judge rendered frames by.
// 8-bit and 16-bit codes are mapped in double precision from the integer code
// itself (the code k is the level k, or k * 255 / 32768 at 16 bits) with the
// settings as given, through std::pow, and rounded half to even: a rendered
// code is right when it is exactly the model's.
#pragma once

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "host/ae_effect.h"
#include "render/LevelsSettings.h"

namespace zanth_test {

using Ombrix::Levels::ChannelLevels;
using Ombrix::Levels::LevelsSettings;

// Levels that mix magnitudes at the limits of their ranges: an input range of
// 1.6e-5 against output levels of 2550000 (a float map that loses its input
// step to rounding gives whole channels wrong).
inline void setMixedMagnitudes(LevelsSettings& s) {
    s.green = {0, 1.6e-5, 1.0, 2550000, -2550000};
    s.red = {254, 254 + 1.6e-5, 5.0, -2550000, 2550000};
    s.blue = {127.5, 128, 0.01, 0.5, 254.5};
    s.clipBlack = false;
}

// One map of a level x in the settings' 0..255 units, held within 0..255.
inline double levelModel(double x, const ChannelLevels& c, bool clipBlack, bool clipWhite) {
    const double span = c.inputWhite - c.inputBlack;
    double v = span != 0.0 ? (x - c.inputBlack) / span : x - c.inputBlack;
    const bool rising = c.outputWhite > c.outputBlack;
    if (clipBlack) v = rising ? std::max(v, 0.0) : std::min(v, 1.0);
    if (clipWhite) v = rising ? std::min(v, 1.0) : std::max(v, 0.0);
    if (c.gamma != 1.0 && v > 0.0) {
        if (c.gamma > 0.0) {
            v = std::pow(v, 1.0 / c.gamma);
        } else {
            v = v < 1.0 ? 0.0 : (v > 1.0 ? HUGE_VAL : 1.0);  // the limit of ever smaller gammas
        }
    }
    if (c.outputWhite == c.outputBlack) return std::clamp(c.outputBlack, 0.0, 255.0);
    return std::clamp(v * (c.outputWhite - c.outputBlack) + c.outputBlack, 0.0, 255.0);
}

// The map of a float world: no final clamp to 0..1 (only the clip flags hold
// values), worked in double precision so that no intermediate step overflows
// (a huge input whose mapped value is a float comes out as that float), the
// result held at the float range (NaN taken as 0, infinities as +-FLT_MAX).
// A gamma of 0 or less is the limit of ever steeper curves: above 1 the value
// is infinite before the output range.
inline double heldToFloatRange(double v) { return std::isnan(v) ? 0.0 : std::clamp(v, -double(FLT_MAX), double(FLT_MAX)); }

inline double levelsModelWide(double value, const ChannelLevels& c, bool clipBlack, bool clipWhite) {
    const double lowIn = c.inputBlack;
    const double highIn = c.inputWhite;
    const double gamma = c.gamma;
    const double lowOut = c.outputBlack;
    const double highOut = c.outputWhite;
    value = heldToFloatRange(value);
    double v = highIn != lowIn ? (value * 255.0 - lowIn) / (highIn - lowIn) : value * 255.0 - lowIn;
    if (clipBlack) v = highOut > lowOut ? std::max(v, 0.0) : std::min(v, 1.0);
    if (clipWhite) v = highOut > lowOut ? std::min(v, 1.0) : std::max(v, 0.0);
    if (gamma != 1.0 && v > 0.0) {
        if (gamma > 0.0) {
            v = std::pow(v, 1.0 / gamma);
        } else {
            v = v < 1.0 ? 0.0 : (v > 1.0 ? HUGE_VAL : 1.0);
        }
    }
    const double mapped = highOut != lowOut ? v * (highOut - lowOut) + lowOut : lowOut;
    return heldToFloatRange(mapped / 255.0);
}

inline float levelsModelUnclamped(float value, const ChannelLevels& c, bool clipBlack, bool clipWhite) {
    return static_cast<float>(levelsModelWide(value, c, clipBlack, clipWhite));
}

enum Channel { kAlpha, kRed, kGreen, kBlue };

// The mapped level of one channel for a level x (0..255 units).
inline double channelLevel(double x, Channel channel, const LevelsSettings& s) {
    const bool cb = s.clipBlack;
    const bool cw = s.clipWhite;
    switch (channel) {
        case kRed: return levelModel(levelModel(x, s.composite, cb, cw), s.red, cb, cw);
        case kGreen: return levelModel(levelModel(x, s.composite, cb, cw), s.green, cb, cw);
        case kBlue: return levelModel(levelModel(x, s.composite, cb, cw), s.blue, cb, cw);
        case kAlpha: return levelModel(x, s.alpha, cb, cw);
    }
    return 0.0;
}

// The mapped value of one channel of a float pixel.
inline float channelModelUnclamped(float sample, Channel channel, const LevelsSettings& s) {
    const bool cb = s.clipBlack;
    const bool cw = s.clipWhite;
    switch (channel) {
        case kRed: return levelsModelUnclamped(levelsModelUnclamped(sample, s.composite, cb, cw), s.red, cb, cw);
        case kGreen: return levelsModelUnclamped(levelsModelUnclamped(sample, s.composite, cb, cw), s.green, cb, cw);
        case kBlue: return levelsModelUnclamped(levelsModelUnclamped(sample, s.composite, cb, cw), s.blue, cb, cw);
        case kAlpha: return levelsModelUnclamped(sample, s.alpha, cb, cw);
    }
    return 0.0f;
}

// The byte of an 8-bit input byte.
inline int byteModel(int input, Channel channel, const LevelsSettings& s) {
    return static_cast<int>(std::lrint(channelLevel(input, channel, s)));
}

inline int channelOf(const PF_Pixel8& p, Channel c) {
    switch (c) {
        case kAlpha: return p.alpha;
        case kRed: return p.red;
        case kGreen: return p.green;
        case kBlue: return p.blue;
    }
    return 0;
}


// 16-bit worlds: a host code k (0..32768; anything above is white) is the
// level k * 255 / 32768; the result level w comes back as lrint(w * 32768 / 255).
constexpr int kWhite16 = 32768;

inline int codeModel16(int code, Channel channel, const LevelsSettings& s) {
    const double level = std::min(code, kWhite16) * 255.0 / kWhite16;
    return static_cast<int>(std::lrint(channelLevel(level, channel, s) * kWhite16 / 255.0));
}

inline int channelOf(const PF_Pixel16& p, Channel c) {
    switch (c) {
        case kAlpha: return p.alpha;
        case kRed: return p.red;
        case kGreen: return p.green;
        case kBlue: return p.blue;
    }
    return 0;
}

inline float channelOf(const PF_PixelFloat& p, Channel c) {
    switch (c) {
        case kAlpha: return p.alpha;
        case kRed: return p.red;
        case kGreen: return p.green;
        case kBlue: return p.blue;
    }
    return 0.0f;
}

}  // namespace zanth_test
