// The tool's --set values and names, and what a new user meets: numbers are
// plain decimal, a mistyped name is caught before the module is loaded with
// the command's usage and the closest names, --help lists every name, the
// module's own output shows only with --verbose, and about reads as the host
// shows it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ScratchFolder.h"
#include "tests/ToolRunner.h"
#include "tool/DecimalNumber.h"
#include "tool/NameSuggestions.h"
#include "tool/ParamSettings.h"
#include "tool/PngIO.h"
#include "tool/TestPicture.h"
#include "tool/ToolCommon.h"

namespace {

using zanth_test::runTool;
using zanth_test::ScratchFolder;

struct Accepted {
    const char* text;
    double value;
};

void PrintTo(const Accepted& a, std::ostream* out) { *out << '"' << a.text << '"'; }

class DecimalAccepted : public ::testing::TestWithParam<Accepted> {};

TEST_P(DecimalAccepted, IsReadAsItsValue) {
    double value = -12345;
    ASSERT_TRUE(zanth::parseDecimal(GetParam().text, value));
    EXPECT_DOUBLE_EQ(value, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Tool, DecimalAccepted,
                         ::testing::Values(Accepted{"0", 0}, Accepted{"128", 128}, Accepted{"+7", 7},
                                           Accepted{"-30", -30}, Accepted{"1.4", 1.4}, Accepted{"0.25", 0.25},
                                           Accepted{".5", 0.5}, Accepted{"3.", 3}, Accepted{"-.75", -0.75},
                                           Accepted{"1e2", 100}, Accepted{"2.5E-1", 0.25}, Accepted{"5e+0", 5},
                                           Accepted{"007", 7}, Accepted{"-0", 0}, Accepted{"2550000", 2550000}));

class DecimalRefused : public ::testing::TestWithParam<const char*> {};

TEST_P(DecimalRefused, IsNotANumber) {
    double value = 42;
    EXPECT_FALSE(zanth::parseDecimal(GetParam(), value));
    EXPECT_EQ(value, 42) << "a refused text leaves the value alone";
}

INSTANTIATE_TEST_SUITE_P(Tool, DecimalRefused,
                         ::testing::Values("", "0x10", "0X1A", "0x1p3", "1p3", "inf", "-inf", "infinity", "nan",
                                           "NAN", " 1", "1 ", "\t1", "1\n", "+", "-", ".", "e5", "1e", "1e+",
                                           "1.2.3", "1,5", "--1", "+-1", "1f", "one", "1e999", "1_000", "١"));

TEST(NameSuggestions, TheClosestNamesAreOffered) {
    const std::vector<std::string>& names = zanth::settableNames();
    EXPECT_EQ(zanth::closestNames("Gama", names), std::vector<std::string>{"Gamma"});
    EXPECT_EQ(zanth::closestNames("red gama", names), std::vector<std::string>{"Red Gamma"});
    EXPECT_EQ(zanth::closestNames("Input Blak", names), std::vector<std::string>{"Input Black"});
    EXPECT_EQ(zanth::closestNames("Clip To Output Whit", names), std::vector<std::string>{"Clip To Output White"});
    EXPECT_TRUE(zanth::closestNames("Saturation", names).empty());
    EXPECT_EQ(zanth::editDistance("GAMMA", "gamma"), 0u);
    EXPECT_EQ(zanth::didYouMean({"A", "B", "C"}), "; did you mean \"A\", \"B\" or \"C\"?");
}

TEST(ParamSettings, EveryNameIsSettable) {
    const std::vector<std::string>& names = zanth::settableNames();
    // Channel, five sliders for each of five blocks, two checkboxes, View,
    // three pickers, Auto Clip.
    ASSERT_EQ(names.size(), 33u);
    EXPECT_EQ(names.front(), "Channel");
    EXPECT_EQ(names.back(), "Auto Clip");
    for (const std::string& name : names) EXPECT_NE(zanth::settableIndex(name), 0) << name;
    EXPECT_EQ(zanth::settableIndex("Histogram"), 0);
    EXPECT_THROW(zanth::checkSettingNames({"Gamma=1", "Histogram=1"}), zanth::UsageError);
    EXPECT_NO_THROW(zanth::checkSettingNames({"gamma=1", "CHANNEL=Red"}));
}

class ToolSettings : public ::testing::Test {
protected:
    void SetUp() override { zanth::writePng(input_, zanth::generateTestPicture(8, 4)); }
    // Renders with one setting; the tool's result.
    zanth_test::ToolResult renderWith(const std::string& setting) {
        return runTool("render \"" + input_ + "\" \"" + (folder_ / "out.png") + "\" --set \"" + setting + "\"");
    }
    ScratchFolder folder_{"settings"};
    std::string input_ = folder_ / "in.png";
};

TEST_F(ToolSettings, OnlyDecimalNumbersAreTaken) {
    for (const char* setting : {"Gamma=0x1", "Input Black=0x10", "Gamma=0x1p1", "Channel=0x3", "Gamma= 1",
                                "Gamma=1 ", "Gamma=inf", "Gamma=nan", "Channel= 2", "Channel=2 "}) {
        const auto r = renderWith(setting);
        EXPECT_EQ(r.exitCode, 2) << setting;
        EXPECT_EQ(folder_.names(), std::vector<std::string>{"in.png"}) << setting;
    }
    for (const char* setting : {"Gamma=1.5", "Input Black=1e1", "Channel=3", "Output White=+200"}) {
        const auto r = renderWith(setting);
        EXPECT_EQ(r.exitCode, 0) << setting << "\n" << r.err;
    }
}

TEST_F(ToolSettings, AMistypedNameIsCaughtBeforeTheModuleIsLoaded) {
    for (const std::string& command : {"render \"" + input_ + "\" \"" + (folder_ / "out.png") + "\"",
                                      "editor \"" + (folder_ / "out.png") + "\""}) {
        const auto r = runTool("--module /nonexistent/ZanthLevels.so " + command + " --set Gama=2");
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_NE(r.err.find("unknown parameter \"Gama\"; did you mean \"Gamma\"?"), std::string::npos) << r.err;
        const std::string name = command.substr(0, command.find(' '));
        EXPECT_NE(r.err.find("usage: zanth-levels " + name), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("commands:"), std::string::npos) << "the top-level help instead of the command's\n" << r.err;
        EXPECT_EQ(r.err.find("cannot open module"), std::string::npos) << r.err;
    }
}

TEST(ToolHelp, RenderAndEditorListEveryName) {
    for (const char* command : {"render --help", "editor --help"}) {
        const auto r = runTool(command);
        ASSERT_EQ(r.exitCode, 0);
        for (const std::string& name : zanth::settableNames()) {
            const bool listed =
                r.out.find(" " + name + ",") != std::string::npos || r.out.find(" " + name + "\n") != std::string::npos;
            EXPECT_TRUE(listed) << command << " does not list " << name;
        }
        EXPECT_NE(r.out.find("--verbose"), std::string::npos) << command;
    }
}

TEST_F(ToolSettings, TheModulesOwnOutputShowsOnlyWhenVerbose) {
    const std::string out = "\"" + (folder_ / "out.png") + "\"";
    std::vector<std::string> commands = {"render \"" + input_ + "\" " + out, std::string("params")};
#if !defined(_WIN32)
    commands.push_back("editor " + out);  // Windows builds of the simulator draw no pixels
#endif
    for (const std::string& command : commands) {
        const auto quiet = runTool(command);
        ASSERT_EQ(quiet.exitCode, 0) << quiet.err;
        EXPECT_EQ(quiet.err, "") << command;
        const auto verbose = runTool(command + " --verbose");
        ASSERT_EQ(verbose.exitCode, 0) << verbose.err;
        // The description the module prints at global set-up once it has an OpenGL context.
        EXPECT_NE(verbose.err.find("OpenGL Version:"), std::string::npos) << command << "\n" << verbose.err;
        EXPECT_EQ(verbose.out, quiet.out) << command;
    }
}

TEST(ToolAbout, ShowsLineBreaksAsTheHostDoesAndRawKeepsTheBytes) {
    const auto shown = runTool("about");
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_EQ(shown.out, "Zanth Levels v1.0\nZanth Levels\n");
    const auto raw = runTool("about --raw");
    ASSERT_EQ(raw.exitCode, 0) << raw.err;
    EXPECT_EQ(raw.out, "Zanth Levels v1.0\rZanth Levels");
}

}  // namespace
