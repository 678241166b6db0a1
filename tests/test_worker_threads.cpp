// The CPU path's threads: the effect's one pool (every band once, never more
// threads than asked for or than the hardware has, however many frames at
// once), the host's iterate_generic where it is offered (refused or failing:
// the frame is still whole), and ZANTH_LEVELS_THREADS holding the bands of a
// frame through the module.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "host/ae_suites.h"
#include "hostsim/RenderServices.h"
#include "render/RenderPath.h"
#include "render/cpu/BandRunner.h"
#include "render/cpu/CpuLevelsRenderer.h"
#include "render/cpu/WorkerPool.h"
#include "tests/RenderFixture.h"

namespace {

using namespace zanth_test;
using Ombrix::Levels::CpuRenderOptions;
using Ombrix::Levels::WorkerPool;

int hardwareThreads() { return std::max(1, static_cast<int>(std::thread::hardware_concurrency())); }

// The threads of this process now (Linux: /proc/self/task); -1 where it cannot be told.
int processThreads() {
#if defined(__linux__)
    DIR* dir = opendir("/proc/self/task");
    if (!dir) return -1;
    int count = 0;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] != '.') ++count;
    }
    closedir(dir);
    return count;
#else
    return -1;
#endif
}

// The most threads the process held while `work` ran on `threads` threads at once.
template <typename Work>
int peakThreadsWhile(int threads, const Work& work) {
    std::atomic<bool> done{false};
    std::atomic<int> peak{processThreads()};
    std::thread sampler([&] {
        while (!done) {
            peak = std::max(peak.load(), processThreads());
            std::this_thread::yield();
        }
    });
    std::vector<std::thread> runners;
    for (int i = 0; i < threads; ++i) runners.emplace_back([&work, i] { work(i); });
    for (std::thread& t : runners) t.join();
    done = true;
    sampler.join();
    return peak.load();
}

TEST(WorkerPool, RunsEveryBandOnceOnAtMostTheThreadsAskedFor) {
    for (int maxThreads : {1, 2, 3, 16}) {
        std::mutex mutex;
        std::set<std::thread::id> seen;
        std::vector<std::atomic<int>> runs(40);
        WorkerPool::run(40, maxThreads, [&](int band) {
            ++runs[static_cast<size_t>(band)];
            std::lock_guard<std::mutex> lock(mutex);
            seen.insert(std::this_thread::get_id());
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        });
        for (int band = 0; band < 40; ++band) ASSERT_EQ(runs[static_cast<size_t>(band)].load(), 1) << band;
        EXPECT_LE(static_cast<int>(seen.size()), std::min(maxThreads, hardwareThreads())) << maxThreads;
        if (maxThreads == 1) {
            EXPECT_EQ(seen.count(std::this_thread::get_id()), 1u);
        }
    }
    EXPECT_LE(WorkerPool::peakWorkers(), WorkerPool::capacity());
    EXPECT_LT(WorkerPool::capacity(), hardwareThreads() + (hardwareThreads() == 1 ? 1 : 0));
}

// The helper bound on a machine of any size: the pool counted with more
// hardware threads than this one has, so every cap is a real one.
TEST(WorkerPool, NeverRunsABandOnMoreThreadsThanAskedOrThanTheHardwareHas) {
    WorkerPool::shutDown();
    WorkerPool::setHardwareThreads(6);
    for (int maxThreads : {2, 3, 4, 16}) {
        std::mutex mutex;
        std::set<std::thread::id> seen;
        WorkerPool::run(48, maxThreads, [&](int) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                seen.insert(std::this_thread::get_id());
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        });
        EXPECT_LE(static_cast<int>(seen.size()), std::min(maxThreads, 6)) << maxThreads;
        EXPECT_GE(static_cast<int>(seen.size()), 2) << "the pool's workers took part";
    }
    EXPECT_EQ(WorkerPool::capacity(), 5);
    EXPECT_LE(WorkerPool::peakWorkers(), 5);
    WorkerPool::shutDown();
    WorkerPool::setHardwareThreads(0);
}

// The renderer's bands: `threads` caps them (ZANTH_LEVELS_THREADS through the
// module); a frame asks the runner for no more.
class CountingBands : public Ombrix::Levels::BandRunner {
public:
    void run(int bands, int maxThreads, const std::function<void(int)>& band) const override {
        largestBands = std::max(largestBands.load(), bands);
        largestThreads = std::max(largestThreads.load(), maxThreads);
        for (int i = 0; i < bands; ++i) band(i);
    }
    mutable std::atomic<int> largestBands{0};
    mutable std::atomic<int> largestThreads{0};
};

