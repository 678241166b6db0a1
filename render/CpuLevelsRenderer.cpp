#include "render/CpuLevelsRenderer.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <system_error>
#include <thread>
#include <vector>

namespace Ombrix::Levels {
namespace {

// One map's values as the program's float uniforms receive them.
struct MapValues {
    float lowIn, highIn, gamma, lowOut, highOut;
    bool clipBlack, clipWhite;
};

MapValues mapValues(const ChannelLevels& levels, bool clipBlack, bool clipWhite) {
    return {static_cast<float>(levels.inputBlack), static_cast<float>(levels.inputWhite),
            static_cast<float>(levels.gamma),      static_cast<float>(levels.outputBlack),
            static_cast<float>(levels.outputWhite), clipBlack, clipWhite};
}

// levelsMap of the levels program up to the output range (steps 1 to 4).
inline float throughGamma(float value, const MapValues& m) {
    float v = m.highIn != m.lowIn ? (value * 255.0f - m.lowIn) / (m.highIn - m.lowIn) : value * 255.0f - m.lowIn;
    const bool increasing = m.highOut > m.lowOut;
    if (m.clipBlack) v = increasing ? std::max(v, 0.0f) : std::min(v, 1.0f);
    if (m.clipWhite) v = increasing ? std::min(v, 1.0f) : std::max(v, 0.0f);
    if (m.gamma != 1.0f && v > 0.0f) {
        if (m.gamma > 0.0f) {
            v = std::pow(v, 1.0f / m.gamma);
        } else {
            v = v < 1.0f ? 0.0f : (v > 1.0f ? FLT_MAX : 1.0f);  // the limit of ever smaller gammas
        }
        v = std::min(v, FLT_MAX);
    }
    return v;
}

inline float mapClamped(float value, const MapValues& m) {
    float v = throughGamma(value, m);
    v = v * (m.highOut - m.lowOut) + m.lowOut;
    v = v / 255.0f;
    return std::min(std::max(v, 0.0f), 1.0f);  // +-infinity lands on 1 or 0
}

inline float holdFinite(float v) { return std::isnan(v) ? 0.0f : std::min(std::max(v, -FLT_MAX), FLT_MAX); }

inline float mapUnclamped(float value, const MapValues& m) {
    float v = holdFinite(throughGamma(holdFinite(value), m));
    v = v * (m.highOut - m.lowOut) + m.lowOut;
    v = v / 255.0f;
    return holdFinite(v);
}

// The five maps of a frame.
struct FrameMaps {
    explicit FrameMaps(const LevelsSettings& raw) {
        const LevelsSettings s = sanitised(raw);
        composite = mapValues(s.composite, s.clipBlack, s.clipWhite);
        red = mapValues(s.red, s.clipBlack, s.clipWhite);
        green = mapValues(s.green, s.clipBlack, s.clipWhite);
        blue = mapValues(s.blue, s.clipBlack, s.clipWhite);
        alpha = mapValues(s.alpha, s.clipBlack, s.clipWhite);
    }
    MapValues composite, red, green, blue, alpha;
};

// A world's pixels as the renderer reads and writes them.
struct Rows {
    char* base;
    ptrdiff_t rowbytes;
    template <typename Pixel>
    Pixel* row(int y) const {
        return reinterpret_cast<Pixel*>(base + static_cast<ptrdiff_t>(y) * rowbytes);
    }
};

Rows rowsOf(const PF_EffectWorld& world, int width, int height, size_t pixelBytes) {
    if (!world.data) throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    const long long rowbytes = world.rowbytes;
    if (height > 1 && std::llabs(rowbytes) < static_cast<long long>(width) * static_cast<long long>(pixelBytes)) {
        throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);  // rows would overlap
    }
    return {reinterpret_cast<char*>(world.data), static_cast<ptrdiff_t>(rowbytes)};
}

// Runs body(first, end) over [0, count) in bands, on up to `threads` threads,
// each band holding at least `minWork` of work (`workPerItem` per item).
template <typename Body>
void inBands(int count, long long workPerItem, const CpuRenderOptions& options, const Body& body) {
    const long long total = static_cast<long long>(count) * workPerItem;
    const long long minWork = std::max<long long>(options.minPixelsPerThread, 1);
    long long bands = std::min<long long>(resolvedThreadCount(options.threads), total / minWork);
    bands = std::min<long long>(bands, count);
    if (bands <= 1) {
        body(0, count);
        return;
    }
    auto bandStart = [&](long long band) { return static_cast<int>(band * count / bands); };
    std::vector<std::thread> helpers;
    helpers.reserve(static_cast<size_t>(bands - 1));
    long long inline_from = bands;  // bands that no thread could be started for run here
    for (long long band = 1; band < bands; ++band) {
        try {
            helpers.emplace_back(body, bandStart(band), bandStart(band + 1));
        } catch (const std::system_error&) {
            inline_from = band;
            break;
        }
    }
    body(0, bandStart(1));
    for (long long band = inline_from; band < bands; ++band) body(bandStart(band), bandStart(band + 1));
    for (std::thread& helper : helpers) helper.join();
}

struct Overlap {
    int width, height;
};

Overlap overlapOf(const PF_EffectWorld& input, const PF_EffectWorld& output) {
    return {std::max(0, std::min(input.width, output.width)), std::max(0, std::min(input.height, output.height))};
}

template <typename Pixel, typename PixelFn>
void renderRows(const PF_EffectWorld& input, PF_EffectWorld& output, const CpuRenderOptions& options,
                const PixelFn& pixelFn) {
    const Overlap size = overlapOf(input, output);
    if (size.width == 0 || size.height == 0) return;
    const Rows in = rowsOf(input, size.width, size.height, sizeof(Pixel));
    const Rows out = rowsOf(output, size.width, size.height, sizeof(Pixel));
    const int width = size.width;
    inBands(size.height, width, options, [&in, &out, width, &pixelFn](int first, int end) {
        const PixelFn fn = pixelFn;  // a local copy: the stores below cannot alias it
        for (int y = first; y < end; ++y) {
            const Pixel* source = in.row<const Pixel>(y);
            Pixel* target = out.row<Pixel>(y);
            for (int x = 0; x < width; ++x) target[x] = fn(source[x]);
        }
    });
}

constexpr int k16Max = 32768;

inline float sample16(A_u_short k) { return static_cast<float>(std::min<int>(k, k16Max)) * (1.0f / k16Max); }
inline A_u_short to16(float v) { return static_cast<A_u_short>(std::lrintf(v * static_cast<float>(k16Max))); }

struct Map16 {
    explicit Map16(const LevelsSettings& settings) : maps(settings) {}
    PF_Pixel16 operator()(const PF_Pixel16& p) const {
        return {to16(mapClamped(sample16(p.alpha), maps.alpha)),
                to16(mapClamped(mapClamped(sample16(p.red), maps.composite), maps.red)),
                to16(mapClamped(mapClamped(sample16(p.green), maps.composite), maps.green)),
                to16(mapClamped(mapClamped(sample16(p.blue), maps.composite), maps.blue))};
    }
    FrameMaps maps;
};

}  // namespace

