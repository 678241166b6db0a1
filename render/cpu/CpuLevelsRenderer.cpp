#include "render/cpu/CpuLevelsRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <thread>
#include <memory>
#include <vector>

#include "histogram/GridCounting.h"
#include "render/WorldOverlap.h"
#include "render/cpu/BandRunner.h"
#include "render/cpu/ClipViewMaps.h"
#include "render/cpu/CpuKernels.h"
#include "render/cpu/Tables16Cache.h"

namespace Ombrix::Levels {
namespace {

// One map's values: the user's own, in double precision.
struct MapValues {
    double lowIn, highIn, gamma, lowOut, highOut;
    bool clipBlack, clipWhite;
};

MapValues mapValues(const ChannelLevels& levels, bool clipBlack, bool clipWhite) {
    return {levels.inputBlack, levels.inputWhite, levels.gamma, levels.outputBlack, levels.outputWhite, clipBlack,
            clipWhite};
}

// The map of a level x (in the settings' 0..255 units), in double precision,
// held within 0..255. A value at input black gives exactly 0 before the gamma
// and so exactly output black.
double mapLevel(double x, const MapValues& m) {
    double v = m.highIn != m.lowIn ? (x - m.lowIn) / (m.highIn - m.lowIn) : x - m.lowIn;
    const bool increasing = m.highOut > m.lowOut;
    if (m.clipBlack) v = increasing ? std::max(v, 0.0) : std::min(v, 1.0);
    if (m.clipWhite) v = increasing ? std::min(v, 1.0) : std::max(v, 0.0);
    if (m.gamma != 1.0 && v > 0.0) {
        if (m.gamma > 0.0) {
            v = std::pow(v, 1.0 / m.gamma);
        } else {
            v = v < 1.0 ? 0.0 : (v > 1.0 ? HUGE_VAL : 1.0);  // the limit of ever smaller gammas
        }
    }
    // Equal output levels give that level, however large v (never 0 x infinity).
    const double out = m.highOut != m.lowOut ? v * (m.highOut - m.lowOut) + m.lowOut : m.lowOut;
    return std::min(std::max(out, 0.0), 255.0);
}

// One map's coefficients for the float kernels (CpuKernels.h).
FloatMap floatMapOf(const MapValues& m) {
    FloatMap map;
    map.input = m.lowIn != 0.0 || m.highIn != 255.0;
    map.lowIn = m.lowIn;
    map.a1 = m.highIn != m.lowIn ? 1.0 / (m.highIn - m.lowIn) : 1.0;
    const bool increasing = m.highOut > m.lowOut;
    if (m.clipBlack) (increasing ? map.lo : map.hi) = increasing ? 0.0 : 1.0;
    if (m.clipWhite) (increasing ? map.hi : map.lo) = increasing ? 1.0 : 0.0;
    const bool gammaActs = m.gamma != 1.0;
    map.pow = gammaActs && m.gamma > 0.0;
    map.step = gammaActs && !(m.gamma > 0.0);
    map.exponent = map.pow ? 1.0 / m.gamma : 1.0;
    map.output = m.lowOut != 0.0 || m.highOut != 255.0;
    map.a2 = (m.highOut - m.lowOut) / 255.0;
    map.b2 = m.lowOut / 255.0;
    map.clamp = map.lo != -HUGE_VAL || map.hi != HUGE_VAL;
    return map;
}

// The five maps of a frame.
struct FrameMaps {
    explicit FrameMaps(const SanitisedSettings& settings) {
        const LevelsSettings& s = settings.values();
        composite = mapValues(s.composite, s.clipBlack, s.clipWhite);
        red = mapValues(s.red, s.clipBlack, s.clipWhite);
        green = mapValues(s.green, s.clipBlack, s.clipWhite);
        blue = mapValues(s.blue, s.clipBlack, s.clipWhite);
        alpha = mapValues(s.alpha, s.clipBlack, s.clipWhite);
    }
    MapValues composite, red, green, blue, alpha;
};

FloatPlan floatPlanFor(const FrameMaps& maps) {
    return {floatMapOf(maps.alpha), floatMapOf(maps.composite), floatMapOf(maps.red), floatMapOf(maps.green),
            floatMapOf(maps.blue)};
}

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
    const int threads = resolvedThreadCount(options.threads);
    long long bands = std::min<long long>(threads, total / minWork);
    bands = std::min<long long>(bands, count);
    if (bands <= 1) {
        body(0, count);
        return;
    }
    auto bandStart = [&](long long band) { return static_cast<int>(band * count / bands); };
    const std::function<void(int)> band = [&](int i) { body(bandStart(i), bandStart(i + 1)); };
    const PoolBands pool;
    const BandRunner& runner = options.bands ? *options.bands : pool;
    runner.run(static_cast<int>(bands), threads, band);
}

// Runs row(y) for every row y of a frame `height` rows high and `width`
// pixels wide, in bands. Where the input's histogram is counted in the pass
// (options.counting), a band counts a row's grid points from the input row
// just before row(y) reads it, and the input's rows below the frame are
// counted once the bands are done.
template <typename RowFn>
void renderBands(const Rows& in, int width, int height, const CpuRenderOptions& options, const RowFn& row) {
    GridCounting* const counting = options.counting;
    if (!counting) {
        inBands(height, width, options, [&row](int first, int end) {
            for (int y = first; y < end; ++y) row(y);
        });
        return;
    }
    inBands(height, width, options, [&row, &in, counting](int first, int end) {
        GridCounting::Bins bins;
        for (int y = first; y < end; ++y) {
            counting->countRow(y, in.row<const char>(y), bins);
            row(y);
        }
        counting->add(bins);
    });
    counting->countRowsFrom(height);
}

template <typename Pixel, typename PixelFn>
void renderRows(const PF_EffectWorld& input, PF_EffectWorld& output, const CpuRenderOptions& options,
                const PixelFn& pixelFn) {
    const WorldOverlap size = overlapOf(input, output);
    if (size.empty()) return;
    const Rows in = rowsOf(input, size.width, size.height, sizeof(Pixel));
    const Rows out = rowsOf(output, size.width, size.height, sizeof(Pixel));
    const int width = size.width;
    renderBands(in, width, size.height, options, [&in, &out, width, &pixelFn](int y) {
        const PixelFn fn = pixelFn;  // a local copy: the stores below cannot alias it
        const Pixel* source = in.row<const Pixel>(y);
        Pixel* target = out.row<Pixel>(y);
        for (int x = 0; x < width; ++x) target[x] = fn(source[x]);
    });
}

constexpr int k16Max = 32768;

// A 16-bit code as a level: k * 255 / 32768, exact in double precision.
inline double level16(A_u_short k) { return static_cast<double>(std::min<int>(k, k16Max)) * 255.0 / k16Max; }
// A level back as a code: lrint(w / 255 * 32768), rounded once.
inline A_u_short to16(double w) { return static_cast<A_u_short>(std::lrint(w * k16Max / 255.0)); }
inline uint8_t to8(double w) { return static_cast<uint8_t>(std::lrint(w)); }

struct Map16 {
    explicit Map16(const SanitisedSettings& settings) : maps(settings) {}
    PF_Pixel16 operator()(const PF_Pixel16& p) const {
        return {to16(mapLevel(level16(p.alpha), maps.alpha)),
                to16(mapLevel(mapLevel(level16(p.red), maps.composite), maps.red)),
                to16(mapLevel(mapLevel(level16(p.green), maps.composite), maps.green)),
                to16(mapLevel(mapLevel(level16(p.blue), maps.composite), maps.blue))};
    }
    FrameMaps maps;
};

// Entries [first, end) of the four 16-bit tables (alpha, red, green, blue):
// five maps an entry, the composite shared by red, green and blue.
void buildTables16(const FrameMaps& m, uint16_t* a, uint16_t* r, uint16_t* g, uint16_t* b, int first, int end) {
    for (int k = first; k < end; ++k) {
        const double level = level16(static_cast<A_u_short>(k));
        const double composite = mapLevel(level, m.composite);
        a[k] = to16(mapLevel(level, m.alpha));
        r[k] = to16(mapLevel(composite, m.red));
        g[k] = to16(mapLevel(composite, m.green));
        b[k] = to16(mapLevel(composite, m.blue));
    }
}

}  // namespace

