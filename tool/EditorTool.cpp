// editor: renders the picture through the effect (as the host does before it
// shows the frame; the render counts the histogram the editor draws), then
// draws the effect's histogram control in the simulated host after a series
// of clicks, drags and cursor questions, and writes it as a PNG. With
// --no-render the picture is not rendered: the editor shows its look while it
// waits for a render.
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <set>
#include <sstream>

#include "hostsim/Drawbot.h"
#include "hostsim/Events.h"
#include "hostsim/Host.h"
#include "hostsim/World.h"
#include "params/LevelParameters.h"
#include "params/ParamIndices.h"
#include "ui/EditorLayout.h"
#include "tool/OutputFile.h"
#include "tool/ParamSettings.h"
#include "tool/PictureWorld.h"
#include "tool/PngIO.h"
#include "tool/TestPicture.h"
#include "tool/ToolCommon.h"

namespace zanth {
namespace {

constexpr int kControlWidth = Ombrix::Levels::kHistogramControlWidth;
constexpr int kControlHeight = Ombrix::Levels::kHistogramControlHeight;
constexpr int kMaxZoom = 16;
constexpr int kLayerRowPadding = 12;  // the host's layers have padded rows
// The editor's documented drag code for its histogram-scale slider, and the
// scale it starts with when the module is loaded.
constexpr A_intptr_t kScaleDragTarget = 99;
constexpr float kStartScale = 0.25f;

struct EditorEvent {
    enum Kind { Click, Drag, Cursor } kind;
    int x;
    int y;
    std::string text;
    PF_Modifiers modifiers = PF_Mod_NONE;
};

std::string modulePathOf(const ToolContext& context) {
    return context.modulePath.empty() ? hostsim::defaultModulePath() : context.modulePath;
}

void check(const std::string& what, PF_Err err) {
    if (err != PF_Err_NONE) throw EffectError(what, err);
}

bool parseInt(const std::string& text, long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return end && *end == '\0';
}

EditorEvent parseEvent(const std::string& text) {
    // "auto" and "auto-channels": a click on the auto button, the second with Shift held.
    if (text == "auto" || text == "auto-channels") {
        const Ombrix::Levels::CanvasPoint button = Ombrix::Levels::EditorLayout::autoButtonCentreIn(0, 0);
        return EditorEvent{EditorEvent::Click, static_cast<int>(button.x), static_cast<int>(button.y), text,
                           text == "auto" ? PF_Mod_NONE : PF_Mod_SHIFT_KEY};
    }
    const size_t colon = text.find(':');
    const size_t comma = text.find(',', colon == std::string::npos ? 0 : colon);
    const std::string kind = text.substr(0, colon);
    long x = 0, y = 0;
    const bool ok = colon != std::string::npos && comma != std::string::npos &&
                    parseInt(text.substr(colon + 1, comma - colon - 1), x) && parseInt(text.substr(comma + 1), y) &&
                    x > -100000 && x < 100000 && y > -100000 && y < 100000;
    if (!ok || (kind != "click" && kind != "drag" && kind != "cursor")) {
        throw UsageError("--event takes click:X,Y, drag:X,Y or cursor:X,Y with whole numbers, auto or auto-channels, not \"" +
                         text + "\"");
    }
    const EditorEvent::Kind k = kind == "click" ? EditorEvent::Click : kind == "drag" ? EditorEvent::Drag : EditorEvent::Cursor;
    return EditorEvent{k, static_cast<int>(x), static_cast<int>(y), text.substr(colon + 1), PF_Mod_NONE};
}

// The generated picture as the host's input layer: alpha-first 8-bit pixels, padded rows.
hostsim::World layerFrom(const RgbaImage& image) {
    hostsim::World world(image.width, image.height, PF_PixelFormat_ARGB32, kLayerRowPadding);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
            PF_Pixel8& q = world.pixel8(x, y);
            q.alpha = p[3];
            q.red = p[0];
            q.green = p[1];
            q.blue = p[2];
        }
    }
    return world;
}

