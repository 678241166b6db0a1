// Frames through the module in the simulated host, on Mesa's llvmpipe, in
// steady state (the thread's context, the programs and the framebuffers
// exist): milliseconds per frame at 1920 x 1080 and 3840 x 2160, and the GL
// objects made and programs linked per frame, counted through glbinding.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "hostsim/Host.h"
#include "hostsim/World.h"
#include "params/ParamIndices.h"
#include "tests/GlCallCounter.h"

namespace {

using namespace Ombrix::Levels;

// Ramps in every channel, as a picture would have.
void fillPicture(hostsim::World& world) {
    for (int y = 0; y < world.height(); ++y) {
        for (int x = 0; x < world.width(); ++x) {
            world.pixel8(x, y) = PF_Pixel8{static_cast<A_u_char>(255 - (y & 255)), static_cast<A_u_char>(x & 255),
                                           static_cast<A_u_char>((x + y) & 255), static_cast<A_u_char>((x * 3) & 255)};
        }
    }
}

// Settings that touch every map: gamma in all blocks, so every power step runs.
void applySettings(hostsim::Host& host) {
    for (int block = 0; block < kChannelCount; ++block) {
        host.param(blockStart(block) + kSlotInputBlack).u.fs_d.value = 10.0 + block;
        host.param(blockStart(block) + kSlotInputWhite).u.fs_d.value = 240.0 - block;
        host.param(blockStart(block) + kSlotGamma).u.fs_d.value = 1.2 + 0.1 * block;
        host.param(blockStart(block) + kSlotOutputBlack).u.fs_d.value = 5.0;
        host.param(blockStart(block) + kSlotOutputWhite).u.fs_d.value = 250.0;
    }
}

void RenderFrame(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    hostsim::Host host(ZANTH_MODULE_PATH);
    if (host.globalSetup() != PF_Err_NONE || host.paramsSetup() != PF_Err_NONE) {
        state.SkipWithError("global or parameter set-up failed (no OpenGL 3.3?)");
        return;
    }
    applySettings(host);
    hostsim::World input(width, height, PF_PixelFormat_ARGB32, 64);
    hostsim::World output(width, height, PF_PixelFormat_ARGB32, 64);
    fillPicture(input);
    host.setInputLayer(input.def());
    if (host.render(output.def()) != PF_Err_NONE) {  // the first frame makes the context and programs
        state.SkipWithError("render failed");
        return;
    }

    for (auto _ : state) {
        if (host.render(output.def()) != PF_Err_NONE) {
            state.SkipWithError("render failed");
            break;
        }
        benchmark::DoNotOptimize(output.memory().data());
    }

    // What steady frames make, counted apart from the timed frames.
    constexpr int kCountedFrames = 4;
    zanth_test::GlCallCounter counter;
    for (int i = 0; i < kCountedFrames; ++i) host.render(output.def());
    const zanth_test::GlCounts counts = counter.counts();
    state.counters["gl_objects_per_frame"] = static_cast<double>(counts.objectsMade()) / kCountedFrames;
    state.counters["links_per_frame"] = static_cast<double>(counts.links) / kCountedFrames;
    state.counters["megapixels"] = width * static_cast<double>(height) / 1e6;
    host.globalSetdown();
}

BENCHMARK(RenderFrame)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
