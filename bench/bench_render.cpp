// Frames at 1920 x 1080 and 3840 x 2160, side by side in one run:
//  - PlainLookup: a per-channel 256-entry lookup over the frame, written
//    here, the floor that any CPU levels renderer is measured against;
//  - CpuOneThread / CpuAllThreads: the module's CPU path
//    (ZANTH_LEVELS_RENDERER=cpu, ZANTH_LEVELS_THREADS=1 or unset);
//  - GpuLlvmpipe: the module's GPU path forced on Mesa's llvmpipe, in steady
//    state (context, programs and framebuffers exist), with the GL objects
//    made and programs linked per frame counted through glbinding;
//  - FourFramesAtOnce: four frames rendered at once on four render threads
//    (kept for the whole run, as a host keeps its own) through one host, per
//    path; the time is for all four;
//  - DeepFrames: 16-bit frames through PF_Cmd_RENDER and float frames through
//    smart pre-render and smart render (the pre-render counted in), on the
//    CPU path (all threads) and the GPU path on llvmpipe; the plain 8-bit
//    loop above is the floor to read them against.
//  - MemcpyFrame: a copy of an 8-bit frame, the limit of any map over it;
//  - CpuDepth: the CPU path at each depth (8-bit and 16-bit through
//    PF_Cmd_RENDER, float through smart rendering), on 1 thread and on all,
//    at each SIMD level this CPU has (ZANTH_LEVELS_SIMD at global set-up).
// Milliseconds per frame (or per four frames), wall clock. ZANTH_BENCH_MODULE
// names another build of the module to load (an earlier one, to compare).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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

// Ramps at the world's own depth: 8-bit as fillPicture, 16-bit over 0..32768,
// float over -0.5..4 (over-bright values included).
void fillPictureAtDepth(hostsim::World& world) {
    if (world.format() == PF_PixelFormat_ARGB32) {
        fillPicture(world);
        return;
    }
    const int width = world.width();
    const int height = world.height();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (world.format() == PF_PixelFormat_ARGB64) {
                world.pixel16(x, y) = PF_Pixel16{static_cast<A_u_short>(32768 - (y * 16) % 32769),
                                                 static_cast<A_u_short>((x * 9) % 32769),
                                                 static_cast<A_u_short>(((x + y) * 5) % 32769),
                                                 static_cast<A_u_short>((x * 27) % 32769)};
            } else {
                world.pixelFloat(x, y) = PF_PixelFloat{1.0f - static_cast<float>(y) / static_cast<float>(height),
                                                       -0.5f + 4.5f * static_cast<float>(x) / static_cast<float>(width),
                                                       static_cast<float>((x + y) & 1023) / 1023.0f, 0.25f};
            }
        }
    }
}

// One frame of the input layer into `output` as the host sends it: 8-bit and
// 16-bit through PF_Cmd_RENDER, float through smart pre-render and render.
PF_Err renderAtDepth(hostsim::Host& host, hostsim::World& output) {
    if (output.format() != PF_PixelFormat_ARGB128) return host.render(output.def());
    const PF_Err err = host.smartPreRender(hostsim::Host::fullRequest(output.width(), output.height()), 32);
    return err != PF_Err_NONE ? err : host.smartRender(output.def());
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

const char* modulePath() {
    const char* other = std::getenv("ZANTH_BENCH_MODULE");
    return other && *other ? other : ZANTH_MODULE_PATH;
}

void setVariable(const char* name, const char* value) {
#if defined(_WIN32)
    _putenv_s(name, value ? value : "");
#else
    if (value) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
#endif
}

// Global and parameter set-up with the path and thread count forced.
bool setUp(hostsim::Host& host, const char* path, const char* threads, benchmark::State& state) {
    setVariable("ZANTH_LEVELS_RENDERER", path);
    setVariable("ZANTH_LEVELS_THREADS", threads);
    const bool ok = host.globalSetup() == PF_Err_NONE && host.paramsSetup() == PF_Err_NONE;
    setVariable("ZANTH_LEVELS_RENDERER", nullptr);
    setVariable("ZANTH_LEVELS_THREADS", nullptr);
    if (!ok) state.SkipWithError("global or parameter set-up failed");
    return ok;
}

void PlainLookup(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    hostsim::World input(width, height, PF_PixelFormat_ARGB32, 64);
    hostsim::World output(width, height, PF_PixelFormat_ARGB32, 64);
    fillPicture(input);
    uint8_t tables[4][256];
    for (int c = 0; c < 4; ++c) {
        for (int v = 0; v < 256; ++v) {
            tables[c][v] = static_cast<uint8_t>(std::lrint(255.0 * std::pow(v / 255.0, 1.0 / (1.2 + 0.1 * c))));
        }
    }
    for (auto _ : state) {
        for (int y = 0; y < height; ++y) {
            const PF_Pixel8* in = &input.pixel8(0, y);
            PF_Pixel8* out = &output.pixel8(0, y);
            for (int x = 0; x < width; ++x) {
                out[x] = PF_Pixel8{tables[0][in[x].alpha], tables[1][in[x].red], tables[2][in[x].green],
                                   tables[3][in[x].blue]};
            }
        }
        benchmark::DoNotOptimize(output.memory().data());
        benchmark::ClobberMemory();
    }
    state.counters["megapixels"] = width * static_cast<double>(height) / 1e6;
}

void MemcpyFrame(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    hostsim::World input(width, height, PF_PixelFormat_ARGB32, 64);
    hostsim::World output(width, height, PF_PixelFormat_ARGB32, 64);
    fillPicture(input);
    for (auto _ : state) {
        std::memcpy(output.memory().data(), input.memory().data(), input.memory().size());
        benchmark::DoNotOptimize(output.memory().data());
        benchmark::ClobberMemory();
    }
    state.counters["megapixels"] = width * static_cast<double>(height) / 1e6;
}

const char* const kSimdNames[] = {"scalar", "sse4", "avx2", "avx512"};

bool cpuHasLevel(int level) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    switch (level) {
        case 0: return true;
        case 1: return __builtin_cpu_supports("sse4.1");
        case 2: return __builtin_cpu_supports("avx2");
        case 3:
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                   __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl");
    }
#endif
    return level == 0;
}

