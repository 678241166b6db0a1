// The histogram the renders count for the editor: the sampling grid and the
// counts at every depth against an independent model of the same rule (the
// layer point-sampled into at most 256 x 256, each channel brought to 8 bits),
// the key the host gives, and the process-wide cache with its bound and its
// rule that a partial histogram never replaces a whole one.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <numeric>
#include <thread>
#include <vector>

#include "histogram/FrameHistogram.h"
#include "histogram/GridCounting.h"
#include "histogram/HistogramCache.h"
#include "histogram/HistogramSampling.h"
#include "hostsim/World.h"
#include "render/cpu/CpuLevelsRenderer.h"
#include "tests/HostFixture.h"
#include "ui/HistogramPoll.h"

namespace {

using namespace Ombrix::Levels;

// A histogram of every grid point of the layer.
bool whole(const CachedHistogram& histogram) { return histogram.pointsCounted == histogram.gridPoints; }

// How many grid points take a layer pixel inside the rectangle
// [left, right) x [top, bottom) of the layer.
int pointsWithin(const HistogramGrid& grid, int left, int top, int right, int bottom) {
    int columns = 0;
    for (int x = 0; x < grid.width(); ++x) columns += grid.layerColumn(x) >= left && grid.layerColumn(x) < right;
    int rows = 0;
    for (int y = 0; y < grid.height(); ++y) rows += grid.layerRow(y) >= top && grid.layerRow(y) < bottom;
    return columns * rows;
}

// The grid points of `part` (the layer's pixels from (left, top) on) counted
// at once, as a render that counts outside its pass does; the points counted.
int countLayerHistogram(const HistogramGrid& grid, const PF_EffectWorld& part, PixelFormatCode depth, int left,
                        int top, ChannelHistograms& histograms) {
    GridCounting counting(grid, part, depth, left, top);
    counting.countAll();
    histograms = counting.histograms();
    return counting.pointsCounted();
}

int64_t total(const std::vector<int32_t>& counts) { return std::accumulate(counts.begin(), counts.end(), int64_t{0}); }

// ---- the model ----------------------------------------------------------------------------------

// 8-bit bin of a 16-bit code: v x 255 / 32768 rounded half up, above 32768 white.
int modelBin16(int v) { return static_cast<int>(std::floor(std::min(v, 32768) * 255.0 / 32768.0 + 0.5)); }
// 8-bit bin of a float: NaN and below 0 count as 0, 1 and above as 255, else
// v x 255 rounded to nearest even (as the float product rounds).
int modelBinFloat(float v) {
    if (std::isnan(v) || v <= 0.0f) return 0;
    if (v >= 1.0f) return 255;
    return static_cast<int>(std::nearbyint(static_cast<double>(v * 255.0f)));
}

struct ModelCounts {
    int width = 0, height = 0;  // the grid
    std::vector<int32_t> red, green, blue, alpha;
};

// The grid is the layer scaled by s = min(256 / h, 256 / w), truncated; grid
// point (x, y) takes the layer pixel under its centre.
ModelCounts model(const hostsim::World& layer) {
    ModelCounts m;
    m.red.assign(256, 0);
    m.green.assign(256, 0);
    m.blue.assign(256, 0);
    m.alpha.assign(256, 0);
    const double s = std::min(256.0 / layer.height(), 256.0 / layer.width());
    m.width = static_cast<int>(layer.width() * s);
    m.height = static_cast<int>(layer.height() * s);
    for (int y = 0; y < m.height; ++y) {
        for (int x = 0; x < m.width; ++x) {
            const int sx = static_cast<int>((x + 0.5) / s);
            const int sy = static_cast<int>((y + 0.5) / s);
            int a = 0, r = 0, g = 0, b = 0;
            const uint8_t* row = layer.row(sy);
            switch (layer.format()) {
                case PF_PixelFormat_ARGB64: {
                    const auto* p = reinterpret_cast<const A_u_short*>(row) + 4 * sx;
                    a = modelBin16(p[0]), r = modelBin16(p[1]), g = modelBin16(p[2]), b = modelBin16(p[3]);
                    break;
                }
                case PF_PixelFormat_ARGB128: {
                    const auto* p = reinterpret_cast<const float*>(row) + 4 * sx;
                    a = modelBinFloat(p[0]), r = modelBinFloat(p[1]), g = modelBinFloat(p[2]), b = modelBinFloat(p[3]);
                    break;
                }
                default: {
                    const uint8_t* p = row + 4 * sx;
                    a = p[0], r = p[1], g = p[2], b = p[3];
                }
            }
            ++m.alpha[static_cast<size_t>(a)];
            ++m.red[static_cast<size_t>(r)];
            ++m.green[static_cast<size_t>(g)];
            ++m.blue[static_cast<size_t>(b)];
        }
    }
    return m;
}

// A layer whose every pixel differs from its neighbours in every channel, with
// deep values spread over the whole range (16-bit codes above 32768 and float
// values outside 0..1, NaN and infinities included).
hostsim::World patterned(int width, int height, PF_PixelFormat format) {
    hostsim::World layer(width, height, format, 12);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned k = static_cast<unsigned>(x * 7919 + y * 104729);
            switch (format) {
                case PF_PixelFormat_ARGB64:
                    layer.pixel16(x, y) = PF_Pixel16{static_cast<A_u_short>(k % 32769), static_cast<A_u_short>((k * 3) % 33000),
                                                     static_cast<A_u_short>((x * 131) % 32769), static_cast<A_u_short>(y * 257 % 65536)};
                    break;
                case PF_PixelFormat_ARGB128: {
                    const float special[] = {std::nanf(""), INFINITY, -INFINITY, -0.5f, 1.5f, 1.0f, 0.0f, 0.5f};
                    layer.pixelFloat(x, y) = PF_PixelFloat{(k % 1000) / 999.0f, (k % 9 == 0) ? special[k % 8] : (k % 1237) / 1100.0f,
                                                           (x % 256) / 255.0f, (y % 97) / 90.0f};
                    break;
                }
                default:
                    layer.pixel8(x, y) = PF_Pixel8{static_cast<uint8_t>(255 - x % 7), static_cast<uint8_t>(x % 251),
                                                   static_cast<uint8_t>(y % 253), static_cast<uint8_t>((x * 31 + y) % 256)};
            }
        }
    }
    return layer;
}

