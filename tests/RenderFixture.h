// Scaffolding for frames rendered through the module in the simulated host:
// pictures that hold every byte value in every channel, parameter settings,
// and the check of a frame against the CPU model of the levels map.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "hostsim/World.h"
#include "params/ParamIndices.h"
#include "tests/HostFixture.h"
#include "tests/LevelsReference.h"

namespace zanth_test {

// 256 x `height` pixels: along each row every channel runs through all 256
// values, each channel and row in its own order, so that a swapped channel, a
// flipped or shifted row or a lost padding byte all show.
inline hostsim::World everyValuePicture(int height = 4, int rowPadding = 0) {
    hostsim::World world(256, height, PF_PixelFormat_ARGB32, rowPadding);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < 256; ++x) {
            PF_Pixel8& p = world.pixel8(x, y);
            p.alpha = static_cast<A_u_char>((x * 7 + 13 * y) % 256);  // 7 is odd: a permutation
            p.red = static_cast<A_u_char>((x + 85 + 29 * y) % 256);
            p.green = static_cast<A_u_char>((255 - x + 41 * y) % 256);
            p.blue = static_cast<A_u_char>((x * 3 + 170 + 53 * y) % 256);
        }
    }
    return world;
}

// Every byte of the world's memory, padding included, set to `value`.
inline void fillBytes(hostsim::World& world, uint8_t value) {
    std::memset(world.memory().data(), value, world.memory().size());
}

// The world as a host that stores rows bottom-up hands it: row y of the view
// is row height - 1 - y of the world (data at the world's last row, rowbytes
// negative).
inline PF_EffectWorld bottomUp(hostsim::World& world) {
    PF_EffectWorld view = *world.def();
    view.data = reinterpret_cast<PF_PixelPtr>(world.row(world.height() - 1));
    view.rowbytes = -view.rowbytes;
    return view;
}

// The host's parameter store takes the settings.
inline void applySettings(hostsim::Host& host, const LevelsSettings& s) {
    using namespace Ombrix::Levels;
    const ChannelLevels* blocks[] = {&s.composite, &s.red, &s.green, &s.blue, &s.alpha};
    for (int block = 0; block < kChannelCount; ++block) {
        host.param(blockStart(block) + kSlotInputBlack).u.fs_d.value = blocks[block]->inputBlack;
        host.param(blockStart(block) + kSlotInputWhite).u.fs_d.value = blocks[block]->inputWhite;
        host.param(blockStart(block) + kSlotGamma).u.fs_d.value = blocks[block]->gamma;
        host.param(blockStart(block) + kSlotOutputBlack).u.fs_d.value = blocks[block]->outputBlack;
        host.param(blockStart(block) + kSlotOutputWhite).u.fs_d.value = blocks[block]->outputWhite;
    }
    host.param(kParamClipBlack).u.bd.value = s.clipBlack ? 1 : 0;
    host.param(kParamClipWhite).u.bd.value = s.clipWhite ? 1 : 0;
}

struct FrameCheck {
    int checked = 0;
    int wrong = 0;
    std::string firstWrong;
};

// Compares the overlap of `output` with the model applied to `input`.
inline FrameCheck checkFrame(const hostsim::World& inputWorld, const hostsim::World& outputWorld,
                             const LevelsSettings& s) {
    auto& input = const_cast<hostsim::World&>(inputWorld);
    auto& output = const_cast<hostsim::World&>(outputWorld);
    FrameCheck check;
    const int width = std::min(input.width(), output.width());
    const int height = std::min(input.height(), output.height());
    const char* names[] = {"alpha", "red", "green", "blue"};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (Channel c : {kAlpha, kRed, kGreen, kBlue}) {
                const int in = channelOf(input.pixel8(x, y), c);
                const int out = channelOf(output.pixel8(x, y), c);
                const int expected = byteModel(in, c, s);
                ++check.checked;
                if (out != expected) {
                    if (check.wrong++ == 0) {
                        std::ostringstream text;
                        text << names[c] << " at (" << x << ", " << y << "): input " << in << ", output " << out
                             << ", expected " << expected;
                        check.firstWrong = text.str();
                    }
                }
            }
        }
    }
    return check;
}

// The two render paths, as ZANTH_LEVELS_RENDERER forces them at global set-up.
enum class Path { Gpu, Cpu };

inline const char* pathName(Path path) { return path == Path::Gpu ? "Gpu" : "Cpu"; }
inline std::ostream& operator<<(std::ostream& out, Path path) { return out << pathName(path); }

// Sets ZANTH_LEVELS_RENDERER for the module's next global set-up; null unsets it.
inline void setRendererVariable(const char* value) {
#if defined(_WIN32)
    _putenv_s("ZANTH_LEVELS_RENDERER", value ? value : "");
#else
    if (value) {
        setenv("ZANTH_LEVELS_RENDERER", value, 1);
    } else {
        unsetenv("ZANTH_LEVELS_RENDERER");
    }
#endif
}

inline void forcePath(Path path) { setRendererVariable(path == Path::Gpu ? "gpu" : "cpu"); }

// Global set-up with the path forced: it must succeed and say that it renders
// on that path (a GPU test never passes without a GL context).
inline void setUpOnPath(hostsim::Host& host, Path path) {
    forcePath(path);
    host.setLanguageTag("en_US");
    ::testing::internal::CaptureStdout();
    const PF_Err err = host.globalSetup();
    const std::string printed = ::testing::internal::GetCapturedStdout();
    ASSERT_EQ(err, PF_Err_NONE) << "global set-up on the " << path << " path failed" << printed;
    const std::string said = std::string("Zanth Levels renders on the ") + (path == Path::Gpu ? "GPU" : "CPU");
    ASSERT_NE(printed.find(said), std::string::npos) << printed;
    ASSERT_EQ(host.paramsSetup(), PF_Err_NONE);
}

// A host with the effect set up (global and parameter set-up) on the path of
// path() (the GPU unless a test says otherwise); every test ends with a
// global set-down.
class RenderTest : public HostTest {
protected:
    virtual Path path() const { return Path::Gpu; }
    void SetUp() override {
        HostTest::SetUp();
        setUpOnPath(*host, path());
    }
    void TearDown() override {
        HostTest::TearDown();
        setRendererVariable(nullptr);
    }
    PF_Err render(hostsim::World& input, hostsim::World& output) {
        host->setInputLayer(input.def());
        return host->render(output.def());
    }
};

// The same tests on each path.
class PathRenderTest : public RenderTest, public ::testing::WithParamInterface<Path> {
protected:
    Path path() const override { return GetParam(); }
};

inline std::string pathTestName(const ::testing::TestParamInfo<Path>& info) { return pathName(info.param); }

}  // namespace zanth_test
