// zanth-levels render as a person runs it: a picture corrected as the model
// says, parameters by English name, and every kind of misuse refused with
// exit code 2, a message naming the problem and no output file.
#include <gtest/gtest.h>

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "tests/LevelsReference.h"
#include "tests/ToolRunner.h"
#include "tool/DeepConversion.h"
#include "tool/ExrIO.h"
#include "tool/PngIO.h"
#include "tool/TestPicture.h"

namespace {

using namespace zanth_test;

std::string tempPath(const std::string& name) { return ::testing::TempDir() + "zanth-render-" + name; }

bool exists(const std::string& path) { return std::ifstream(path).good(); }

// An 8-bit PNG of the given colour type (grey or RGB), one row of values.
void writePlainPng(const std::string& path, int colourType, const std::vector<uint8_t>& row, int width) {
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, width, 1, 8, colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_bytep rows[1] = {const_cast<png_bytep>(row.data())};
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

TEST(RenderTool, CorrectsAPictureAsTheModelSays) {
    const std::string input = tempPath("input.png");
    const std::string output = tempPath("output.png");
    std::remove(output.c_str());
    const auto picture = runTool("testpicture \"" + input + "\" --size 256x100");
    ASSERT_EQ(picture.exitCode, 0) << picture.err;
    const auto r = runTool("render \"" + input + "\" \"" + output +
                           "\" --set \"Input Black=20\" --set \"Gamma=1.6\" --set \"Red Output White=200\""
                           " --set \"blue gamma=0.6\" --set \"Alpha Input White=200\" --set \"Clip To Output White=off\""
                           " --set Channel=Red");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "") << "the tool prints nothing of its own; the effect's diagnostics go to standard error";

    LevelsSettings s;
    s.composite.inputBlack = 20;
    s.composite.gamma = 1.6;
    s.red.outputWhite = 200;
    s.blue.gamma = 0.6;
    s.alpha.inputWhite = 200;
    s.clipWhite = false;
    const zanth::RgbaImage in = zanth::readPng(input);
    const zanth::RgbaImage out = zanth::readPng(output);
    ASSERT_EQ(out.width, in.width);
    ASSERT_EQ(out.height, in.height);
    int wrong = 0;
    int checked = 0;
    const Channel order[4] = {kRed, kGreen, kBlue, kAlpha};  // PNG bytes are R, G, B, A
    for (size_t i = 0; i < in.rgba.size(); ++i) {
        ++checked;
        if (out.rgba[i] != byteModel(in.rgba[i], order[i % 4], s)) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(checked, static_cast<int>(in.rgba.size()));
    // The orientation marker is still in the top-left corner.
    EXPECT_EQ(out.rgba[3], in.rgba[3]);
    EXPECT_EQ(out.rgba[3], 255);
}

TEST(RenderTool, PicturesWithoutAlphaAreOpaque) {
    const std::string output = tempPath("plain-out.png");
    for (int type : {PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_RGB}) {
        const std::string input = tempPath("plain.png");
        const int channels = type == PNG_COLOR_TYPE_GRAY ? 1 : 3;
        std::vector<uint8_t> row(256 * channels);
        for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<uint8_t>(i / channels);
        writePlainPng(input, type, row, 256);
        const auto r = runTool("render \"" + input + "\" \"" + output + "\"");
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const zanth::RgbaImage out = zanth::readPng(output);
        ASSERT_EQ(out.width, 256);
        for (int x = 0; x < 256; ++x) {
            EXPECT_EQ(out.rgba[x * 4 + 0], x);
            EXPECT_EQ(out.rgba[x * 4 + 1], x);
            EXPECT_EQ(out.rgba[x * 4 + 2], x);
            EXPECT_EQ(out.rgba[x * 4 + 3], 255);
        }
    }
}

// --auto and --auto-channels print the levels the editor's auto button sets
// on a 256 x 256 picture (one histogram sample a pixel) whose red runs 40..200
// and green and blue 60..180, with one outlier at 0 and one at 255 in each
// channel (under the default 0.1 % clip); a picker set by name prints the
// levels its pick set; the View popup takes its choices by name.
TEST(RenderTool, AutoLevelsPickersAndTheViewByName) {
    const std::string input = tempPath("auto-in.png");
    const std::string output = tempPath("auto-out.png");
    zanth::RgbaImage picture;
    picture.width = picture.height = 256;
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            const auto span = [&](int lo, int hi) {
                if (y == 0 && (x == 0 || x == 255)) return static_cast<uint8_t>(x);
                return static_cast<uint8_t>(lo + (hi - lo) * std::clamp(x - 1, 0, 253) / 253);
            };
            picture.rgba.insert(picture.rgba.end(), {span(40, 200), span(60, 180), span(60, 180), 255});
        }
    }
    zanth::writePng(input, picture);
    const auto all = runTool("render \"" + input + "\" \"" + output + "\" --auto");
    ASSERT_EQ(all.exitCode, 0) << all.err;
    EXPECT_EQ(all.out, "Input Black=40\nInput White=200\n");
    const auto each = runTool("render \"" + input + "\" \"" + output + "\" --auto-channels");
    ASSERT_EQ(each.exitCode, 0) << each.err;
    EXPECT_EQ(each.out,
              "Red Input Black=40\nRed Input White=200\nGreen Input Black=60\nGreen Input White=180\n"
              "Blue Input Black=60\nBlue Input White=180\n");
    const auto picked = runTool("render \"" + input + "\" \"" + output +
                                "\" --set \"Red Input White=200\" --set \"White Point=100,150,255\" --set View=\"Shadow Clipping\"");
    ASSERT_EQ(picked.exitCode, 0) << picked.err;
    EXPECT_EQ(picked.out, "Red Input White=78.4314\nGreen Input White=150\nBlue Input White=255\n");
}

