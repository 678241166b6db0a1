// Shared pieces of the zanth-levels command-line tool.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zanth {

// Bad usage: reported on standard error with exit code 2.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const std::string& what) : std::runtime_error(what) {}
};

// A host error code returned by the effect: exit code 1.
class EffectError : public std::runtime_error {
public:
    EffectError(const std::string& command, long code)
        : std::runtime_error(command + " failed: the effect returned host error " + std::to_string(code)) {}
};

struct ToolContext {
    std::string modulePath;  // empty: the module beside the tool
    // Lets the module's own output (its OpenGL description) through to
    // standard error: what --verbose asks for. Otherwise it is discarded.
    std::function<void()> showEffectOutput = [] {};
};

// One subcommand: its name, a one-line summary, its help text and its body.
struct Subcommand {
    const char* name;
    const char* summary;
    const char* help;
    int (*run)(const ToolContext& context, const std::vector<std::string>& args);
    bool takesSettings;  // its --help lists the names --set takes
};

bool wantsHelp(const std::vector<std::string>& args);

// Converts the host's GBK (code page 936) bytes to UTF-8.
std::string gbkToUtf8(const std::string& gbk);

// Subcommands, each in its own file.
int runAbout(const ToolContext& context, const std::vector<std::string>& args);
int runParams(const ToolContext& context, const std::vector<std::string>& args);
int runInspect(const ToolContext& context, const std::vector<std::string>& args);
int runEditor(const ToolContext& context, const std::vector<std::string>& args);
int runRender(const ToolContext& context, const std::vector<std::string>& args);
int runTestPicture(const ToolContext& context, const std::vector<std::string>& args);

}  // namespace zanth