// The input picture as the host's input layer, at the picture's depth (8-bit
// or 16-bit PNG, float OpenEXR), as the render command reads it.
hostsim::World layerFrom(const std::string& path) {
    return std::move(readPictureWorld(path, kLayerRowPadding).world);
}

// Which display-mode button the latest draw filled: the colour button sits 24
// pixels below the histogram's top, the combined one 34. 0 when none was drawn.
int filledModeButton(const std::vector<hostsim::DrawOp>& ops, double histogramTop) {
    for (const hostsim::DrawOp& op : ops) {
        if (op.kind != hostsim::DrawOp::Fill || op.color.alpha <= 0.0f) continue;
        bool ellipse = false;
        double minY = 1e30, maxY = -1e30;
        for (const hostsim::PathSegment& s : op.path) {
            if (s.kind == hostsim::PathSegment::Bezier) ellipse = true;
            if (s.kind == hostsim::PathSegment::Move || s.kind == hostsim::PathSegment::Bezier) {
                const double y = s.kind == hostsim::PathSegment::Move ? s.v[1] : s.v[5];
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
        }
        if (!ellipse) continue;
        const double centre = (minY + maxY) / 2.0 - histogramTop;
        if (centre > 22 && centre < 26) return 1;
        if (centre > 32 && centre < 36) return 2;
    }
    return 0;
}

std::string formatScale(float scale) {
    std::ostringstream s;
    s << scale;
    return s.str();
}

}  // namespace