PixelFormatCode depthOf(PF_PixelFormat format) {
    return format == PF_PixelFormat_ARGB64 ? kPixelFormat16 : format == PF_PixelFormat_ARGB128 ? kPixelFormat32 : kPixelFormat8;
}

void expectEqualCounts(const ChannelHistograms& got, const ModelCounts& want) {
    EXPECT_EQ(got.red, want.red);
    EXPECT_EQ(got.green, want.green);
    EXPECT_EQ(got.blue, want.blue);
    EXPECT_EQ(got.alpha, want.alpha);
}

// ---- the grid and the counts ----------------------------------------------------------------------

struct GridCase {
    int w, h, gw, gh;
};
void PrintTo(const GridCase& c, std::ostream* os) { *os << c.w << " x " << c.h; }

class HistogramGridSize : public ::testing::TestWithParam<GridCase> {};

TEST_P(HistogramGridSize, FitsWithin256KeepingTheProportions) {
    const GridCase c = GetParam();
    const HistogramGrid grid(c.w, c.h);
    EXPECT_EQ(grid.width(), c.gw);
    EXPECT_EQ(grid.height(), c.gh);
    EXPECT_EQ(pointsWithin(grid, 0, 0, c.w, c.h), c.gw * c.gh);
}

INSTANTIATE_TEST_SUITE_P(Layers, HistogramGridSize,
                         ::testing::Values(GridCase{1920, 1080, 256, 144}, GridCase{4096, 2160, 256, 135},
                                           GridCase{100, 100, 256, 256}, GridCase{640, 480, 256, 192},
                                           GridCase{3, 512, 1, 256}, GridCase{300, 1, 256, 0},
                                           GridCase{1, 300, 0, 256}, GridCase{1, 1, 256, 256},
                                           GridCase{0, 0, 0, 0}));

struct CountCase {
    int w, h;
    PF_PixelFormat format;
};
void PrintTo(const CountCase& c, std::ostream* os) { *os << c.w << " x " << c.h << " format " << c.format; }

class LayerHistogram : public ::testing::TestWithParam<CountCase> {};