// Without global set-down no worker is joined at the end: on Windows a module
// unloaded without set-down finds its threads already gone at
// DLL_PROCESS_DETACH (or waiting behind the loader lock), and a join there
// never returns. Here the process ends from a worker's own band, so the pool's
// workers are busy while the static destructors run; a destructor that joined
// them would join its own thread (and abort) or wait for ever.
TEST(WorkerPoolDeathTest, AnExitWithoutSetDownJoinsNoWorker) {
    if (WorkerPool::capacity() < 1) GTEST_SKIP() << "no workers on a single hardware thread";
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, whose pool starts its own workers
    EXPECT_EXIT(
        {
            const std::thread::id caller = std::this_thread::get_id();
            WorkerPool::run(2, 2, [caller](int) {
                if (std::this_thread::get_id() != caller) std::exit(0);
                for (;;) std::this_thread::sleep_for(std::chrono::milliseconds(10));  // until a worker ends the process
            });
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(WorkerPool, TheThreadCountCapsTheBandsOfAFrame) {
    const LevelsSettings s;
    hostsim::World input(640, 480);
    hostsim::World output(640, 480);
    for (int threads : {1, 2, 3}) {
        CountingBands counting;
        CpuRenderOptions options;
        options.threads = threads;
        options.minPixelsPerThread = 1;
        options.bands = &counting;
        Ombrix::Levels::renderLevels8(s, *input.def(), *output.def(), options);
        EXPECT_LE(counting.largestBands.load(), threads);
        EXPECT_LE(counting.largestThreads.load(), threads);
    }
    EXPECT_EQ(Ombrix::Levels::parseThreadCount("100000"), 1024);
}

TEST(WorkerPool, EightFramesAtOnceNeverHoldMoreWorkersThanHardwareThreads) {
    LevelsSettings s;
    s.composite.gamma = 1.7;
    hostsim::World input(1024, 256, PF_PixelFormat_ARGB128);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 1024; ++x) input.pixelFloat(x, y) = PF_PixelFloat{1.0f, x / 1024.0f, y / 256.0f, 0.5f};
    }
    hostsim::World expected(1024, 256, PF_PixelFormat_ARGB128);
    CpuRenderOptions one;
    one.threads = 1;
    Ombrix::Levels::renderLevelsFloat(s, *input.def(), *expected.def(), one);
    std::vector<hostsim::World> outputs;
    for (int i = 0; i < 8; ++i) outputs.emplace_back(1024, 256, PF_PixelFormat_ARGB128);
    // A sanitizer's runtime may start a thread of its own at the process's
    // first thread start (ThreadSanitizer does): one start before counting.
    std::thread([] {}).join();
    const int before = processThreads();
    const int peak = peakThreadsWhile(8, [&](int i) {
        CpuRenderOptions all;
        all.minPixelsPerThread = 1024;
        for (int frame = 0; frame < 6; ++frame) {
            Ombrix::Levels::renderLevelsFloat(s, *input.def(), *outputs[static_cast<size_t>(i)].def(), all);
        }
    });
    for (hostsim::World& out : outputs) ASSERT_EQ(out.memory(), expected.memory());
    EXPECT_LE(WorkerPool::peakWorkers(), WorkerPool::capacity());
    EXPECT_LE(WorkerPool::liveWorkers(), hardwareThreads());
    if (before > 0) {
        EXPECT_LE(peak, before + 8 + 1 + WorkerPool::capacity()) << "8 frames, the sampler, the pool";
    }
}

// A host whose iterate_generic runs the first iteration twice and then fails:
// every band still runs once (in place, a band run twice would map twice).
PF_Err AE_CALLBACK stutteringIterate(A_long iterations, void* refcon, PF_IterateGenericFunc fn) {
    if (iterations > 0) {
        fn(refcon, 0, 0, iterations);
        fn(refcon, 1, 0, iterations);
    }
    return PF_Err_OUT_OF_MEMORY;
}

// Hosts that answer success: one that runs every iteration on thread index 0
// (its only thread), and one that runs only the even iterations. Every band
// runs exactly once; the host's runs it all where it ran every iteration.
PF_Err AE_CALLBACK oneThreadIterate(A_long iterations, void* refcon, PF_IterateGenericFunc fn) {
    for (A_long i = 0; i < iterations; ++i) fn(refcon, 0, i, iterations);
    return PF_Err_NONE;
}
PF_Err AE_CALLBACK evenOnlyIterate(A_long iterations, void* refcon, PF_IterateGenericFunc fn) {
    for (A_long i = 0; i < iterations; i += 2) fn(refcon, i % 3, i, iterations);
    return PF_Err_NONE;
}
thread_local bool tInsideHost = false;
PF_Err marked(PF_Err(AE_CALLBACK* iterate)(A_long, void*, PF_IterateGenericFunc), A_long iterations, void* refcon,
              PF_IterateGenericFunc fn) {
    tInsideHost = true;
    const PF_Err err = iterate(iterations, refcon, fn);
    tInsideHost = false;
    return err;
}
PF_Err AE_CALLBACK markedOneThread(A_long n, void* refcon, PF_IterateGenericFunc fn) {
    return marked(oneThreadIterate, n, refcon, fn);
}
PF_Err AE_CALLBACK markedEvenOnly(A_long n, void* refcon, PF_IterateGenericFunc fn) {
    return marked(evenOnlyIterate, n, refcon, fn);
}

TEST(HostIterate, EveryBandRunsOnceWhateverTheHostsThreadsAndSkips) {
    struct HostCase {
        const char* name;
        PF_Err(AE_CALLBACK* iterate)(A_long, void*, PF_IterateGenericFunc);
        bool hostRunsAll;
    };
    const HostCase hosts[] = {{"one thread", markedOneThread, true}, {"even iterations only", markedEvenOnly, false}};
    for (const HostCase& h : hosts) {
        PF_Iterate8Suite1 suite{};
        suite.iterate_generic = h.iterate;
        const Ombrix::Levels::HostIterateBands runner(&suite);
        constexpr int kBands = 9;
        std::vector<std::atomic<int>> runs(kBands);
        std::vector<std::atomic<int>> inHost(kBands);
        runner.run(kBands, 4, [&](int band) {
            ++runs[static_cast<size_t>(band)];
            if (tInsideHost) ++inHost[static_cast<size_t>(band)];
        });
        for (int band = 0; band < kBands; ++band) {
            EXPECT_EQ(runs[static_cast<size_t>(band)].load(), 1) << h.name << ", band " << band;
            if (h.hostRunsAll || band % 2 == 0) {
                EXPECT_EQ(inHost[static_cast<size_t>(band)].load(), 1) << h.name << ": the host ran band " << band;
            }
        }
    }
}

TEST(HostIterate, AFailingHostStillGivesTheWholeFrameWithEveryBandOnce) {
    LevelsSettings s;
    s.composite = {20, 200, 2.5, 10, 240};
    hostsim::World reference(300, 97, PF_PixelFormat_ARGB32, 4);
    for (size_t i = 0; i < reference.memory().size(); ++i) reference.memory()[i] = static_cast<uint8_t>(i * 131 + 7);
    hostsim::World expected(300, 97, PF_PixelFormat_ARGB32, 4);
    Ombrix::Levels::renderLevels8(s, *reference.def(), *expected.def());
    PF_Iterate8Suite1 suite{};
    suite.iterate_generic = stutteringIterate;
    const Ombrix::Levels::HostIterateBands host(&suite);
    hostsim::World same(300, 97, PF_PixelFormat_ARGB32, 4);
    same.memory() = reference.memory();
    CpuRenderOptions options;
    options.threads = 5;
    options.minPixelsPerThread = 1;
    options.bands = &host;
    Ombrix::Levels::renderLevels8(s, *same.def(), *same.def(), options);
    for (int y = 0; y < 97; ++y) ASSERT_EQ(std::memcmp(same.row(y), expected.row(y), 300 * 4), 0) << y;
}

// ---- through the module ------------------------------------------------------------------

void setThreadsVariable(const char* value) {
#if defined(_WIN32)
    _putenv_s("ZANTH_LEVELS_THREADS", value ? value : "");
#else
    if (value) {
        setenv("ZANTH_LEVELS_THREADS", value, 1);
    } else {
        unsetenv("ZANTH_LEVELS_THREADS");
    }
#endif
}

class ModuleThreads : public HostTest {
protected:
    void setUpCpu(const char* threads) {
        setThreadsVariable(threads);
        setUpOnPath(*host, Path::Cpu);
        setThreadsVariable(nullptr);
        LevelsSettings s;
        s.composite.gamma = 1.4;
        s.red = {10, 240, 0.8, 5, 250};
        settings = s;
        applySettings(*host, s);
    }
    void TearDown() override {
        HostTest::TearDown();
        setRendererVariable(nullptr);
    }
    LevelsSettings settings;
};

TEST_F(ModuleThreads, TheHostsWorkersRenderTheBands) {
    setUpCpu(nullptr);
    // Bands long enough that the host's workers wake before the calling thread
    // has taken them all.
    hostsim::World input = everyValuePicture(6000);
    hostsim::World output(256, 6000);
    hostsim::World expected(256, 6000);
    CpuRenderOptions one;
    one.threads = 1;
    Ombrix::Levels::renderLevels8(settings, *input.def(), *expected.def(), one);
    host->setInputLayer(input.def());
    const int callsBefore = hostsim::genericIterateCalls();
    const int onWorkersBefore = hostsim::genericIterationsOnWorkers();
    for (int frame = 0; frame < 12; ++frame) {
        fillBytes(output, 0);
        ASSERT_EQ(host->render(output.def()), PF_Err_NONE);
        ASSERT_EQ(output.memory(), expected.memory()) << "frame " << frame;
    }
    if (hardwareThreads() > 1) {
        EXPECT_GE(hostsim::genericIterateCalls() - callsBefore, 12);
        EXPECT_GT(hostsim::genericIterationsOnWorkers() - onWorkersBefore, 0)
            << hostsim::genericIterateCalls() - callsBefore << " calls, largest " << hostsim::genericLargestRequest();
    }
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(ModuleThreads, TheThreadVariableCapsTheIterationsAskedOfTheHost) {
    setUpCpu("2");
    hostsim::World input = everyValuePicture(1500);
    hostsim::World output(256, 1500);
    host->setInputLayer(input.def());
    ASSERT_EQ(host->render(output.def()), PF_Err_NONE);
    EXPECT_LE(hostsim::genericLargestRequest(), 2);
    host->globalSetdown();
    const int callsBefore = hostsim::genericIterateCalls();
    setUpCpu("1");
    host->setInputLayer(input.def());
    ASSERT_EQ(host->render(output.def()), PF_Err_NONE);
    EXPECT_EQ(hostsim::genericIterateCalls(), callsBefore) << "one thread: nothing asked of the host";
    const FrameCheck check = checkFrame(input, output, settings);
    EXPECT_EQ(check.wrong, 0) << check.firstWrong;
}

TEST_F(ModuleThreads, ARefusedOrFailingIterateStillRendersTheWholeFrame) {
    setUpCpu(nullptr);
    hostsim::World input = everyValuePicture(1100);
    host->setInputLayer(input.def());
    hostsim::World expected(256, 1100);
    ASSERT_EQ(host->render(expected.def()), PF_Err_NONE);
    hostsim::failGenericIterations(PF_Err_OUT_OF_MEMORY, 1);
    hostsim::World failing(256, 1100);
    EXPECT_EQ(host->render(failing.def()), PF_Err_NONE);
    EXPECT_EQ(failing.memory(), expected.memory());
    hostsim::failGenericIterations(PF_Err_NONE, 0);
    host->refuseSuite(kPFIterate8Suite, kPFIterate8SuiteVersion1);
    hostsim::World refused(256, 1100);
    EXPECT_EQ(host->render(refused.def()), PF_Err_NONE);
    EXPECT_EQ(refused.memory(), expected.memory());
    EXPECT_HOST_CLEAN(*host);
}

// However many frames render at once, the process holds no more threads than
// the host's render threads, the host's workers and one of ours per hardware
// thread (a thread per frame would show as one more per frame in flight).
TEST_F(ModuleThreads, EightFramesInFlightStartNoThreadsOfTheirOwn) {
    if (processThreads() < 0) GTEST_SKIP() << "the process's threads cannot be counted here";
    for (bool hostOffers : {false, true}) {
        SCOPED_TRACE(hostOffers ? "the host's iterate_generic" : "the effect's own pool");
        setUpCpu(nullptr);
        if (hostOffers) {
            host->allowSuite(kPFIterate8Suite, kPFIterate8SuiteVersion1);
        } else {
            host->refuseSuite(kPFIterate8Suite, kPFIterate8SuiteVersion1);
        }
        hostsim::World input = everyValuePicture(1080);
        host->setInputLayer(input.def());
        std::vector<hostsim::World> outputs;
        for (int i = 0; i < 8; ++i) outputs.emplace_back(256, 1080);
        const int before = processThreads();
        const int hostWorkers = std::max(2, hardwareThreads()) - 1;
        std::atomic<int> failures{0};
        const int peak = peakThreadsWhile(8, [&](int i) {
            for (int frame = 0; frame < 8; ++frame) {
                if (host->render(outputs[static_cast<size_t>(i)].def()) != PF_Err_NONE) ++failures;
            }
        });
        EXPECT_EQ(failures.load(), 0);
        for (const hostsim::World& out : outputs) {
            const FrameCheck check = checkFrame(input, out, settings);
            EXPECT_EQ(check.wrong, 0) << check.firstWrong;
        }
        EXPECT_LE(peak, before + 8 + 1 + hostWorkers + (hardwareThreads() - 1))
            << "before " << before << ": 8 render threads, the sampler, the host's workers, ours";
        EXPECT_HOST_CLEAN(*host);
        host->globalSetdown();
    }
}

}  // namespace
