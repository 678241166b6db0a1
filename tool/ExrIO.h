// Float pictures for the tool: OpenEXR files in and out, 32-bit float
// channels out, ZIP compressed. Values are linear and kept as they are:
// nothing is clamped, NaN and infinities pass both ways.
//
// Which channels are read: the first part (of a multi-part file; deep parts
// are passed over) that has colour, in this order: its R, G, B (a missing one
// of the three is 0); else the R, G, B of its first layer that has them
// ("diffuse.R", ...); else its luminance Y, read as grey (R = G = B = Y). The
// alpha is the A beside them (opaque where there is none). A file without
// any of these is refused, naming the channels it has. Channels stored at
// less than full resolution, and luminance with chroma (Y, RY, BY), are refused.
//
// A file is refused before memory is given to its picture when it ends early
// or its table of pixel chunks is damaged.
#pragma once

#include <string>
#include <vector>

#include "hostsim/World.h"

namespace zanth {

// What was read from a file, for writing the result back as it came.
struct ExrLayout {
    bool luminance = false;  // Y was read: the result is written as Y (colour only if the render made some)
    bool alpha = false;      // an alpha channel was read
    std::string channels;    // "R, G, B, A", "diffuse.R, ...", "Y"
    std::string part;        // "" for a single-part file, else "part 1 (\"name\")"
    int dataWindow[4] = {0, 0, 0, 0};     // min x, min y, max x, max y
    int displayWindow[4] = {0, 0, 0, 0};  // min x, min y, max x, max y
    float pixelAspectRatio = 1.0f;
    float screenWindowCenter[2] = {0.0f, 0.0f};
    float screenWindowWidth = 1.0f;
    // "the channels R, G, B, A", "the channels diffuse.R, ... of part 1 ("name")", for --verbose.
    std::string description() const;
};

// Reads the file's chosen channels straight into a float world of its data
// window's size (rows padded by `rowPadding` bytes). Throws UsageError naming
// the file when it cannot be read or its size is one the effect cannot render.
hostsim::World readExrWorld(const std::string& path, int rowPadding, ExrLayout& layout);

// Writes `world` (the rendered data window) through an OutputFile with the
// input's windows: Y (and A when the input had one or the render made alpha
// other than 1) for a luminance input whose result stayed grey, otherwise R,
// G, B, A. `force` replaces a write-protected file. Throws std::runtime_error
// on failure.
void writeExrWorld(const std::string& path, const ExrLayout& layout, hostsim::World& world, bool force);

// Straight RGBA, 4 floats a pixel, rows packed.
struct FloatImage {
    int width = 0;
    int height = 0;
    std::vector<float> rgba;
};

// True when the file starts with the OpenEXR magic number.
bool isExrFile(const std::string& path);

// The picture as readExrWorld reads it, rows packed.
FloatImage readExr(const std::string& path);

// Encodes the picture (R, G, B, A), then writes it through an OutputFile (a
// failure never leaves a partial file). Throws std::runtime_error on failure.
void writeExr(const std::string& path, const FloatImage& image, bool force = false);

}  // namespace zanth