struct Misuse {
    const char* name;
    const char* settings;
    const char* message;
};

std::ostream& operator<<(std::ostream& out, const Misuse& m) { return out << m.name; }

class RenderToolMisuse : public ::testing::TestWithParam<Misuse> {};

TEST_P(RenderToolMisuse, ExitsWithTwoANamedProblemAndNoOutput) {
    const std::string input = tempPath("misuse-in.png");
    zanth::writePng(input, zanth::generateTestPicture(16, 8));
    const std::string output = tempPath(std::string("misuse-out-") + GetParam().name + ".png");
    std::remove(output.c_str());
    std::string args = GetParam().settings;
    const size_t at = args.find("INPUT");
    if (at != std::string::npos) args.replace(at, 5, "\"" + input + "\"");
    const auto r = runTool("render " + args + " \"" + output + "\"");
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_NE(r.err.find(GetParam().message), std::string::npos) << r.err;
    EXPECT_FALSE(exists(output)) << "an output file was written";
}

INSTANTIATE_TEST_SUITE_P(
    Tool, RenderToolMisuse,
    ::testing::Values(Misuse{"UnknownName", "INPUT --set \"Purple Gamma=1\"", "unknown parameter \"Purple Gamma\""},
                      Misuse{"NotANumber", "INPUT --set \"Gamma=bright\"", "needs a number"},
                      Misuse{"OutOfRange", "INPUT --set \"Gamma=7\"", "outside its valid range"},
                      Misuse{"BadChannel", "INPUT --set \"Channel=Purple\"", "Channel"},
                      Misuse{"BadCheckbox", "INPUT --set \"Clip To Output Black=maybe\"", "0, 1, on or off"},
                      Misuse{"NoEquals", "INPUT --set Gamma", "NAME=VALUE"},
                      Misuse{"MissingInput", "/nonexistent/picture.png", "/nonexistent/picture.png"},
                      Misuse{"UnreadableInput", "/etc/hostname", "not a PNG"},
                      Misuse{"NoOutputGiven", "", "INPUT.png OUTPUT.png"},
                      Misuse{"UnknownOption", "INPUT --brighter", "unknown argument"},
                      Misuse{"BadView", "INPUT --set \"View=Sepia\"", "Result, Shadow Clipping, Highlight Clipping"},
                      Misuse{"BadColour", "INPUT --set \"Grey Point=1,2\"", "R,G,B"},
                      Misuse{"ColourOutOfRange", "INPUT --set \"Black Point=0,0,256\"", "R,G,B"}),
    [](const ::testing::TestParamInfo<Misuse>& info) { return info.param.name; });

TEST(RenderTool, TestPictureWritesTheGeneratedPicture) {
    const std::string path = tempPath("generated.png");
    const auto r = runTool("testpicture \"" + path + "\"");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const zanth::RgbaImage written = zanth::readPng(path);
    const zanth::RgbaImage expected = zanth::generateTestPicture();
    EXPECT_EQ(written.width, expected.width);
    EXPECT_EQ(written.height, expected.height);
    EXPECT_EQ(written.rgba, expected.rgba);
    EXPECT_EQ(runTool("testpicture").exitCode, 2);
    EXPECT_EQ(runTool("testpicture x.png --size 0x3").exitCode, 2);
}

}  // namespace