// Every grid point counted, from the pixel under its centre, in its 8-bit bin.
TEST_P(LayerHistogram, EqualsTheModelAtEveryDepth) {
    const CountCase c = GetParam();
    const hostsim::World layer = patterned(c.w, c.h, c.format);
    const ModelCounts want = model(layer);
    const HistogramGrid grid(c.w, c.h);
    ChannelHistograms got;
    EXPECT_EQ(countLayerHistogram(grid, *layer.def(), depthOf(c.format), 0, 0, got), want.width * want.height);
    expectEqualCounts(got, want);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, LayerHistogram,
    ::testing::Values(CountCase{1920, 1080, PF_PixelFormat_ARGB32}, CountCase{300, 7, PF_PixelFormat_ARGB32},
                      CountCase{97, 513, PF_PixelFormat_ARGB32}, CountCase{1, 1000, PF_PixelFormat_ARGB32},
                      CountCase{1000, 1, PF_PixelFormat_ARGB32}, CountCase{5, 3, PF_PixelFormat_ARGB32},
                      CountCase{1921, 1081, PF_PixelFormat_ARGB64}, CountCase{1, 777, PF_PixelFormat_ARGB64},
                      CountCase{333, 200, PF_PixelFormat_ARGB64}, CountCase{1280, 719, PF_PixelFormat_ARGB128},
                      CountCase{777, 1, PF_PixelFormat_ARGB128}, CountCase{17, 29, PF_PixelFormat_ARGB128}));

// A part of the layer (a smart render of a zoomed-in viewer) counts exactly
// the grid points whose pixel it holds, as the whole layer counts them.
TEST(LayerHistogramPart, CountsOnlyThePointsInsideThePart) {
    const hostsim::World layer = patterned(1000, 600, PF_PixelFormat_ARGB32);
    const HistogramGrid grid(1000, 600);
    const int left = 333, top = 101, width = 250, height = 177;
    PF_EffectWorld part = *layer.def();
    part.data = reinterpret_cast<PF_PixelPtr>(reinterpret_cast<char*>(part.data) + top * part.rowbytes + left * 4);
    part.width = width;
    part.height = height;
    ChannelHistograms got;
    const int counted = countLayerHistogram(grid, part, kPixelFormat8, left, top, got);
    EXPECT_EQ(counted, pointsWithin(grid, left, top, left + width, top + height));

    ChannelHistograms want;
    want.clear();
    int points = 0;
    for (int y = 0; y < grid.height(); ++y) {
        for (int x = 0; x < grid.width(); ++x) {
            const int sx = grid.layerColumn(x), sy = grid.layerRow(y);
            if (sx < left || sx >= left + width || sy < top || sy >= top + height) continue;
            const PF_Pixel8& p = reinterpret_cast<const PF_Pixel8*>(layer.row(sy))[sx];
            ++want.alpha[p.alpha], ++want.red[p.red], ++want.green[p.green], ++want.blue[p.blue];
            ++points;
        }
    }
    EXPECT_EQ(counted, points);
    EXPECT_GT(points, 1000);
    EXPECT_EQ(got.red, want.red);
    EXPECT_EQ(got.alpha, want.alpha);
}

// The CPU renderer counts each grid row in the band that renders it: the
// same counts as the whole layer counted apart, with bands on several threads,
// an output shorter than the input (the rows below it counted after the
// bands), a layer enlarged onto the grid (rows counted more than once) and a
// frame rendered in place.
TEST(CountingInThePass, GivesTheCountsOfTheLayer) {
    const struct {
        int w, h, outHeight;
        PF_PixelFormat format;
        bool inPlace;
    } cases[] = {{1920, 1080, 1080, PF_PixelFormat_ARGB32, false}, {641, 359, 200, PF_PixelFormat_ARGB64, false},
                 {17, 29, 29, PF_PixelFormat_ARGB128, true},       {1, 301, 301, PF_PixelFormat_ARGB32, true},
                 {333, 211, 211, PF_PixelFormat_ARGB64, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.w) + " x " + ::testing::PrintToString(c.h));
        hostsim::World layer = patterned(c.w, c.h, c.format);
        const ModelCounts want = model(layer);
        hostsim::World output(c.w, c.outHeight, c.format);
        const HistogramGrid grid(c.w, c.h);
        GridCounting counting(grid, *layer.def(), depthOf(c.format), 0, 0);
        CpuRenderOptions options;
        options.threads = 3;
        options.minPixelsPerThread = 1;
        options.counting = &counting;
        LevelsSettings settings;
        settings.composite.gamma = 2.0f;  // every value changes where it is written over
        PF_EffectWorld* out = c.inPlace ? layer.def() : output.def();
        switch (depthOf(c.format)) {
            case kPixelFormat8: renderLevels8(settings, *layer.def(), *out, options); break;
            case kPixelFormat16: renderLevels16(settings, *layer.def(), *out, options); break;
            case kPixelFormat32: renderLevelsFloat(settings, *layer.def(), *out, options); break;
        }
        EXPECT_EQ(counting.pointsCounted(), grid.points());
        expectEqualCounts(counting.histograms(), want);
    }
}

