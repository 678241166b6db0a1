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
#include "tool/PictureLimits.h"
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

// Straight RGBA bytes into an 8-bit alpha-first world with padded rows.
hostsim::World toWorld(const RgbaImage& image) {
    hostsim::World world(image.width, image.height, PF_PixelFormat_ARGB32, kRowPadding);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
            world.pixel8(x, y) = PF_Pixel8{p[3], p[0], p[1], p[2]};
        }
    }
    return world;
}

RgbaImage toImage(hostsim::World& world) {
    RgbaImage image;
    image.width = world.width();
    image.height = world.height();
    image.rgba.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const PF_Pixel8& px = world.pixel8(x, y);
            uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
            p[0] = px.red;
            p[1] = px.green;
            p[2] = px.blue;
            p[3] = px.alpha;
        }
    }
    return image;
}

// 16-bit pictures: PNG values to host codes and back (DeepConversion.h).
hostsim::World toWorld16(const RgbaImage& image) {
    hostsim::World world(image.width, image.height, PF_PixelFormat_ARGB64, kRowPadding);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const uint16_t* p = &image.rgba16[(static_cast<size_t>(y) * image.width + x) * 4];
            world.pixel16(x, y) =
                PF_Pixel16{hostFromPng16(p[3]), hostFromPng16(p[0]), hostFromPng16(p[1]), hostFromPng16(p[2])};
        }
    }
    return world;
}

RgbaImage toImage16(hostsim::World& world) {
    RgbaImage image;
    image.width = world.width();
    image.height = world.height();
    image.bitsPerChannel = 16;
    image.rgba16.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const PF_Pixel16& px = world.pixel16(x, y);
            uint16_t* p = &image.rgba16[(static_cast<size_t>(y) * image.width + x) * 4];
            p[0] = png16FromHost(px.red);
            p[1] = png16FromHost(px.green);
            p[2] = png16FromHost(px.blue);
            p[3] = png16FromHost(px.alpha);
        }
    }
    return image;
}

// Float pictures: values as they are.
hostsim::World toWorldFloat(const FloatImage& image) {
    hostsim::World world(image.width, image.height, PF_PixelFormat_ARGB128, kRowPadding);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const float* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
            world.pixelFloat(x, y) = PF_PixelFloat{p[3], p[0], p[1], p[2]};
        }
    }
    return world;
}

FloatImage toFloatImage(hostsim::World& world) {
    FloatImage image;
    image.width = world.width();
    image.height = world.height();
    image.rgba.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const PF_PixelFloat& px = world.pixelFloat(x, y);
            float* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
            p[0] = px.red;
            p[1] = px.green;
            p[2] = px.blue;
            p[3] = px.alpha;
        }
    }
    return image;
}

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
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--set") {
            if (i + 1 >= args.size()) throw UsageError("--set needs NAME=VALUE");
            settings.push_back(args[++i]);
        } else if (args[i].rfind("--set=", 0) == 0) {
            settings.push_back(args[i].substr(6));
        } else if (args[i] == "--verbose") {
            verbose = true;
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
    FloatImage floatPicture;
    RgbaImage picture;
    if (exr) {
        floatPicture = readExr(files[0]);
    } else {
        picture = readPng(files[0]);
    }
    if (verbose) context.showEffectOutput();
    hostsim::Host host(modulePathOf(context));
    SetUpEffect effect(host);
    std::vector<ParamSetting> parsed;
    for (const std::string& s : settings) parsed.push_back(parseSetting(host, s));  // all checked before any is applied
    for (const ParamSetting& s : parsed) applySetting(host, s);

    const bool deep = !exr && picture.bitsPerChannel == 16;
    hostsim::World input = exr ? toWorldFloat(floatPicture) : deep ? toWorld16(picture) : toWorld(picture);
    hostsim::World output(input.width(), input.height(), input.format(), kRowPadding);
    host.setInputLayer(input.def());
    if (exr) {
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
    if (exr) {
        writeExr(files[1], toFloatImage(output));
    } else {
        writePng(files[1], deep ? toImage16(output) : toImage(output));
    }
    return 0;
}

int runTestPicture(const ToolContext& /*context*/, const std::vector<std::string>& args) {
    std::vector<std::string> files;
    int width = 480;
    int height = 270;
    int depth = 8;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--depth") {
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
    if (depth == 32) {
        writeExr(files[0], generateFloatTestPicture(width, height));
    } else {
        writePng(files[0], depth == 16 ? generateTestPicture16(width, height) : generateTestPicture(width, height));
    }
    return 0;
}

}  // namespace zanth