// state.range(2): 8, 16 or 32 bits a channel; state.range(3): 1 thread, or 0
// for all; state.range(4): the SIMD level (0 scalar .. 3 avx512).
void CpuDepth(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const int depth = static_cast<int>(state.range(2));
    const bool oneThread = state.range(3) == 1;
    const int level = static_cast<int>(state.range(4));
    if (!cpuHasLevel(level)) {
        state.SkipWithError("this CPU lacks the level");
        return;
    }
    hostsim::Host host(modulePath());
    setVariable("ZANTH_LEVELS_SIMD", kSimdNames[level]);
    const bool ok = setUp(host, "cpu", oneThread ? "1" : nullptr, state);
    setVariable("ZANTH_LEVELS_SIMD", nullptr);
    if (!ok) return;
    applySettings(host);
    // Without the state suite no render asks for its histogram key: the
    // simulator answers that call by hashing every pixel of the layer (a
    // real host's answer does not grow with the frame), which would be
    // counted here as the effect's time. A host that serves the key counts
    // the histogram once per key (bench_histogram measures that).
    host.refuseSuite(kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3);
    const PF_PixelFormat format = depth == 8 ? PF_PixelFormat_ARGB32 : depth == 16 ? PF_PixelFormat_ARGB64 : PF_PixelFormat_ARGB128;
    hostsim::World input(width, height, format, 64);
    hostsim::World output(width, height, format, 64);
    fillPictureAtDepth(input);
    host.setInputLayer(input.def());
    auto frame = [&] { return renderAtDepth(host, output); };
    for (auto _ : state) {
        if (frame() != PF_Err_NONE) {
            state.SkipWithError("render failed");
            break;
        }
        benchmark::DoNotOptimize(output.memory().data());
    }
    state.SetLabel(std::string(depth == 8 ? "8-bit" : depth == 16 ? "16-bit" : "float") + ", " +
                   (oneThread ? "1 thread" : "all threads") + ", " + kSimdNames[level]);
    state.counters["megapixels"] = width * static_cast<double>(height) / 1e6;
    host.globalSetdown();
}

void cpuFrames(benchmark::State& state, const char* threads) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    hostsim::Host host(modulePath());
    if (!setUp(host, "cpu", threads, state)) return;
    applySettings(host);
    hostsim::World input(width, height, PF_PixelFormat_ARGB32, 64);
    hostsim::World output(width, height, PF_PixelFormat_ARGB32, 64);
    fillPicture(input);
    host.setInputLayer(input.def());
    for (auto _ : state) {
        if (host.render(output.def()) != PF_Err_NONE) {
            state.SkipWithError("render failed");
            break;
        }
        benchmark::DoNotOptimize(output.memory().data());
    }
    state.counters["megapixels"] = width * static_cast<double>(height) / 1e6;
    host.globalSetdown();
}

void CpuOneThread(benchmark::State& state) { cpuFrames(state, "1"); }
void CpuAllThreads(benchmark::State& state) { cpuFrames(state, nullptr); }