// ---- the cache -------------------------------------------------------------------------------------

HistogramKey keyOf(int n, A_long time = 0) {
    HistogramKey key;
    key.state.reserved[0] = n;
    key.state.reserved[3] = n * 7;
    key.time = time;
    key.timeScale = 30000;
    return key;
}

CachedHistogram histogramOf(int marker, int points, int gridPoints) {
    CachedHistogram h;
    h.counts.clear();
    h.counts.red[static_cast<size_t>(marker % 256)] = points;
    h.pointsCounted = points;
    h.gridPoints = gridPoints;
    return h;
}

TEST(HistogramCache, KeepsAtMostItsCapacityDroppingTheLeastRecentlyUsed) {
    HistogramCache cache;
    EXPECT_EQ(HistogramCache::kCapacity, 256u);
    for (int n = 0; n < 256; ++n) cache.store(keyOf(n), histogramOf(n, 100, 100));
    EXPECT_EQ(cache.size(), 256u);
    ASSERT_TRUE(cache.find(keyOf(0)));  // now the most recently used
    cache.store(keyOf(1000), histogramOf(7, 100, 100));
    EXPECT_EQ(cache.size(), 256u);
    EXPECT_TRUE(cache.find(keyOf(0)));
    EXPECT_FALSE(cache.find(keyOf(1)));  // the one used longest ago
    EXPECT_TRUE(cache.find(keyOf(2)));
    ASSERT_TRUE(cache.find(keyOf(1000)));
    EXPECT_EQ(cache.find(keyOf(1000))->counts.red[7], 100);
    cache.clear();
    EXPECT_EQ(cache.size(), 0u);
    EXPECT_FALSE(cache.find(keyOf(0)));
}

TEST(HistogramCache, TheStateAndTheTimeMakeTheKey) {
    HistogramCache cache;
    cache.store(keyOf(1, 0), histogramOf(1, 10, 10));
    EXPECT_FALSE(cache.find(keyOf(1, 1001)));
    EXPECT_FALSE(cache.find(keyOf(2, 0)));
    HistogramKey otherScale = keyOf(1, 0);
    otherScale.timeScale = 24;
    EXPECT_FALSE(cache.find(otherScale));
    EXPECT_TRUE(cache.find(keyOf(1, 0)));
}

// A part never replaces the whole layer's histogram; a larger part replaces a
// smaller one; whatever counted as many points already makes a count needless.
TEST(HistogramCache, OnlyAHistogramOfMorePointsReplacesAnEntry) {
    HistogramCache cache;
    const HistogramKey key = keyOf(5);
    EXPECT_TRUE(cache.wants(key, 10));
    cache.store(key, histogramOf(1, 10, 100));  // a part
    EXPECT_FALSE(whole(*cache.find(key)));
    EXPECT_FALSE(cache.wants(key, 10));
    EXPECT_TRUE(cache.wants(key, 40));
    cache.store(key, histogramOf(2, 40, 100));  // a larger part
    EXPECT_EQ(cache.find(key)->counts.red[2], 40);
    cache.store(key, histogramOf(3, 100, 100));  // the whole layer
    EXPECT_TRUE(whole(*cache.find(key)));
    EXPECT_FALSE(cache.wants(key, 100));
    cache.store(key, histogramOf(4, 60, 100));  // a part after the whole: kept out
    EXPECT_EQ(cache.find(key)->counts.red[3], 100);
    EXPECT_EQ(cache.size(), 1u);
}

