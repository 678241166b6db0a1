// Runs the zanth-levels tool as a person would and captures what it prints.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#if defined(_WIN32)
#include <process.h>
#define zanth_getpid _getpid
#else
#include <sys/wait.h>
#include <unistd.h>
#define zanth_getpid getpid
#endif

namespace zanth_test {

struct ToolResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// `args` is appended to the tool's path as it stands (quote as in a shell).
inline ToolResult runTool(const std::string& args) {
    static int counter = 0;
    // Test processes run in parallel: the names carry the process id.
    const std::string base = ::testing::TempDir() + "zanth-tool-" + std::to_string(zanth_getpid()) + "-" +
                             std::to_string(++counter);
    const std::string command =
        std::string("\"") + ZANTH_TOOL_PATH + "\" " + args + " >\"" + base + ".out\" 2>\"" + base + ".err\"";
#if defined(_WIN32)
    // cmd.exe /c drops the first and the last quote of a line that starts with
    // one: the whole line is quoted once more so that the tool's path survives.
    const int status = std::system(("\"" + command + "\"").c_str());
#else
    const int status = std::system(command.c_str());
#endif
    ToolResult r;
#if defined(_WIN32)
    r.exitCode = status;
#else
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    r.out = slurp(base + ".out");
    r.err = slurp(base + ".err");
    std::remove((base + ".out").c_str());
    std::remove((base + ".err").c_str());
    return r;
}

}  // namespace zanth_test