int resolvedThreadCount(int requested) {
    if (requested > 0) return requested;
    const unsigned int hardware = std::thread::hardware_concurrency();
    return hardware > 0 ? static_cast<int>(hardware) : 1;
}

float levelsMapUnclamped(float value, const ChannelLevels& levels, bool clipBlack, bool clipWhite) {
    return mapUnclamped(value, mapValues(sanitised(levels), clipBlack, clipWhite));
}

LevelsTables8::LevelsTables8(const LevelsSettings& settings) {
    const FrameMaps maps(settings);
    auto to8 = [](float v) { return static_cast<uint8_t>(std::lrintf(v * 255.0f)); };
    for (int k = 0; k < 256; ++k) {
        const float sample = static_cast<float>(k) * (1.0f / 255.0f);  // as GL normalises a byte
        const float composite = mapClamped(sample, maps.composite);
        alpha[k] = to8(mapClamped(sample, maps.alpha));
        red[k] = to8(mapClamped(composite, maps.red));
        green[k] = to8(mapClamped(composite, maps.green));
        blue[k] = to8(mapClamped(composite, maps.blue));
    }
}

void renderLevels8(const LevelsSettings& settings, const PF_EffectWorld& input, PF_EffectWorld& output,
                   const CpuRenderOptions& options) {
    const Overlap size = overlapOf(input, output);
    if (size.width == 0 || size.height == 0) return;
    const Rows in = rowsOf(input, size.width, size.height, sizeof(PF_Pixel8));
    const Rows out = rowsOf(output, size.width, size.height, sizeof(PF_Pixel8));
    const LevelsTables8 tables(settings);
    const int width = size.width;
    inBands(size.height, width, options, [&in, &out, &tables, width](int first, int end) {
        // The band's own copy: the byte stores below cannot alias a local
        // array, so the tables stay where the compiler put them.
        const LevelsTables8 t = tables;
        for (int y = first; y < end; ++y) {
            const PF_Pixel8* source = in.row<const PF_Pixel8>(y);
            PF_Pixel8* target = out.row<PF_Pixel8>(y);
            for (int x = 0; x < width; ++x) {
                const PF_Pixel8 p = source[x];
                target[x] = PF_Pixel8{t.alpha[p.alpha], t.red[p.red], t.green[p.green], t.blue[p.blue]};
            }
        }
    });
}

