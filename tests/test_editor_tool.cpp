// zanth-levels editor, run as a person would: the PNG it writes, the lines it
// prints, and its handling of bad usage.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <string>

#include "tests/ToolRunner.h"
#include "tool/PngIO.h"
#include "tool/TestPicture.h"

namespace {

using zanth_test::runTool;

// Names of this process's own: CTest runs test processes side by side.
std::string tempPath(const std::string& name) {
    return ::testing::TempDir() + "zanth-editor-" + std::to_string(zanth_getpid()) + "-" + name;
}

bool exists(const std::string& path) { return std::ifstream(path).good(); }

// The tool writes pixels only where the simulator's Drawbot has a raster (not
// in builds without Cairo, where it refuses with exit code 1).
#if defined(ZANTH_DRAWBOT_RASTER)

std::array<int, 4> pixel(const zanth::RgbaImage& image, int x, int y) {
    const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

TEST(EditorTool, DrawsTheControlForTheGeneratedPicture) {
    const std::string out = tempPath("plain.png");
    std::remove(out.c_str());
    const zanth_test::ToolResult r = runTool("editor \"" + out + "\"");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "display=colour\nscale=0.25\n");
    const zanth::RgbaImage image = zanth::readPng(out);
    ASSERT_EQ(image.width, 300);
    ASSERT_EQ(image.height, 110);
    EXPECT_EQ(pixel(image, 2, 2), (std::array<int, 4>{38, 38, 38, 255}));          // the panel
    EXPECT_EQ(pixel(image, 115, 94), (std::array<int, 4>{100, 100, 100, 255}));   // the gradient
    EXPECT_EQ(pixel(image, 100, 75)[0], 179);                                      // the frame line
    std::remove(out.c_str());
}

TEST(EditorTool, EventsChangeParametersModeAndScaleAndAskForCursors) {
    const std::string out = tempPath("events.png");
    const zanth_test::ToolResult r = runTool(
        "editor \"" + out + "\" --zoom 2 --set Channel=Red --set \"Red Gamma=2\""
        " --event click:15,78 --event drag:60,78 --event drag:70,78"  // red input black to 55
        " --event click:100,40"                                        // the histogram: combined mode
        " --event click:275,30 --event drag:275,35"                    // the scale slider
        " --event cursor:290,29 --event cursor:5,5"
        " --event click:270,102 --event drag:250,102");                // red output white to 235
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "Red Input Black=55\nRed Output White=235\ndisplay=combined\nscale=0.583333\n"
              "cursor 290,29: finger\ncursor 5,5: arrow\n");
    const zanth::RgbaImage image = zanth::readPng(out);
    EXPECT_EQ(image.width, 600);
    EXPECT_EQ(image.height, 220);
    std::remove(out.c_str());
}

// The auto button through the editor command: a click and a Shift-click print
// the levels they set, and the cursor over the button is a finger.
TEST(EditorTool, TheAutoButtonSetsTheLevelsFromTheHistogram) {
    const std::string out = tempPath("auto.png");
    const zanth_test::ToolResult r =
        runTool("editor \"" + out + "\" --event cursor:290,60 --event auto --event auto-channels");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Input Black="), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Blue Input White="), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("cursor 290,60: finger"), std::string::npos) << r.out;
    std::remove(out.c_str());
}

TEST(EditorTool, AGammaDragIsKeptWithinTheValidRange) {
    const std::string out = tempPath("gamma.png");
    const zanth_test::ToolResult r =
        runTool("editor \"" + out + "\" --set=Channel=RGB --event click:142,78 --event drag:16,78 --event drag:10,78");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Gamma=5\ndisplay=colour\nscale=0.25\n");
    std::remove(out.c_str());
}

TEST(EditorTool, TheInputPictureSetsTheHistogram) {
    const std::string in = tempPath("grey.png");
    const std::string out = tempPath("grey-editor.png");
    zanth::RgbaImage grey;
    grey.width = 40;
    grey.height = 30;
    grey.rgba.assign(40 * 30 * 4, 100);
    for (size_t k = 3; k < grey.rgba.size(); k += 4) grey.rgba[k] = 255;
    zanth::writePng(in, grey);
    const zanth_test::ToolResult r = runTool("editor \"" + out + "\" --input \"" + in + "\"");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const zanth::RgbaImage image = zanth::readPng(out);
    EXPECT_EQ(pixel(image, 15 + 100, 5), (std::array<int, 4>{255, 255, 255, 255}));  // bin 100, all three channels
    EXPECT_EQ(pixel(image, 15 + 99, 74), (std::array<int, 4>{0, 0, 0, 255}));
    std::remove(in.c_str());
    std::remove(out.c_str());
}

#endif  // ZANTH_DRAWBOT_RASTER

TEST(EditorTool, BadUsageExitsWithTwoAndWritesNothing) {
    const std::string out = tempPath("never.png");
    std::remove(out.c_str());
    for (const std::string& args : {
             std::string("editor"),
             "editor \"" + out + "\" --set \"Nonsense=3\"",
             "editor \"" + out + "\" --set \"Gamma=7\"",
             "editor \"" + out + "\" --set \"Input Black=dark\"",
             "editor \"" + out + "\" --event tap:1,2",
             "editor \"" + out + "\" --event click:1",
             "editor \"" + out + "\" --event click:a,b",
             "editor \"" + out + "\" --zoom 0",
             "editor \"" + out + "\" --zoom 17",
             "editor \"" + out + "\" --input \"" + tempPath("missing.png") + "\"",
             "editor \"" + out + "\" other.png",
             "editor \"" + out + "\" --colour",
         }) {
        const zanth_test::ToolResult r = runTool(args);
        EXPECT_EQ(r.exitCode, 2) << args << "\n" << r.err;
        EXPECT_FALSE(r.err.empty()) << args;
        EXPECT_TRUE(r.out.empty()) << args;
        EXPECT_FALSE(exists(out)) << args;
    }
}

TEST(EditorTool, HelpDescribesTheCommand) {
    const zanth_test::ToolResult r = runTool("editor --help");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("--event click:X,Y | drag:X,Y | cursor:X,Y"), std::string::npos);
    const zanth_test::ToolResult list = runTool("--help");
    EXPECT_NE(list.out.find("editor"), std::string::npos);
}

}  // namespace
