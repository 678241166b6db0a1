// An independent CPU model of the levels map, in 32-bit float as the GPU
// computes it, to judge rendered frames by. A frame byte is right when it is
// within one code value of lrintf(v * 255) for the model's v; pixels where
// the model itself jumps by more than that under a nudge of its input (a
// step at gamma 0, equal input levels) depend on the last bit of float
// rounding and are left out, and counted.
#pragma once

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "host/ae_effect.h"
#include "render/CpuKernels.h"
#include "render/LevelsSettings.h"

namespace zanth_test {

using Ombrix::Levels::ChannelLevels;
using Ombrix::Levels::LevelsSettings;

inline float levelsModel(float value, const ChannelLevels& c, bool clipBlack, bool clipWhite) {
    const float lowIn = static_cast<float>(c.inputBlack);
    const float highIn = static_cast<float>(c.inputWhite);
    const float gamma = static_cast<float>(c.gamma);
    const float lowOut = static_cast<float>(c.outputBlack);
    const float highOut = static_cast<float>(c.outputWhite);
    float v = highIn != lowIn ? (value * 255.0f - lowIn) / (highIn - lowIn) : value * 255.0f - lowIn;
    if (clipBlack) v = highOut > lowOut ? std::max(v, 0.0f) : std::min(v, 1.0f);
    if (clipWhite) v = highOut > lowOut ? std::min(v, 1.0f) : std::max(v, 0.0f);
    if (gamma != 1.0f && v > 0.0f) {
        if (gamma > 0.0f) {
            // The effect's own power, not the platform's powf: the two differ by
            // a unit in the last place now and then (and powf from platform to
            // platform), which moves a 16-bit code. The power function is held
            // against pow in double precision on its own (PowerFunction tests);
            // everything else here is the model's own arithmetic.
            v = Ombrix::Levels::levelsPower(v, 1.0f / gamma);
        } else {
            v = v < 1.0f ? 0.0f : (v > 1.0f ? FLT_MAX : 1.0f);  // the limit of ever smaller gammas
        }
        v = std::min(v, FLT_MAX);
    }
    v = v * (highOut - lowOut) + lowOut;
    v = v / 255.0f;
    return std::clamp(v, 0.0f, 1.0f);
}

// The map of a float world: no final clamp to 0..1 (only the clip flags hold
// values), worked in double precision so that no intermediate step overflows
// (a huge input whose mapped value is a float comes out as that float), the
// result held at the float range (NaN taken as 0, infinities as +-FLT_MAX).
// A gamma of 0 or less is the limit of ever steeper curves: above 1 the value
// is infinite before the output range.
inline double heldToFloatRange(double v) { return std::isnan(v) ? 0.0 : std::clamp(v, -double(FLT_MAX), double(FLT_MAX)); }

inline double levelsModelWide(double value, const ChannelLevels& c, bool clipBlack, bool clipWhite) {
    const double lowIn = static_cast<float>(c.inputBlack);
    const double highIn = static_cast<float>(c.inputWhite);
    const float gamma = static_cast<float>(c.gamma);
    const double lowOut = static_cast<float>(c.outputBlack);
    const double highOut = static_cast<float>(c.outputWhite);
    value = heldToFloatRange(value);
    double v = highIn != lowIn ? (value * 255.0 - lowIn) / (highIn - lowIn) : value * 255.0 - lowIn;
    if (clipBlack) v = highOut > lowOut ? std::max(v, 0.0) : std::min(v, 1.0);
    if (clipWhite) v = highOut > lowOut ? std::min(v, 1.0) : std::max(v, 0.0);
    if (gamma != 1.0f && v > 0.0) {
        if (gamma > 0.0f) {
            v = std::pow(v, static_cast<double>(1.0f / gamma));
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

// The mapped value of one channel for a sample (0..1 as the GPU sees it).
inline float channelModel(float sample, Channel channel, const LevelsSettings& s) {
    const bool cb = s.clipBlack;
    const bool cw = s.clipWhite;
    switch (channel) {
        case kRed: return levelsModel(levelsModel(sample, s.composite, cb, cw), s.red, cb, cw);
        case kGreen: return levelsModel(levelsModel(sample, s.composite, cb, cw), s.green, cb, cw);
        case kBlue: return levelsModel(levelsModel(sample, s.composite, cb, cw), s.blue, cb, cw);
        case kAlpha: return levelsModel(sample, s.alpha, cb, cw);
    }
    return 0.0f;
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

inline int toByte(float v) { return static_cast<int>(std::lrintf(v * 255.0f)); }

struct ByteModel {
    int expected;
    bool stable;  // a nudge of the input moves the result by at most one code value
};

inline ByteModel byteModel(int input, Channel channel, const LevelsSettings& s) {
    const float sample = static_cast<float>(input) * (1.0f / 255.0f);
    const int expected = toByte(channelModel(sample, channel, s));
    const int below = toByte(channelModel(sample * (1.0f - 1e-6f) - 1e-7f, channel, s));
    const int above = toByte(channelModel(sample * (1.0f + 1e-6f) + 1e-7f, channel, s));
    return {expected, std::abs(below - expected) <= 1 && std::abs(above - expected) <= 1};
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
// sample k / 32768, so the map works at k * 255 / 32768 in the settings'
// 0..255 units; the result comes back as lrintf(v * 32768).
constexpr int kWhite16 = 32768;

inline float sample16(int code) { return static_cast<float>(std::min(code, kWhite16)) / static_cast<float>(kWhite16); }
inline int toCode16(float v) { return static_cast<int>(std::lrintf(v * static_cast<float>(kWhite16))); }

struct CodeModel {
    int expected;
    bool stable;  // a nudge of the input moves the result by at most one code value
};

inline CodeModel codeModel16(int code, Channel channel, const LevelsSettings& s) {
    const float sample = sample16(code);
    const int expected = toCode16(channelModel(sample, channel, s));
    const int below = toCode16(channelModel(sample * (1.0f - 1e-6f) - 1e-8f, channel, s));
    const int above = toCode16(channelModel(sample * (1.0f + 1e-6f) + 1e-8f, channel, s));
    return {expected, std::abs(below - expected) <= 1 && std::abs(above - expected) <= 1};
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
