#include "render/LevelsTables.h"

#include <algorithm>
#include <cmath>

namespace Ombrix::Levels {

MapValues mapValuesOf(const ChannelLevels& l, bool clipBlack, bool clipWhite) {
    return {l.inputBlack, l.inputWhite, l.gamma, l.outputBlack, l.outputWhite, clipBlack, clipWhite};
}

double inputPlace(double x, const MapValues& m) {
    double v = m.highIn != m.lowIn ? (x - m.lowIn) / (m.highIn - m.lowIn) : x - m.lowIn;
    const bool increasing = m.highOut > m.lowOut;
    if (m.clipBlack) v = increasing ? std::max(v, 0.0) : std::min(v, 1.0);
    if (m.clipWhite) v = increasing ? std::min(v, 1.0) : std::max(v, 0.0);
    return v;
}

double unheldMapLevel(double x, const MapValues& m) {
    double v = inputPlace(x, m);
    if (m.gamma != 1.0 && v > 0.0) {
        if (m.gamma > 0.0) {
            v = std::pow(v, 1.0 / m.gamma);
        } else {
            v = v < 1.0 ? 0.0 : (v > 1.0 ? HUGE_VAL : 1.0);  // the limit of ever smaller gammas
        }
    }
    // Equal output levels give that level, however large v (never 0 x infinity).
    return m.highOut != m.lowOut ? v * (m.highOut - m.lowOut) + m.lowOut : m.lowOut;
}

double mapLevel(double x, const MapValues& m) { return std::min(std::max(unheldMapLevel(x, m), 0.0), 255.0); }

FrameMaps::FrameMaps(const SanitisedSettings& settings) {
    const LevelsSettings& s = settings.values();
    for (int b = 0; b < kBlockCount; ++b) {
        block[b] = mapValuesOf(s.*kBlocks[b], s.clipBlack, s.clipWhite);
    }
}

LevelsTables8::LevelsTables8(const SanitisedSettings& settings) {
    const FrameMaps maps(settings);
    const MapValues* m = maps.block;
    for (int k = 0; k < 256; ++k) {
        const double level = k;  // a byte is its own level
        const double composite = mapLevel(level, m[kBlockComposite]);
        alpha[k] = static_cast<uint8_t>(std::lrint(mapLevel(level, m[kBlockAlpha])));
        red[k] = static_cast<uint8_t>(std::lrint(mapLevel(composite, m[kBlockRed])));
        green[k] = static_cast<uint8_t>(std::lrint(mapLevel(composite, m[kBlockGreen])));
        blue[k] = static_cast<uint8_t>(std::lrint(mapLevel(composite, m[kBlockBlue])));
    }
    for (uint8_t* channel : {red, green, blue}) {
        applyClipView<uint8_t>(settings.values().view, channel, 256, channel[0], channel[255], 255);
    }
}

// k * 255 / 32768 and lrint(w / 255 * 32768), each exact or rounded once.
double level16(int code) { return static_cast<double>(std::min(code, kTable16White)) * 255.0 / kTable16White; }
uint16_t code16(double level) { return static_cast<uint16_t>(std::lrint(level * kTable16White / 255.0)); }

void buildTables16(const FrameMaps& maps, uint16_t* tables, int first, int end) {
    const MapValues* m = maps.block;
    uint16_t* const a = tables;
    uint16_t* const r = a + kTable16Entries;
    uint16_t* const g = r + kTable16Entries;
    uint16_t* const b = g + kTable16Entries;
    for (int k = first; k < end; ++k) {
        const double level = level16(k);
        const double composite = mapLevel(level, m[kBlockComposite]);
        a[k] = code16(mapLevel(level, m[kBlockAlpha]));
        r[k] = code16(mapLevel(composite, m[kBlockRed]));
        g[k] = code16(mapLevel(composite, m[kBlockGreen]));
        b[k] = code16(mapLevel(composite, m[kBlockBlue]));
    }
    if (end <= kTable16White) return;
    for (uint16_t* channel : {a, r, g, b}) {
        std::fill(channel + kTable16White + 1, channel + kTable16Entries, channel[kTable16White]);
    }
}

void viewTables16(ClipView view, uint16_t* tables) {
    for (int c = 1; c < 4; ++c) {  // red, green and blue
        uint16_t* channel = tables + static_cast<size_t>(c) * kTable16Entries;
        applyClipView<uint16_t>(view, channel, kTable16Entries, channel[0], channel[kTable16White], kTable16White);
    }
}

}  // namespace Ombrix::Levels