// Four render threads that live as long as the benchmark, as a host's render
// threads do: each keeps its GL context from frame to frame. (Threads started
// for one frame each would time the making of a context, and the compiling of
// the programs for it, with every frame.)
class FourRenderThreads {
public:
    explicit FourRenderThreads(std::function<void(int)> frame) : frame_(std::move(frame)) {
        for (int i = 0; i < 4; ++i) threads_.emplace_back([this, i] { loop(i); });
    }
    ~FourRenderThreads() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& t : threads_) t.join();
    }
    FourRenderThreads(const FourRenderThreads&) = delete;
    FourRenderThreads& operator=(const FourRenderThreads&) = delete;

    // One frame on each thread, all four at once; returns when all are done.
    void renderAll() {
        std::unique_lock<std::mutex> lock(mutex_);
        ++round_;
        running_ = 4;
        wake_.notify_all();
        done_.wait(lock, [this] { return running_ == 0; });
    }

private:
    void loop(int index) {
        long seen = 0;
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [&] { return stopping_ || round_ != seen; });
                if (stopping_) return;
                seen = round_;
            }
            frame_(index);
            std::lock_guard<std::mutex> lock(mutex_);
            if (--running_ == 0) done_.notify_one();
        }
    }

    std::function<void(int)> frame_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    long round_ = 0;
    int running_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

// Four frames at once: state.range(2) 0 for the CPU path, 1 for the GPU path.
void FourFramesAtOnce(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const bool gpu = state.range(2) == 1;
    hostsim::Host host(modulePath());
    if (!setUp(host, gpu ? "gpu" : "cpu", nullptr, state)) return;
    applySettings(host);
    hostsim::World input(width, height, PF_PixelFormat_ARGB32, 64);
    fillPicture(input);
    host.setInputLayer(input.def());
    std::vector<hostsim::World> outputs;
    for (int i = 0; i < 4; ++i) outputs.emplace_back(width, height, PF_PixelFormat_ARGB32, 64);
    std::atomic<bool> failed{false};
    {
        FourRenderThreads threads([&](int i) {
            if (host.render(outputs[static_cast<size_t>(i)].def()) != PF_Err_NONE) failed = true;
        });
        threads.renderAll();  // each thread's first frame (and context) out of the timing
        for (auto _ : state) {
            threads.renderAll();
            if (failed) {
                state.SkipWithError("render failed");
                break;
            }
        }
    }  // the threads end here, taking their contexts with them, before set-down
    state.SetLabel(gpu ? "gpu path" : "cpu path");
    state.counters["megapixels"] = 4 * width * static_cast<double>(height) / 1e6;
    host.globalSetdown();
}

void GpuLlvmpipe(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    hostsim::Host host(modulePath());
    if (!setUp(host, "gpu", nullptr, state)) return;
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

// state.range(2): 16 or 32 bits a channel; state.range(3): 0 CPU path, 1 GPU path.
void DeepFrames(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const bool deep16 = state.range(2) == 16;
    const bool gpu = state.range(3) == 1;
    hostsim::Host host(ZANTH_MODULE_PATH);
    if (!setUp(host, gpu ? "gpu" : "cpu", nullptr, state)) return;
    applySettings(host);
    const PF_PixelFormat format = deep16 ? PF_PixelFormat_ARGB64 : PF_PixelFormat_ARGB128;
    hostsim::World input(width, height, format, 64);
    hostsim::World output(width, height, format, 64);
    fillPictureAtDepth(input);
    host.setInputLayer(input.def());
    auto frame = [&] { return renderAtDepth(host, output); };
    if (frame() != PF_Err_NONE) {  // the first frame makes the context and programs
        state.SkipWithError("render failed");
        return;
    }
    for (auto _ : state) {
        if (frame() != PF_Err_NONE) {
            state.SkipWithError("render failed");
            break;
        }
        benchmark::DoNotOptimize(output.memory().data());
    }
    state.SetLabel(std::string(deep16 ? "16-bit" : "float") + (gpu ? ", gpu path" : ", cpu path"));
    state.counters["megapixels"] = width * static_cast<double>(height) / 1e6;
    host.globalSetdown();
}

BENCHMARK(MemcpyFrame)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(PlainLookup)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(CpuOneThread)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(CpuAllThreads)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(GpuLlvmpipe)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(FourFramesAtOnce)
    ->Args({1920, 1080, 0})
    ->Args({3840, 2160, 0})
    ->Args({1920, 1080, 1})
    ->Args({3840, 2160, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

BENCHMARK(CpuDepth)
    ->ArgsProduct({{1920}, {1080}, {8, 16, 32}, {1, 0}, {0, 1, 2, 3}})
    ->ArgsProduct({{3840}, {2160}, {8, 16, 32}, {1, 0}, {0, 1, 2, 3}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(0.5);

BENCHMARK(DeepFrames)
    ->ArgsProduct({{1920}, {1080}, {16, 32}, {0, 1}})
    ->ArgsProduct({{3840}, {2160}, {16, 32}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