// ---- deep pictures ------------------------------------------------------------------------------

namespace {

TEST(DeepPictures, EveryHostCodeSurvivesA16BitPng) {
    EXPECT_EQ(zanth::png16FromHost(0), 0);
    EXPECT_EQ(zanth::png16FromHost(32768), 65535);
    EXPECT_EQ(zanth::hostFromPng16(65535), 32768);
    EXPECT_EQ(zanth::hostFromPng16(0), 0);
    for (int code = 0; code <= 32768; ++code) {
        const uint16_t png = zanth::png16FromHost(static_cast<uint16_t>(code));
        ASSERT_EQ(zanth::hostFromPng16(png), code) << "host code " << code << " came back changed";
    }
    for (int png = 1; png <= 65535; ++png) {
        ASSERT_GE(zanth::hostFromPng16(static_cast<uint16_t>(png)), zanth::hostFromPng16(static_cast<uint16_t>(png - 1)));
    }
}

TEST(DeepPictures, A16BitPngRendersAtItsDepthAsTheModelSays) {
    const std::string input = tempPath("input16.png");
    const std::string output = tempPath("output16.png");
    std::remove(output.c_str());
    const auto picture = runTool("testpicture \"" + input + "\" --size 301x40 --depth 16");
    ASSERT_EQ(picture.exitCode, 0) << picture.err;
    const auto r = runTool("render \"" + input + "\" \"" + output + "\" --set \"Gamma=2.2\" --set \"Input White=230\"");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    LevelsSettings s;
    s.composite.gamma = 2.2;
    s.composite.inputWhite = 230;
    const zanth::RgbaImage in = zanth::readPng(input);
    const zanth::RgbaImage out = zanth::readPng(output);
    ASSERT_EQ(out.bitsPerChannel, 16);
    ASSERT_EQ(out.rgba16.size(), in.rgba16.size());
    const Channel order[4] = {kRed, kGreen, kBlue, kAlpha};
    int wrong = 0;
    for (size_t i = 0; i < in.rgba16.size(); ++i) {
        if (zanth::hostFromPng16(out.rgba16[i]) != codeModel16(zanth::hostFromPng16(in.rgba16[i]), order[i % 4], s)) {
            ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(DeepPictures, AnExrRendersInFloatThroughSmartRenderingAsTheModelSays) {
#if !defined(ZANTH_HAVE_OPENEXR)
    GTEST_SKIP() << "this build of the tool has no OpenEXR (the Windows cross-build)";
#endif
    const std::string input = tempPath("input.exr");
    const std::string output = tempPath("output.exr");
    std::remove(output.c_str());
    const auto picture = runTool("testpicture \"" + input + "\" --size 97x64 --depth 32");
    ASSERT_EQ(picture.exitCode, 0) << picture.err;
    const auto r = runTool("render \"" + input + "\" \"" + output +
                           "\" --set \"Gamma=1.8\" --set \"Clip To Output White=off\" --set \"Red Output Black=20\"");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    LevelsSettings s;
    s.composite.gamma = 1.8;
    s.clipWhite = false;
    s.red.outputBlack = 20;
    const zanth::FloatImage in = zanth::readExr(input);
    const zanth::FloatImage out = zanth::readExr(output);
    ASSERT_EQ(out.rgba.size(), in.rgba.size());
    const Channel order[4] = {kRed, kGreen, kBlue, kAlpha};
    int wrong = 0;
    float largest = 0.0f;
    for (size_t i = 0; i < in.rgba.size(); ++i) {
        const float model = channelModelUnclamped(in.rgba[i], order[i % 4], s);
        largest = std::max(largest, out.rgba[i]);
        if (std::fabs(out.rgba[i] - model) > 1e-6f * std::max(1.0f, std::fabs(model))) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(largest, 1.5f) << "over-bright values pass with white clipping off";
}

TEST(DeepPictures, AnExrInputNeedsAnExrOutput) {
#if !defined(ZANTH_HAVE_OPENEXR)
    GTEST_SKIP() << "this build of the tool has no OpenEXR (the Windows cross-build)";
#endif
    const std::string input = tempPath("kind.exr");
    const std::string output = tempPath("kind-out.png");
    std::remove(output.c_str());
    ASSERT_EQ(runTool("testpicture \"" + input + "\" --size 8x8 --depth 32").exitCode, 0);
    const auto r = runTool("render \"" + input + "\" \"" + output + "\"");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_FALSE(exists(output));
}

}  // namespace
