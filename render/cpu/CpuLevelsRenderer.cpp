#include "render/cpu/CpuLevelsRenderer.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <thread>

#include "histogram/GridCounting.h"
#include "render/LevelsTables.h"
#include "render/WorldOverlap.h"
#include "render/WorldRows.h"
#include "render/cpu/BandRunner.h"
#include "render/cpu/ClipViewMaps.h"
#include "render/cpu/CpuKernels.h"
#include "render/cpu/Tables16Cache.h"

namespace Ombrix::Levels {
namespace {

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

// The float plan's maps, by block.
constexpr FloatMap FloatPlan::*kFloatPlanMaps[kBlockCount] = {&FloatPlan::composite, &FloatPlan::red,
                                                              &FloatPlan::green, &FloatPlan::blue, &FloatPlan::alpha};

FloatPlan floatPlanFor(const FrameMaps& maps) {
    FloatPlan plan;
    for (int b = 0; b < kBlockCount; ++b) plan.*kFloatPlanMaps[b] = floatMapOf(maps.block[b]);
    return plan;
}

// A world's pixels as the renderer reads and writes them.
struct Rows {
    char* base;
    ptrdiff_t rowbytes;
    template <typename Channel>
    Channel* row(int y) const {
        return reinterpret_cast<Channel*>(base + static_cast<ptrdiff_t>(y) * rowbytes);
    }
};

Rows rowsOf(const PF_EffectWorld& world, const WorldOverlap& size, size_t pixelBytes) {
    checkWorldRows(world, size.width, size.height, static_cast<int>(pixelBytes));
    return {reinterpret_cast<char*>(world.data), static_cast<ptrdiff_t>(world.rowbytes)};
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

// The one plumbing of a frame: the overlap of input and output, their rows
// (checked by the one rule, WorldRows.h), the level's kernels, and
// row(source, target) for every row of the overlap in bands. `rowFor(kernels,
// pixels)` makes the row function once the worlds are checked. Where the
// input's histogram is counted in the pass (options.counting), a band counts
// a row's grid points from the input row just before the row function reads
// it, and the input's rows below the frame are counted once the bands are
// done.
template <typename Channel, typename RowFor>
void renderFrame(const PF_EffectWorld& input, PF_EffectWorld& output, const CpuRenderOptions& options,
                 const RowFor& rowFor) {
    const WorldOverlap size = overlapOf(input, output);
    if (size.empty()) return;
    const Rows in = rowsOf(input, size, 4 * sizeof(Channel));
    const Rows out = rowsOf(output, size, 4 * sizeof(Channel));
    const int width = size.width;
    const auto row = rowFor(cpuKernels(options.simd), static_cast<long long>(width) * size.height);
    GridCounting* const counting = options.counting;
    inBands(size.height, width, options, [&](int first, int end) {
        if (!counting) {
            for (int y = first; y < end; ++y) row(in.row<const Channel>(y), out.row<Channel>(y), width);
            return;
        }
        GridCounting::Bins bins;
        for (int y = first; y < end; ++y) {
            counting->countRow(y, in.row<const char>(y), bins);
            row(in.row<const Channel>(y), out.row<Channel>(y), width);
        }
        counting->add(bins);
    });
    if (counting) counting->countRowsFrom(size.height);
}

}  // namespace

int resolvedThreadCount(int requested) {
    if (requested > 0) return requested;
    const unsigned int hardware = std::thread::hardware_concurrency();
    return hardware > 0 ? static_cast<int>(hardware) : 1;
}

float mappedAlpha(float alpha, const SanitisedSettings& settings) {
    FloatPlan plan;  // every other map changes nothing
    plan.alpha = floatMapOf(FrameMaps(settings).block[kBlockAlpha]);
    const float in[4] = {alpha, 0.0f, 0.0f, 0.0f};
    float out[4];
    scalarKernels()->floatRow(plan, in, out, 1);
    return out[0];
}

void renderLevels8(const SanitisedSettings& settings, const PF_EffectWorld& input, PF_EffectWorld& output,
                   const CpuRenderOptions& options) {
    renderFrame<uint8_t>(input, output, options, [&settings](const CpuKernels& kernels, long long) {
        const LevelsTables8 tables(settings);
        std::array<uint8_t, 4 * 256> flat;
        std::copy(tables.alpha, tables.alpha + 256, flat.begin());
        std::copy(tables.red, tables.red + 256, flat.begin() + 256);
        std::copy(tables.green, tables.green + 256, flat.begin() + 512);
        std::copy(tables.blue, tables.blue + 256, flat.begin() + 768);
        return [flat, &kernels](const uint8_t* in, uint8_t* out, int width) {
            kernels.bytesRow(flat.data(), in, out, width);
        };
    });
}

void renderLevels16(const SanitisedSettings& settings, const PF_EffectWorld& input, PF_EffectWorld& output,
                    const CpuRenderOptions& options) {
    constexpr int kEntries = kTable16White + 1;
    renderFrame<uint16_t>(input, output, options, [&](const CpuKernels& kernels, long long pixels) {
        const FrameMaps maps(settings);
        // Large frames: the tables (built in bands; kept for the next frames
        // with the same settings), then looked up. Small ones: the map itself.
        std::shared_ptr<const Tables16> kept;
        if (pixels >= kEntries || settings.values().view != ClipView::Result) {  // a view changes the tables
            kept = cachedTables16(settings.values(), [&](Tables16& tables) {
                tables.assign(4 * static_cast<size_t>(kTable16Entries), 0);
                inBands(kEntries, 5, options,
                        [&](int first, int end) { buildTables16(maps, tables.data(), first, end); });
                viewTables16(settings.values().view, tables.data());
            });
        }
        return [kept, maps, &kernels](const uint16_t* in, uint16_t* out, int width) {
            if (kept) {
                kernels.codesRow(kept->data(), in, out, width);
                return;
            }
            const MapValues* m = maps.block;
            for (int x = 0; x < 4 * width; x += 4) {  // alpha, then red, green and blue
                out[x] = code16(mapLevel(level16(in[x]), m[kBlockAlpha]));
                for (int c = 1; c < 4; ++c) {
                    const double composite = mapLevel(level16(in[x + c]), m[kBlockComposite]);
                    out[x + c] = code16(mapLevel(composite, m[kBlockRed + c - 1]));
                }
            }
        };
    });
}

void renderLevelsFloat(const SanitisedSettings& settings, const PF_EffectWorld& input, PF_EffectWorld& output,
                       const CpuRenderOptions& options) {
    renderFrame<float>(input, output, options, [&settings](const CpuKernels& kernels, long long) {
        const FloatPlan plan = floatPlanFor(FrameMaps(settings));
        const ClipView view = settings.values().view;
        return [plan, view, clipView = ClipViewFloat(plan, view), &kernels](const float* in, float* out, int width) {
            if (view != ClipView::Result) {
                clipView.row(in, out, width);
            } else {
                kernels.floatRow(plan, in, out, width);
            }
        };
    });
}

}  // namespace Ombrix::Levels