// Eight render threads storing and looking up different pictures at once: the
// bound holds, and every entry found is one histogram whole (its counts add
// up to the points it counted), never a mix of two.
TEST(HistogramCache, TheBoundHoldsUnderEightThreads) {
    HistogramCache cache;
    std::atomic<int> torn{0};
    std::atomic<size_t> largest{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&cache, &torn, &largest, t] {
            for (int i = 0; i < 400; ++i) {
                const int n = t * 1000 + i;
                CachedHistogram h = histogramOf(n, 1 + n % 50, 50);
                h.counts.alpha[0] = h.pointsCounted;
                cache.store(keyOf(n), h);
                const std::optional<CachedHistogram> found = cache.find(keyOf(t * 1000 + i / 2));
                if (found && (total(found->counts.red) != found->pointsCounted ||
                              found->counts.alpha[0] != found->pointsCounted)) {
                    ++torn;
                }
                size_t seen = largest.load();
                const size_t now = cache.size();
                while (now > seen && !largest.compare_exchange_weak(seen, now)) {
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(torn.load(), 0);
    EXPECT_LE(largest.load(), HistogramCache::kCapacity);
    EXPECT_EQ(cache.size(), HistogramCache::kCapacity);
}

// ---- one render's histogram, as the host's render thread sees it --------------------------------------

class FrameHistogramTest : public zanth_test::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        histogramCache().clear();
    }
    void TearDown() override {
        histogramCache().clear();
        HostTest::TearDown();
    }
    // Counts `layer` as a render of it does, publishing when `rendered`.
    void renderHistogram(const hostsim::World& layer, bool rendered = true) {
        host->setInputLayer(layer.def());
        host->callAs(PF_Cmd_RENDER, [&](PF_InData* in, PF_OutData*) {
            FrameHistogram histogram(in, layer.width(), layer.height());
            histogram.render(*layer.def(), depthOf(layer.format()), 0, 0, [rendered](GridCounting*) {
                return rendered ? PF_Err_NONE : PF_Err_INTERNAL_STRUCT_DAMAGED;
            });
            return PF_Err_NONE;
        });
    }
    // What the editor's draw finds for the layer at the host's time.
    std::optional<CachedHistogram> lookUp() {
        std::optional<CachedHistogram> found;
        host->callAs(PF_Cmd_EVENT, [&](PF_InData* in, PF_OutData*) {
            const std::optional<HistogramKey> key = histogramKeyFor(in);
            if (key) found = histogramCache().find(*key);
            return PF_Err_NONE;
        });
        return found;
    }
};

TEST_F(FrameHistogramTest, TheDrawFindsWhatTheRenderCounted) {
    for (const CountCase& c : {CountCase{1920, 1080, PF_PixelFormat_ARGB32}, CountCase{1, 301, PF_PixelFormat_ARGB64},
                               CountCase{641, 359, PF_PixelFormat_ARGB128}}) {
        SCOPED_TRACE(::testing::PrintToString(c));
        const hostsim::World layer = patterned(c.w, c.h, c.format);
        renderHistogram(layer);
        const std::optional<CachedHistogram> found = lookUp();
        ASSERT_TRUE(found);
        EXPECT_TRUE(whole(*found));
        expectEqualCounts(found->counts, model(layer));
    }
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(FrameHistogramTest, NewPixelsOrAnotherTimeAreAnotherKey) {
    hostsim::World layer = patterned(64, 48, PF_PixelFormat_ARGB32);
    renderHistogram(layer);
    ASSERT_TRUE(lookUp());
    layer.pixel8(10, 10).red ^= 1;  // an upstream change
    EXPECT_FALSE(lookUp());
    renderHistogram(layer);
    ASSERT_TRUE(lookUp());
    host->inData().current_time += host->inData().time_step;
    EXPECT_FALSE(lookUp());
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(FrameHistogramTest, AFailedRenderKeepsNothingAndAKnownKeyCountsNothing) {
    const hostsim::World layer = patterned(200, 100, PF_PixelFormat_ARGB32);
    renderHistogram(layer, false);
    EXPECT_FALSE(lookUp());
    EXPECT_EQ(histogramCache().size(), 0u);
    host->callAs(PF_Cmd_RENDER, [&](PF_InData* in, PF_OutData*) {  // a render that throws
        FrameHistogram histogram(in, layer.width(), layer.height());
        EXPECT_THROW(histogram.render(*layer.def(), kPixelFormat8, 0, 0,
                                      [](GridCounting*) -> PF_Err { throw static_cast<int>(PF_Err_OUT_OF_MEMORY); }),
                     int);
        return PF_Err_NONE;
    });
    EXPECT_EQ(histogramCache().size(), 0u);
    renderHistogram(layer);
    EXPECT_EQ(histogramCache().size(), 1u);
    // The key is held whole: a second render of it counts nothing.
    host->callAs(PF_Cmd_RENDER, [&](PF_InData* in, PF_OutData*) {
        const std::optional<HistogramKey> key = histogramKeyFor(in);
        EXPECT_TRUE(key && !histogramCache().wants(*key, HistogramGrid(200, 100).points()));
        return PF_Err_NONE;
    });
}

// A smart render of a part that holds none of the grid's points keeps no
// entry: an entry of no points would stand for the frame's histogram.
TEST_F(FrameHistogramTest, APartBetweenTheGridsPointsKeepsNothing) {
    const hostsim::World layer = patterned(1000, 600, PF_PixelFormat_ARGB32);
    const HistogramGrid grid(1000, 600);
    int left = 0;
    while (pointsWithin(grid, left, 0, left + 2, 600) != 0) ++left;  // two columns between the points
    ASSERT_LT(left, 10);
    PF_EffectWorld part = *layer.def();
    part.data = reinterpret_cast<PF_PixelPtr>(reinterpret_cast<char*>(part.data) + left * 4);
    part.width = 2;
    host->setInputLayer(layer.def());
    host->callAs(PF_Cmd_SMART_RENDER, [&](PF_InData* in, PF_OutData*) {
        FrameHistogram histogram(in, layer.width(), layer.height());
        EXPECT_EQ(histogram.render(part, kPixelFormat8, left, 0, [](GridCounting* counting) {
            EXPECT_EQ(counting, nullptr);
            return PF_Err_NONE;
        }), PF_Err_NONE);
        return PF_Err_NONE;
    });
    EXPECT_EQ(histogramCache().size(), 0u);
    EXPECT_HOST_CLEAN(*host);
}

// The key is the frame's: the host's state over the frame's own time and
// duration, with that time.
TEST_F(FrameHistogramTest, TheKeyCarriesTheFramesTime) {
    host->inData().current_time = 7 * 1001;
    host->callAs(PF_Cmd_RENDER, [](PF_InData* in, PF_OutData*) {
        const std::optional<HistogramKey> key = histogramKeyFor(in);
        EXPECT_TRUE(key);
        if (!key) return PF_Err_NONE;
        EXPECT_EQ(key->time, 7 * 1001);
        EXPECT_EQ(key->timeScale, in->time_scale);
        return PF_Err_NONE;
    });
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(FrameHistogramTest, WithoutTheHostsStateThereIsNoKeyAndNothingIsKept) {
    const hostsim::World layer = patterned(50, 50, PF_PixelFormat_ARGB32);
    host->refuseSuite("PF Param Utils Suite", 3);
    renderHistogram(layer);
    EXPECT_EQ(histogramCache().size(), 0u);
    host->allowSuite("PF Param Utils Suite", 3);
    host->failCurrentState(PF_Err_INTERNAL_STRUCT_DAMAGED);
    renderHistogram(layer);
    EXPECT_EQ(histogramCache().size(), 0u);
    EXPECT_FALSE(lookUp());
    host->failCurrentState(PF_Err_NONE);
    EXPECT_TRUE(host->outstandingSuites().empty());
    EXPECT_HOST_CLEAN(*host);
}

// ---- the editor's wait for a render -----------------------------------------------------------------

TEST(HistogramPoll, WaitsForTheMissedKeyForTwoSecondsAndANewKeyStartsAgain) {
    using std::chrono::milliseconds;
    const HistogramPoll::Clock::time_point t0{};
    HistogramPoll poll;
    EXPECT_FALSE(poll.awaited(t0));  // nothing missed yet
    poll.missed(keyOf(1), t0);
    EXPECT_EQ(poll.awaited(t0 + milliseconds(1999)), keyOf(1));
    poll.missed(keyOf(1), t0 + milliseconds(1500));  // the same key: the same wait
    EXPECT_EQ(poll.awaited(t0 + milliseconds(2000)), keyOf(1));
    poll.missed(keyOf(2), t0 + milliseconds(1900));  // a new key: a new wait
    EXPECT_EQ(poll.awaited(t0 + milliseconds(3800)), keyOf(2));
    EXPECT_FALSE(poll.awaited(t0 + milliseconds(3901)));  // given up
    EXPECT_FALSE(poll.awaited(t0 + milliseconds(3902)));
    poll.missed(keyOf(2), t0 + milliseconds(5000));  // the next miss starts again
    EXPECT_EQ(poll.awaited(t0 + milliseconds(6000)), keyOf(2));
    poll.redrawAsked();
    EXPECT_FALSE(poll.awaited(t0 + milliseconds(6001)));
    poll.missed(keyOf(3), t0 + milliseconds(7000));
    poll.found();
    EXPECT_FALSE(poll.awaited(t0 + milliseconds(7001)));
}

}  // namespace
