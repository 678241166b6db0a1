// Time of one draw event of the histogram control, through the module in the
// simulated host (thumbnail, counts, mapping, images and every Drawbot call,
// drawn on the simulator's Cairo surface), for a 1920 x 1080 and a
// 3840 x 2160 input layer.
#include <benchmark/benchmark.h>

#include "hostsim/Drawbot.h"
#include "hostsim/Events.h"
#include "hostsim/Host.h"
#include "hostsim/World.h"

namespace {

// A layer with every channel busy: ramps and a pattern.
hostsim::World makeLayer(int width, int height) {
    hostsim::World layer(width, height, PF_PixelFormat_ARGB32, 16);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            layer.pixel8(x, y) = PF_Pixel8{static_cast<A_u_char>(255 - (y * 7 % 64)), static_cast<A_u_char>(x * 255 / width),
                                           static_cast<A_u_char>(y * 255 / height), static_cast<A_u_char>((x ^ y) & 255)};
        }
    }
    return layer;
}

void drawEvent(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    hostsim::Host host;
    if (host.globalSetup() != PF_Err_NONE || host.paramsSetup() != PF_Err_NONE) {
        state.SkipWithError("the effect did not set up");
        return;
    }
    hostsim::World layer = makeLayer(width, height);
    host.setInputLayer(layer.def());
    hostsim::EventSender sender(host);
    for (auto _ : state) {
        if (sender.draw() != PF_Err_NONE) {
            state.SkipWithError("the draw failed");
            break;
        }
    }
    state.counters["drawbot_objects_per_draw"] =
        static_cast<double>(hostsim::DrawbotSim::current().calls("ReleaseObject")) /
        static_cast<double>(state.iterations() > 0 ? state.iterations() : 1);
    host.globalSetdown();
}

BENCHMARK(drawEvent)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
