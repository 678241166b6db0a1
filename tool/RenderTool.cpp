// render and testpicture: one frame through the module, and the picture to try it on.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iostream>

#include "hostsim/Events.h"
#include "hostsim/Host.h"
#include "hostsim/World.h"
#include "params/LevelParameters.h"
#include "params/ParamIndices.h"
#include "tool/DeepConversion.h"
#include "tool/ExrIO.h"
#include "tool/ParamSettings.h"
#include "tool/OutputFile.h"
#include "tool/PictureLimits.h"
#include "tool/PictureWorld.h"
#include "tool/PngIO.h"
#include "tool/TestPicture.h"
#include "tool/ToolCommon.h"
#include "ui/EditorLayout.h"

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

// One frame of the picture through the module, at the picture's depth.
void renderFrame(hostsim::Host& host, const PictureWorld& picture, hostsim::World& output) {
    const hostsim::World& input = picture.world;
    if (picture.kind == PictureKind::Exr) {
        const PF_Err preErr = host.smartPreRender(hostsim::Host::fullRequest(input.width(), input.height()), 32);
        if (preErr != PF_Err_NONE) throw EffectError("smart pre-render", preErr);
        const PF_Err err = host.smartRender(output.def());
        if (err != PF_Err_NONE) throw EffectError("smart render", err);
    } else {
        const PF_Err err = host.render(output.def());
        if (err != PF_Err_NONE) throw EffectError("render", err);
    }
}

// Auto levels as the editor's auto button sets them (Shift held: each
// channel's), in the RGB view: a render counts the histogram, the control is
// drawn and its button clicked. Prints the levels the click set.
void applyAutoLevels(hostsim::Host& host, const PictureWorld& picture, hostsim::World& output, bool perChannel,
                     std::ostream& out) {
    using namespace Ombrix::Levels;
    PF_ParamDef& channel = host.param(kParamChannel);
    const A_long channelBefore = channel.u.pd.value;
    channel.u.pd.value = kChannelRGB;
    renderFrame(host, picture, output);
    hostsim::EventSender::Options options;
    options.frame = PF_Rect{0, 0, kHistogramControlWidth, kHistogramControlHeight};
    options.redrawWhenAsked = false;  // the click's changes are read straight after it
    std::vector<int> changed;
    hostsim::EventSender sender(host, options);
    const PF_Err drawErr = sender.draw();
    if (drawErr != PF_Err_NONE) throw EffectError("draw", drawErr);
    const CanvasPoint button = EditorLayout::autoButtonCentreIn(0, 0);
    const PF_Err err = sender.click(static_cast<int>(button.x), static_cast<int>(button.y),
                                    perChannel ? PF_Mod_SHIFT_KEY : PF_Mod_NONE);
    if (err != PF_Err_NONE) throw EffectError("auto levels", err);
    for (const auto& change : host.lastChanges()) changed.push_back(change.first);
    channel.u.pd.value = channelBefore;
    if (changed.empty()) out << "auto levels: nothing to set\n";
    for (int index : changed) out << englishName(index) << "=" << formatValue(host, index) << "\n";
}

}  // namespace

int runRender(const ToolContext& context, const std::vector<std::string>& args) {
    std::vector<std::string> files;
    std::vector<std::string> settings;
    bool verbose = false;
    bool force = false;
    int autoLevels = 0;  // 1: --auto, 2: --auto-channels
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
        } else if (args[i] == "--auto" || args[i] == "--auto-channels") {
            const int mode = args[i] == "--auto" ? 1 : 2;
            if (autoLevels != 0 && autoLevels != mode) throw UsageError("--auto and --auto-channels exclude each other");
            autoLevels = mode;
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
    // The levels a picker set go to standard output, or beside a picture written there.
    std::ostream& said = files[1] == "-" ? std::cerr : std::cout;
    for (const ParamSetting& s : parsed) {
        applySetting(host, s);
        if (host.param(s.index).param_type != PF_Param_COLOR) continue;
        for (const auto& change : host.lastChanges()) {
            said << englishName(change.first) << "=" << formatValue(host, change.first) << "\n";
        }
    }

    hostsim::World& input = picture.world;
    hostsim::World output(input.width(), input.height(), input.format(), kRowPadding);
    host.setInputLayer(input.def());
    if (autoLevels != 0) applyAutoLevels(host, picture, output, autoLevels == 2, said);
    renderFrame(host, picture, output);
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