int resolvedThreadCount(int requested) {
    if (requested > 0) return requested;
    const unsigned int hardware = std::thread::hardware_concurrency();
    return hardware > 0 ? static_cast<int>(hardware) : 1;
}

float mappedAlpha(float alpha, const SanitisedSettings& settings) {
    const LevelsSettings& s = settings.values();
    FloatPlan plan;  // every other map changes nothing
    plan.alpha = floatMapOf(mapValues(s.alpha, s.clipBlack, s.clipWhite));
    const float in[4] = {alpha, 0.0f, 0.0f, 0.0f};
    float out[4];
    scalarKernels()->floatRow(plan, in, out, 1);
    return out[0];
}

LevelsTables8::LevelsTables8(const SanitisedSettings& settings) {
    const FrameMaps maps(settings);
    for (int k = 0; k < 256; ++k) {
        const double level = k;  // a byte is its own level
        const double composite = mapLevel(level, maps.composite);
        alpha[k] = to8(mapLevel(level, maps.alpha));
        red[k] = to8(mapLevel(composite, maps.red));
        green[k] = to8(mapLevel(composite, maps.green));
        blue[k] = to8(mapLevel(composite, maps.blue));
    }
    for (uint8_t* channel : {red, green, blue}) {
        applyClipView<uint8_t>(settings.values().view, channel, 256, channel[0], channel[255], 255);
    }
}