void renderLevels16(const LevelsSettings& settings, const PF_EffectWorld& input, PF_EffectWorld& output,
                    const CpuRenderOptions& options) {
    const Overlap size = overlapOf(input, output);
    if (size.width == 0 || size.height == 0) return;
    const Map16 map(settings);
    constexpr int kEntries = k16Max + 1;
    if (static_cast<long long>(size.width) * size.height < kEntries) {
        renderRows<PF_Pixel16>(input, output, options, map);
        return;
    }
    // Large frames: the tables, built in bands as well (five maps an entry).
    std::vector<A_u_short> tables(4 * static_cast<size_t>(kEntries));
    A_u_short* const a = tables.data();
    A_u_short* const r = a + kEntries;
    A_u_short* const g = r + kEntries;
    A_u_short* const b = g + kEntries;
    inBands(kEntries, 5, options, [&](int first, int end) {
        for (int k = first; k < end; ++k) {
            const A_u_short value = static_cast<A_u_short>(k);
            const PF_Pixel16 mapped = map(PF_Pixel16{value, value, value, value});
            a[k] = mapped.alpha;
            r[k] = mapped.red;
            g[k] = mapped.green;
            b[k] = mapped.blue;
        }
    });
    renderRows<PF_Pixel16>(input, output, options, [a, r, g, b](const PF_Pixel16& p) {
        return PF_Pixel16{a[std::min<int>(p.alpha, k16Max)], r[std::min<int>(p.red, k16Max)],
                          g[std::min<int>(p.green, k16Max)], b[std::min<int>(p.blue, k16Max)]};
    });
}

void renderLevelsFloat(const LevelsSettings& settings, const PF_EffectWorld& input, PF_EffectWorld& output,
                       const CpuRenderOptions& options) {
    const FrameMaps maps(settings);
    renderRows<PF_PixelFloat>(input, output, options, [&maps](const PF_PixelFloat& p) {
        return PF_PixelFloat{mapUnclamped(p.alpha, maps.alpha),
                             mapUnclamped(mapUnclamped(p.red, maps.composite), maps.red),
                             mapUnclamped(mapUnclamped(p.green, maps.composite), maps.green),
                             mapUnclamped(mapUnclamped(p.blue, maps.composite), maps.blue)};
    });
}

}  // namespace Ombrix::Levels
