// The zanth-levels tool's information commands and its error handling.
#include <gtest/gtest.h>

#include <vector>

#include "hostsim/Module.h"
#include "tests/ToolRunner.h"

namespace {

using zanth_test::runTool;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string f; std::getline(in, f, '\t');) out.push_back(f);
    return out;
}

TEST(Tool, AboutRawPrintsTheTextByteForByte) {
    const auto r = runTool("about --raw");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Zanth Levels v1.0\rZanth Levels");
}

TEST(Tool, ParamsListsEveryDeclaredParameter) {
    const auto r = runTool("params");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto rows = lines(r.out);
    ASSERT_EQ(rows.size(), 44u);
    EXPECT_EQ(fields(rows[0]).at(0), "1");
    EXPECT_EQ(fields(rows[0]).at(1), "0");
    EXPECT_EQ(fields(rows[0]).at(2), "popup");
    EXPECT_EQ(fields(rows[0]).at(3), "Channel");
    EXPECT_NE(rows[0].find("flags=0x42"), std::string::npos);
    EXPECT_EQ(fields(rows[5]).at(3), "Gamma");
    EXPECT_NE(rows[5].find("valid=0..5"), std::string::npos) << rows[5];
    EXPECT_NE(rows[3].find("valid=-2550000..2550000"), std::string::npos) << rows[3];
    EXPECT_EQ(fields(rows[38]).at(0), "39");
    EXPECT_EQ(fields(rows[38]).at(1), "38");
    EXPECT_EQ(fields(rows[38]).at(3), "Clip To Output White");
    EXPECT_EQ(fields(rows[39]).at(3), "View");
    EXPECT_NE(rows[39].find("choices=3:Result|Shadow Clipping|Highlight Clipping"), std::string::npos) << rows[39];
    EXPECT_EQ(fields(rows[41]).at(1), "41");
    EXPECT_EQ(fields(rows[41]).at(2), "colour");
    EXPECT_NE(rows[41].find("default=128,128,128"), std::string::npos) << rows[41];
    EXPECT_EQ(fields(rows[43]).at(3), "Auto Clip");
    EXPECT_NE(rows[43].find("valid=0..10"), std::string::npos) << rows[43];
}

TEST(Tool, ParamsInChineseAreConvertedToUtf8) {
    const auto r = runTool("params --language zh_CN");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto rows = lines(r.out);
    ASSERT_EQ(rows.size(), 44u);
    EXPECT_EQ(fields(rows[0]).at(3), "\xE9\x80\x9A\xE9\x81\x93");  // 通道
    EXPECT_EQ(fields(rows[39]).at(3), "\xE8\xA7\x86\xE5\x9B\xBE");  // 视图
    EXPECT_EQ(fields(rows[2]).at(3), "RGB");
    EXPECT_EQ(fields(rows[12]).at(3), "\xE7\xBA\xA2\xE8\x89\xB2\xE7\x81\xB0\xE5\xBA\xA6\xE7\xB3\xBB\xE6\x95\xB0");
}

TEST(Tool, InspectDecodesAndRawWritesTheExactBytes) {
    const auto r = runTool("inspect");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("kind: eFKT\n"), std::string::npos);
    EXPECT_NE(r.out.find("name: \"Zanth Levels\"\n"), std::string::npos);
    EXPECT_NE(r.out.find("8664: \"EntryPointFunc\"\n"), std::string::npos);
    EXPECT_NE(r.out.find("eMNA: \"Zanth_Levels\"\n"), std::string::npos);
    EXPECT_EQ(lines(r.out).size(), 14u);
    const auto raw = runTool("inspect --raw");
    ASSERT_EQ(raw.exitCode, 0);
    const std::vector<uint8_t> bytes = hostsim::readRegistrationBytes(ZANTH_MODULE_PATH);
    EXPECT_EQ(raw.out, std::string(bytes.begin(), bytes.end()));
}

// What the simulator says of a file that is no module of the platform's kind.
#if defined(_WIN32)
constexpr const char* kNotAModule = "not a 64-bit PE module";
#else
constexpr const char* kNotAModule = "not a 64-bit ELF";
#endif

struct Misuse {
    const char* args;
    int exitCode;
    const char* message;
};

void PrintTo(const Misuse& m, std::ostream* os) { *os << "zanth-levels " << m.args; }

class ToolMisuse : public ::testing::TestWithParam<Misuse> {};

TEST_P(ToolMisuse, SaysWhatIsWrong) {
    const auto r = runTool(GetParam().args);
    EXPECT_EQ(r.exitCode, GetParam().exitCode) << r.err;
    EXPECT_NE(r.err.find(GetParam().message), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Tool, ToolMisuse,
    ::testing::Values(Misuse{"", 2, "no command"}, Misuse{"frobnicate", 2, "unknown command frobnicate"},
                      Misuse{"about extra", 2, "unknown argument to about: extra"}, Misuse{"params --language", 2, "needs a tag"},
                      Misuse{"params --bogus", 2, "unknown argument"}, Misuse{"--module", 2, "needs a path"},
                      Misuse{"--module /nonexistent/ZanthLevels.so about", 1, "cannot open module"},
                      Misuse{"--module /etc/hostname inspect", 1, kNotAModule}));

TEST(Tool, HelpEverywhere) {
    for (const char* args : {"--help", "about --help", "params --help", "inspect --help"}) {
        const auto r = runTool(args);
        EXPECT_EQ(r.exitCode, 0) << args;
        EXPECT_NE(r.out.find("usage: zanth-levels"), std::string::npos) << args;
    }
}

}  // namespace
