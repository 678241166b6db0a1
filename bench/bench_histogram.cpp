// What counting the editor's histogram adds to a render, 8-bit frames on the
// CPU renderer on one thread (so the ratio is per frame, not spread over
// cores), at the active instruction-set level (the widest the CPU has unless
// ZANTH_LEVELS_SIMD says otherwise; the label names it):
//  - Render: the CPU renderer over the frame, every map with a gamma;
//  - RenderCountingInPass: the same, counting the histogram's grid rows in
//    the bands that render them (as a render whose key the cache does not
//    hold yet does);
//  - CountThenRender: the grid counted apart from the render, then the render;
//  - CountOnly: the counting alone.
// A render whose key the cache holds counts nothing: its cost is Render.
// CountingCost runs Render and RenderCountingInPass alternately in one
// benchmark and reports the best frame of each and their ratio.
// Milliseconds per frame, wall clock.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

#include "histogram/GridCounting.h"
#include "histogram/HistogramSampling.h"
#include "hostsim/World.h"
#include "render/cpu/CpuLevelsRenderer.h"
#include "tests/SimdLevelName.h"

namespace {

using namespace Ombrix::Levels;

hostsim::World picture(int width, int height) {
    hostsim::World world(width, height, PF_PixelFormat_ARGB32, 16);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            world.pixel8(x, y) = PF_Pixel8{static_cast<A_u_char>(255 - (y & 255)), static_cast<A_u_char>(x & 255),
                                           static_cast<A_u_char>((x + y) & 255), static_cast<A_u_char>((x * 3) & 255)};
        }
    }
    return world;
}

LevelsSettings gammaEverywhere() {
    LevelsSettings settings;
    for (ChannelLevels* levels : {&settings.composite, &settings.red, &settings.green, &settings.blue, &settings.alpha}) {
        levels->inputBlack = 10.0f;
        levels->inputWhite = 240.0f;
        levels->gamma = 1.3f;
        levels->outputBlack = 5.0f;
        levels->outputWhite = 250.0f;
    }
    return settings;
}

enum class Work { Render, RenderCountingInPass, CountThenRender, CountOnly };

struct Frame {
    Frame(int w, int h) : width(w), height(h), input(picture(w, h)), output(w, h, PF_PixelFormat_ARGB32, 16) {}
    void run(Work work) {
        CpuRenderOptions oneThread;
        oneThread.threads = 1;
        const HistogramGrid grid(width, height);
        GridCounting counting(grid, *input.def(), kPixelFormat8, 0, 0);
        if (work == Work::CountThenRender || work == Work::CountOnly) counting.countAll();
        if (work == Work::RenderCountingInPass) oneThread.counting = &counting;
        if (work != Work::CountOnly) renderLevels8(settings, *input.def(), *output.def(), oneThread);
        benchmark::DoNotOptimize(counting.pointsCounted());
        benchmark::ClobberMemory();
    }
    int width, height;
    hostsim::World input;
    hostsim::World output;
    SanitisedSettings settings{gammaEverywhere()};
};

void run(benchmark::State& state, Work work) {
    Frame frame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    state.SetLabel(zanth_test::simdLevelName(activeSimdLevel()));
    for (auto _ : state) frame.run(work);
}

void Render(benchmark::State& state) { run(state, Work::Render); }
void RenderCountingInPass(benchmark::State& state) { run(state, Work::RenderCountingInPass); }
void CountThenRender(benchmark::State& state) { run(state, Work::CountThenRender); }
void CountOnly(benchmark::State& state) { run(state, Work::CountOnly); }

// Both works alternately, so a noisy machine slows both alike.
void CountingCost(benchmark::State& state) {
    Frame frame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    state.SetLabel(zanth_test::simdLevelName(activeSimdLevel()));
    using Clock = std::chrono::steady_clock;
    double plain = 1e30, counting = 1e30, apart = 1e30;
    const auto timed = [&frame](Work work) {
        const Clock::time_point start = Clock::now();
        frame.run(work);
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };
    for (auto _ : state) {
        plain = std::min(plain, timed(Work::Render));
        counting = std::min(counting, timed(Work::RenderCountingInPass));
        apart = std::min(apart, timed(Work::CountThenRender));
    }
    state.counters["render_ms"] = plain;
    state.counters["in_pass_ms"] = counting;
    state.counters["apart_ms"] = apart;
    state.counters["in_pass_ratio"] = counting / plain;
    state.counters["apart_ratio"] = apart / plain;
}

#define FRAMES(name) BENCHMARK(name)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)->UseRealTime()
FRAMES(Render);
FRAMES(RenderCountingInPass);
FRAMES(CountThenRender);
FRAMES(CountOnly);
BENCHMARK(CountingCost)->Args({1920, 1080})->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
