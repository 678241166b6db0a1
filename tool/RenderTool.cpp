// render and testpicture: one frame through the module, and the picture to try it on.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iostream>

#include "hostsim/Host.h"
#include "hostsim/World.h"
#include "tool/DeepConversion.h"
#include "tool/ExrIO.h"
#include "tool/ParamSettings.h"
#include "tool/OutputFile.h"
#include "tool/PictureLimits.h"
#include "tool/PictureWorld.h"
#include "tool/PngIO.h"
#include "tool/TestPicture.h"
#include "tool/ToolCommon.h"

namespace zanth {
namespace {

constexpr int kRowPadding = 24;  // the host's worlds have padded rows; so do the tool's

// Global set-up and parameter set-up on construction, global set-down when
// the command ends, also when it ends by an exception.
class SetUpEffect {
public:
    explicit SetUpEffect(hostsim::Host& host) : host_(host) {
        const PF_Err err = host_.globalSetup();
        if (err != PF_Err_NONE) throw EffectError("global set-up", err);
        setUp_ = true;
        const PF_Err paramsErr = host_.paramsSetup();
        if (paramsErr != PF_Err_NONE) throw EffectError("parameter set-up", paramsErr);
    }
    ~SetUpEffect() {
        if (setUp_) host_.globalSetdown();
    }
    PF_Err setDown() {
        setUp_ = false;
        return host_.globalSetdown();
    }
    SetUpEffect(const SetUpEffect&) = delete;
    SetUpEffect& operator=(const SetUpEffect&) = delete;

private:
    hostsim::Host& host_;
    bool setUp_ = false;
};

bool endsWith(const std::string& text, const std::string& end) {
    if (text.size() < end.size()) return false;
    std::string tail = text.substr(text.size() - end.size());
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == end;
}

std::string modulePathOf(const ToolContext& context) {
    return context.modulePath.empty() ? hostsim::defaultModulePath() : context.modulePath;
}

}  // namespace

int runRender(const ToolContext& context, const std::vector<std::string>& args) {
    std::vector<std::string> files;
    std::vector<std::string> settings;
    bool verbose = false;
    bool force = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--set") {
            if (i + 1 >= args.size()) throw UsageError("--set needs NAME=VALUE");
            settings.push_back(args[++i]);
        } else if (args[i].rfind("--set=", 0) == 0) {
            settings.push_back(args[i].substr(6));
        } else if (args[i] == "--verbose") {
            verbose = true;
        } else if (args[i] == "--force") {
            force = true;
        } else if (args[i].rfind("--", 0) == 0) {
            throw UsageError("unknown argument to render: " + args[i]);
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2) throw UsageError("render needs an input and an output picture: INPUT.png OUTPUT.png");

    checkSettingNames(settings);
    // The input's kind decides the depth: an 8-bit PNG renders 8-bit, a
    // 16-bit PNG 16-bit (both through PF_Cmd_RENDER), an OpenEXR picture
    // float through smart rendering. The output is written in the input's kind.
    const bool exr = isExrFile(files[0]);
    if (exr != endsWith(files[1], ".exr") && files[1] != "-" && (exr || endsWith(files[1], ".exr"))) {
        throw UsageError(exr ? "an OpenEXR input renders into an OpenEXR output: OUTPUT.exr"
                             : "a PNG input renders into a PNG output: OUTPUT.png");
    }
    checkReplaceable(files[1], force);
    // The input is decoded straight into the world the effect renders from;
    // the output world is the only other frame.
    PictureWorld picture = readPictureWorld(files[0], kRowPadding);
    if (verbose && picture.kind == PictureKind::Exr) {
        std::cerr << "zanth-levels: " << files[0] << ": rendering " << picture.exr.description() << "\n";
    }
    if (verbose) context.showEffectOutput();
    hostsim::Host host(modulePathOf(context));
    SetUpEffect effect(host);
    std::vector<ParamSetting> parsed;
    for (const std::string& s : settings) parsed.push_back(parseSetting(host, s));  // all checked before any is applied
    for (const ParamSetting& s : parsed) applySetting(host, s);

    hostsim::World& input = picture.world;
    hostsim::World output(input.width(), input.height(), input.format(), kRowPadding);
    host.setInputLayer(input.def());
    if (picture.kind == PictureKind::Exr) {
        const PF_Err preErr = host.smartPreRender(hostsim::Host::fullRequest(input.width(), input.height()), 32);
        if (preErr != PF_Err_NONE) throw EffectError("smart pre-render", preErr);
        const PF_Err err = host.smartRender(output.def());
        if (err != PF_Err_NONE) throw EffectError("smart render", err);
    } else {
        const PF_Err err = host.render(output.def());
        if (err != PF_Err_NONE) throw EffectError("render", err);
    }
    const PF_Err setdownErr = effect.setDown();
    if (setdownErr != PF_Err_NONE) throw EffectError("global set-down", setdownErr);

    // Through a temporary file: a failure leaves nothing behind.
    writePictureWorld(files[1], picture, output, force);
    return 0;
}

int runTestPicture(const ToolContext& /*context*/, const std::vector<std::string>& args) {
    std::vector<std::string> files;
    int width = 480;
    int height = 270;
    int depth = 8;
    bool force = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--force") {
            force = true;
        } else if (args[i] == "--depth") {
            const std::string value = i + 1 < args.size() ? args[++i] : "";
            if (value != "8" && value != "16" && value != "32") throw UsageError("--depth takes 8, 16 or 32");
            depth = std::stoi(value);
        } else if (args[i] == "--size") {
            if (i + 1 >= args.size()) throw UsageError("--size needs WIDTHxHEIGHT");
            const std::string size = args[++i];
            char* end = nullptr;
            const long w = std::strtol(size.c_str(), &end, 10);
            const long h = (end && *end == 'x') ? std::strtol(end + 1, &end, 10) : 0;
            if (!end || *end != '\0' || w < 1 || h < 1 || w > kMaxPictureSide || h > kMaxPictureSide) {
                throw UsageError("--size takes WIDTHxHEIGHT, each 1 to " + std::to_string(kMaxPictureSide) + ", not \"" + size + "\"");
            }
            width = static_cast<int>(w);
            height = static_cast<int>(h);
        } else if (args[i].rfind("--", 0) == 0) {
            throw UsageError("unknown argument to testpicture: " + args[i]);
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 1) throw UsageError("testpicture needs one output picture: OUTPUT.png");
    checkReplaceable(files[0], force);
    if (depth == 32) {
        writeExr(files[0], generateFloatTestPicture(width, height), force);
    } else {
        writePng(files[0], depth == 16 ? generateTestPicture16(width, height) : generateTestPicture(width, height),
                 force);
    }
    return 0;
}

}  // namespace zanth