void renderLevels8(const SanitisedSettings& settings, const PF_EffectWorld& input, PF_EffectWorld& output,
                   const CpuRenderOptions& options) {
    const WorldOverlap size = overlapOf(input, output);
    if (size.empty()) return;
    const Rows in = rowsOf(input, size.width, size.height, sizeof(PF_Pixel8));
    const Rows out = rowsOf(output, size.width, size.height, sizeof(PF_Pixel8));
    const LevelsTables8 tables(settings);
    const int width = size.width;
    uint8_t flat[4 * 256];
    std::copy(tables.alpha, tables.alpha + 256, flat);
    std::copy(tables.red, tables.red + 256, flat + 256);
    std::copy(tables.green, tables.green + 256, flat + 512);
    std::copy(tables.blue, tables.blue + 256, flat + 768);
    const CpuKernels& kernels = cpuKernels(options.simd);
    renderBands(in, width, size.height, options, [&in, &out, &flat, &kernels, width](int y) {
        kernels.bytesRow(flat, in.row<const uint8_t>(y), out.row<uint8_t>(y), width);
    });
}

void renderLevels16(const SanitisedSettings& settings, const PF_EffectWorld& input, PF_EffectWorld& output,
                    const CpuRenderOptions& options) {
    const WorldOverlap size = overlapOf(input, output);
    if (size.empty()) return;
    const Map16 map(settings);
    constexpr int kEntries = k16Max + 1;
    const ClipView view = settings.values().view;
    if (view == ClipView::Result && static_cast<long long>(size.width) * size.height < kEntries) {
        renderRows<PF_Pixel16>(input, output, options, map);
        return;
    }
    // Large frames and every frame of a clipping view: the tables (built in bands, five maps an entry: the
    // composite map is shared by red, green and blue; kept for the next frames
    // with the same settings), then looked up.
    const FrameMaps& m = map.maps;
    const std::shared_ptr<const Tables16> kept = cachedTables16(settings.values(), [&](Tables16& tables) {
        tables.assign(4 * static_cast<size_t>(kTable16Entries), 0);
        uint16_t* const a = tables.data();
        uint16_t* const r = a + kTable16Entries;
        uint16_t* const g = r + kTable16Entries;
        uint16_t* const b = g + kTable16Entries;
        inBands(kEntries, 5, options, [&](int first, int end) { buildTables16(m, a, r, g, b, first, end); });
        for (uint16_t* channel : {a, r, g, b}) {
            std::fill(channel + kEntries, channel + kTable16Entries, channel[k16Max]);  // above white: white
        }
        for (uint16_t* channel : {r, g, b}) {
            applyClipView<uint16_t>(view, channel, kTable16Entries, channel[0], channel[k16Max], k16Max);
        }
    });
    const Rows in = rowsOf(input, size.width, size.height, sizeof(PF_Pixel16));
    const Rows out = rowsOf(output, size.width, size.height, sizeof(PF_Pixel16));
    const CpuKernels& kernels = cpuKernels(options.simd);
    const int width = size.width;
    const uint16_t* const table = kept->data();
    renderBands(in, width, size.height, options, [&in, &out, &kernels, table, width](int y) {
        kernels.codesRow(table, in.row<const uint16_t>(y), out.row<uint16_t>(y), width);
    });
}

void renderLevelsFloat(const SanitisedSettings& settings, const PF_EffectWorld& input, PF_EffectWorld& output,
                       const CpuRenderOptions& options) {
    const WorldOverlap size = overlapOf(input, output);
    if (size.empty()) return;
    const Rows in = rowsOf(input, size.width, size.height, sizeof(PF_PixelFloat));
    const Rows out = rowsOf(output, size.width, size.height, sizeof(PF_PixelFloat));
    const FloatPlan plan = floatPlanFor(FrameMaps(settings));
    const int width = size.width;
    if (settings.values().view != ClipView::Result) {
        const ClipViewFloat clipView(plan, settings.values().view);
        renderBands(in, width, size.height, options, [&in, &out, &clipView, width](int y) {
            clipView.row(in.row<const float>(y), out.row<float>(y), width);
        });
        return;
    }
    const CpuKernels& kernels = cpuKernels(options.simd);
    renderBands(in, width, size.height, options, [&in, &out, &plan, &kernels, width](int y) {
        kernels.floatRow(plan, in.row<const float>(y), out.row<float>(y), width);
    });
}

}  // namespace Ombrix::Levels
