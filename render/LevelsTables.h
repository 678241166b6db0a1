// The levels map as data, in double precision, shared by every renderer: the
// maps of a frame's five blocks, the 8-bit frame's four 256-entry tables and
// the entries of the 16-bit tables. The CPU renderer runs rows through them,
// the GPU passes upload them, and the editor maps its histogram through the
// 8-bit tables.
//
// A level x (in the settings' 0..255 units) maps as
//   v = (x - inputBlack) / (inputWhite - inputBlack)
//   v held within 0..1 by the clip flags (within 1..0 for a falling output)
//   v = v^(1/gamma) for v > 0 (gamma <= 0: the limit of ever smaller gammas)
//   out = v * (outputWhite - outputBlack) + outputBlack, held within 0..255;
// a value at input black gives exactly 0 before the gamma and so exactly
// output black. 8-bit codes are their own level; a 16-bit code k is the level
// k * 255 / 32768 (exact; codes above white are white), and a result w is the
// code lrint(w * 32768 / 255).
#pragma once

#include <cstdint>

#include "render/LevelsSettings.h"

namespace Ombrix::Levels {

// One map's values: the user's own, in double precision.
struct MapValues {
    double lowIn, highIn, gamma, lowOut, highOut;
    bool clipBlack, clipWhite;
};

MapValues mapValuesOf(const ChannelLevels& levels, bool clipBlack, bool clipWhite);

// The map of a level, as above, and its steps: the input range's place of x
// held by the clip flags (what the gamma acts on), and the map before the
// final hold within 0..255.
double mapLevel(double x, const MapValues& m);
double inputPlace(double x, const MapValues& m);
double unheldMapLevel(double x, const MapValues& m);

// The five maps of a frame, by block (LevelsBlock).
struct FrameMaps {
    explicit FrameMaps(const SanitisedSettings& settings);
    MapValues block[kBlockCount];
};

// The per-channel tables of an 8-bit frame, in the settings' view (ClipView.h).
struct LevelsTables8 {
    explicit LevelsTables8(const SanitisedSettings& settings);
    uint8_t alpha[256];
    uint8_t red[256];
    uint8_t green[256];
    uint8_t blue[256];
};

// The 16-bit tables: entry k of channel c (alpha, red, green, blue) at
// c * kTable16Entries + k, an entry for every 16-bit code, so a row looks a
// code up without holding it to white first: codes above white (32768) hold
// white's entry.
constexpr int kTable16White = 32768;
constexpr int kTable16Entries = 65536;

// A 16-bit code as a level (codes above white as white), and a level back as
// a code, rounded once.
double level16(int code);
uint16_t code16(double level);

// Entries [first, end) of the four tables at `tables`, end at most 32769:
// five maps an entry, the composite shared by red, green and blue. The call
// that builds white's entry also gives every code above white that entry.
void buildTables16(const FrameMaps& maps, uint16_t* tables, int first, int end);

// The red, green and blue tables of the whole set at `tables` (built) changed
// for `view`: whether a channel clips depends on its own final code alone, so
// an entry becomes 0 or full from whether it equals the entry of the darkest
// (code 0) or of the brightest in-range code (white). The SIMD kernels and the
// GPU passes take the changed tables as they take any other.
void viewTables16(ClipView view, uint16_t* tables);

}  // namespace Ombrix::Levels