int runEditor(const ToolContext& context, const std::vector<std::string>& args) {
    std::string output;
    std::string input;
    std::vector<std::string> settings;
    std::vector<EditorEvent> events;
    long zoom = 1;
    bool verbose = false;
    bool renderFirst = true;
    bool force = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&](const char* what) -> std::string {
            if (i + 1 >= args.size()) throw UsageError(std::string(a) + " needs " + what);
            return args[++i];
        };
        if (a == "--input") {
            input = value("a picture (PNG or OpenEXR)");
        } else if (a == "--set") {
            settings.push_back(value("NAME=VALUE"));
        } else if (a.rfind("--set=", 0) == 0) {
            settings.push_back(a.substr(6));
        } else if (a == "--zoom") {
            const std::string z = value("a whole number from 1 to 16");
            if (!parseInt(z, zoom) || zoom < 1 || zoom > kMaxZoom) {
                throw UsageError("--zoom takes a whole number from 1 to 16, not \"" + z + "\"");
            }
        } else if (a == "--event") {
            events.push_back(parseEvent(value("click:X,Y, drag:X,Y, cursor:X,Y, auto or auto-channels")));
        } else if (a == "--verbose") {
            verbose = true;
        } else if (a == "--no-render") {
            renderFirst = false;
        } else if (a == "--force") {
            force = true;
        } else if (a.rfind("--", 0) == 0) {
            throw UsageError("unknown argument to editor: " + a);
        } else if (output.empty()) {
            output = a;
        } else {
            throw UsageError("editor takes one output file, got \"" + output + "\" and \"" + a + "\"");
        }
    }
    if (output.empty()) throw UsageError("editor needs an output PNG file");

    // Everything the user gave is checked before any output is written.
    checkSettingNames(settings);
    checkReplaceable(output, force);
    hostsim::World layer = input.empty() ? layerFrom(generateTestPicture()) : layerFrom(input);
    if (verbose) context.showEffectOutput();
    hostsim::Host host(modulePathOf(context));
    std::set<int> changed;  // parameters the events changed
    host.onCommandEnd([&host, &changed] {
        for (const auto& change : host.lastChanges()) changed.insert(change.first);
    });
    check("global set-up", host.globalSetup());
    try {
        check("parameter set-up", host.paramsSetup());
        std::vector<ParamSetting> parsed;
        for (const std::string& text : settings) parsed.push_back(parseSetting(host, text));  // all checked first
        for (const ParamSetting& setting : parsed) applySetting(host, setting);
        host.setInputLayer(layer.def());
        if (renderFirst) {
            // Float pictures reach the effect through smart rendering only.
            hostsim::World rendered(layer.width(), layer.height(), layer.format(), kLayerRowPadding);
            if (layer.format() == PF_PixelFormat_ARGB128) {
                check("smart pre-render",
                      host.smartPreRender(hostsim::Host::fullRequest(layer.width(), layer.height()), 32));
                check("smart render", host.smartRender(rendered.def()));
            } else {
                check("render", host.render(rendered.def()));
            }
        }
        changed.clear();

        hostsim::EventSender::Options options;
        options.frame = PF_Rect{0, 0, kControlWidth, kControlHeight};
        options.zoom = static_cast<int>(zoom);
        hostsim::EventSender sender(host, options);
        // The editor's layout (ui/EditorLayout.h) puts the histogram's top one
        // inset below the frame's.
        const double histogramTop = options.frame.top + Ombrix::Levels::EditorLayout::kInset;

        check("draw", sender.draw());  // the panel shows the control before anyone can click it
        float scale = kStartScale;
        bool scaleDrag = false;
        std::vector<std::string> cursorLines;
        for (size_t i = 0; i < events.size(); ++i) {
            const EditorEvent& e = events[i];
            switch (e.kind) {
                case EditorEvent::Click:
                    check("click " + e.text, sender.click(e.x, e.y, e.modifiers));
                    scaleDrag = sender.dragging() && sender.lastEvent().u.do_click.continue_refcon[0] == kScaleDragTarget;
                    break;
                case EditorEvent::Drag: {
                    if (!sender.dragging()) {
                        std::cerr << "zanth-levels: drag:" << e.text << " ignored: no click started a drag\n";
                        break;
                    }
                    const bool last = i + 1 >= events.size() || events[i + 1].kind != EditorEvent::Drag;
                    check("drag " + e.text, sender.drag(e.x, e.y, last));
                    if (scaleDrag) {
                        // The thumb's middle follows the pointer along the track.
                        float t = static_cast<float>((static_cast<double>(e.y) - histogramTop -
                                                      Ombrix::Levels::EditorLayout::kThumbHeight / 2.0) /
                                                     Ombrix::Levels::EditorLayout::kThumbTravel);
                        t = t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);
                        scale = 1.0f - t;
                    }
                    break;
                }
                case EditorEvent::Cursor: {
                    PF_CursorType cursor = PF_Cursor_NONE;
                    check("cursor " + e.text, sender.adjustCursor(e.x, e.y, &cursor));
                    cursorLines.push_back("cursor " + e.text + ": " +
                                          (cursor == PF_Cursor_FINGER_POINTER ? "finger" : "arrow"));
                    break;
                }
            }
            check("draw after " + e.text, sender.lastRedrawResult());
        }
        check("draw", sender.draw());

        hostsim::DrawbotSim& drawbot = hostsim::DrawbotSim::current();
        if (!drawbot.hasRaster()) throw std::runtime_error("this build of the simulator draws no pixels");
        const hostsim::Rgba8Image pixels = drawbot.pixels();
        int button = filledModeButton(drawbot.operations(), histogramTop);
        if (button == 0) {
            // The alpha view shows no mode buttons: look at the RGB view's.
            PF_ParamDef& channel = host.param(Ombrix::Levels::kParamChannel);
            const A_long shown = channel.u.pd.value;
            channel.u.pd.value = Ombrix::Levels::kChannelRGB;
            const PF_Err err = sender.draw();
            channel.u.pd.value = shown;
            check("draw", err);
            button = filledModeButton(drawbot.operations(), histogramTop);
        }

        RgbaImage image;
        image.width = pixels.width;
        image.height = pixels.height;
        image.rgba = pixels.rgba;
        writePng(output, image, force);

        for (int index : changed) std::cout << englishName(index) << "=" << formatValue(host, index) << "\n";
        std::cout << "display=" << (button == 2 ? "combined" : "colour") << "\n";
        std::cout << "scale=" << formatScale(scale) << "\n";
        for (const std::string& line : cursorLines) std::cout << line << "\n";
    } catch (...) {
        host.globalSetdown();
        throw;
    }
    check("global set-down", host.globalSetdown());
    return 0;
}

}  // namespace zanth
