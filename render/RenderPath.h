// Which renderer draws the frames: the GPU path (the levels passes in the
// effect's OpenGL 3.3 contexts) or the CPU path (CpuLevelsRenderer.h).
//
// Chosen once, at global set-up, and kept until global set-down:
//  - OpenGL 3.3 on a hardware renderer: the GPU path.
//  - No OpenGL 3.3, a context that cannot be made, or a software rasteriser
//    (a GL_RENDERER naming llvmpipe, softpipe or swrast, or Windows' "GDI
//    Generic" or "Microsoft Basic Render Driver"): the CPU path.
// The environment variable ZANTH_LEVELS_RENDERER overrides the choice:
//   "gpu"   the GPU path whatever the renderer; global set-up fails when no
//           OpenGL 3.3 context can be made (no silent switch to the CPU);
//   "cpu"   the CPU path; global set-up makes no OpenGL context at all;
//   "auto", empty or unset: the choice above. Any other value is taken as
//           "auto", and the set-up line says so.
// ZANTH_LEVELS_THREADS (a positive number) caps the CPU path's threads per
// frame; unset or anything else: one per hardware thread.
//
// Global set-up prints one line saying which path renders and why, e.g.
// "Zanth Levels renders on the CPU (software rasteriser: llvmpipe)".
#pragma once

#include <string>

namespace Ombrix::Levels {

enum class RenderPath { None, Gpu, Cpu };  // None: not set up
enum class RendererRequest { Auto, Gpu, Cpu };

struct ParsedRequest {
    RendererRequest request = RendererRequest::Auto;
    bool understood = true;  // false: a value that is none of the known ones
};

// The value of ZANTH_LEVELS_RENDERER (null when unset); case is ignored.
ParsedRequest parseRendererRequest(const char* value);

// The value of ZANTH_LEVELS_THREADS (null when unset): the count, or 0 for
// "one per hardware thread".
int parseThreadCount(const char* value);

// True for the renderer strings of software rasterisers.
bool isSoftwareRasteriser(const std::string& glRenderer);

struct PathChoice {
    RenderPath path = RenderPath::None;
    std::string reason;
};

// The choice for a request, once the GL side is known: whether an OpenGL 3.3
// context could be made and, if so, its GL_RENDERER. A Gpu request with no
// GL gives RenderPath::None: the set-up fails.
PathChoice choosePath(const ParsedRequest& request, bool glAvailable, const std::string& glRenderer);

// "Zanth Levels renders on the CPU (...)".
std::string describeChoice(const PathChoice& choice);

// The process's choice: written by global set-up and set-down only, read by
// every render.
void setActiveRenderPath(RenderPath path, int cpuThreads);
RenderPath activeRenderPath();
int activeCpuThreads();  // 0: one per hardware thread

}  // namespace Ombrix::Levels
