#include "render/RenderPath.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>

namespace Ombrix::Levels {
namespace {

// The most CPU threads a frame is split over, whatever ZANTH_LEVELS_THREADS
// asks: more than any machine's hardware threads, so it only stops a mistyped
// value from starting thousands of threads for every frame.
constexpr long kMaxCpuThreads = 1024;

std::atomic<RenderPath> gActivePath{RenderPath::None};
std::atomic<int> gCpuThreads{0};

std::string lowered(const std::string& text) {
    std::string out = text;
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

}  // namespace

ParsedRequest parseRendererRequest(const char* value) {
    if (!value) return {};
    const std::string text = lowered(value);
    if (text.empty() || text == "auto") return {};
    if (text == "gpu") return {RendererRequest::Gpu, true};
    if (text == "cpu") return {RendererRequest::Cpu, true};
    return {RendererRequest::Auto, false};
}

int parseThreadCount(const char* value) {
    if (!value || !*value) return 0;
    char* end = nullptr;
    const long count = std::strtol(value, &end, 10);
    if (*end != '\0' || count <= 0) return 0;
    return static_cast<int>(std::min(count, kMaxCpuThreads));
}

bool isSoftwareRasteriser(const std::string& glRenderer) {
    const std::string name = lowered(glRenderer);
    for (const char* software : {"llvmpipe", "softpipe", "swrast", "gdi generic", "microsoft basic render driver"}) {
        if (name.find(software) != std::string::npos) return true;
    }
    return false;
}

PathChoice choosePath(const ParsedRequest& request, bool glAvailable, const std::string& glRenderer) {
    const std::string unknown = request.understood ? "" : "; ZANTH_LEVELS_RENDERER not understood, chosen automatically";
    switch (request.request) {
        case RendererRequest::Cpu: return {RenderPath::Cpu, "ZANTH_LEVELS_RENDERER=cpu"};
        case RendererRequest::Gpu:
            if (!glAvailable) return {RenderPath::None, "ZANTH_LEVELS_RENDERER=gpu, but no OpenGL 3.3 context"};
            return {RenderPath::Gpu, "ZANTH_LEVELS_RENDERER=gpu: " + glRenderer};
        case RendererRequest::Auto: break;
    }
    if (!glAvailable) return {RenderPath::Cpu, "no OpenGL 3.3 context" + unknown};
    if (isSoftwareRasteriser(glRenderer)) return {RenderPath::Cpu, "software rasteriser: " + glRenderer + unknown};
    return {RenderPath::Gpu, "OpenGL 3.3: " + glRenderer + unknown};
}

std::string describeChoice(const PathChoice& choice) {
    const char* where = choice.path == RenderPath::Gpu ? "GPU" : choice.path == RenderPath::Cpu ? "CPU" : "nothing";
    return std::string("Zanth Levels renders on the ") + where + " (" + choice.reason + ")";
}

void setActiveRenderPath(RenderPath path, int cpuThreads) {
    gCpuThreads.store(cpuThreads);
    gActivePath.store(path);
}

RenderPath activeRenderPath() { return gActivePath.load(); }

int activeCpuThreads() { return gCpuThreads.load(); }

}  // namespace Ombrix::Levels
