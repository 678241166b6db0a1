// What counting the editor's histogram adds to a render, side by side in one
// run, 8-bit frames on the CPU renderer on one thread (so the ratio is per
// frame, not spread over cores):
//  - Render: the CPU renderer over the frame, every map with a gamma;
//  - RenderAndCount: the same plus the histogram a render counts (the grid of
//    at most 256 x 256 points, four 256-bin histograms), as FrameHistogram does
//    when the cache does not hold the frame's key yet;
//  - CountOnly: the counting alone.
// A render whose key the cache holds counts nothing: its cost is Render.
// Milliseconds per frame, wall clock.
#include <benchmark/benchmark.h>

#include "hostsim/World.h"
#include "render/CpuLevelsRenderer.h"
#include "render/HistogramSampling.h"

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

enum class Work { Render, RenderAndCount, CountOnly };

void run(benchmark::State& state, Work work) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const hostsim::World input = picture(width, height);
    hostsim::World output(width, height, PF_PixelFormat_ARGB32, 16);
    const LevelsSettings settings = gammaEverywhere();
    CpuRenderOptions oneThread;
    oneThread.threads = 1;
    ChannelHistograms counts;
    for (auto _ : state) {
        if (work != Work::Render) {
            const HistogramGrid grid(width, height);
            benchmark::DoNotOptimize(countLayerHistogram(grid, *input.def(), kPixelFormat8, 0, 0, counts));
        }
        if (work != Work::CountOnly) renderLevels8(settings, *input.def(), *output.def(), oneThread);
        benchmark::ClobberMemory();
    }
}

void Render(benchmark::State& state) { run(state, Work::Render); }
void RenderAndCount(benchmark::State& state) { run(state, Work::RenderAndCount); }
void CountOnly(benchmark::State& state) { run(state, Work::CountOnly); }

#define FRAMES(name) BENCHMARK(name)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)->UseRealTime()
FRAMES(Render);
FRAMES(RenderAndCount);
FRAMES(CountOnly);

}  // namespace

BENCHMARK_MAIN();
