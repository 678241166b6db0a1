// Pictures read straight into the host world the effect renders from, and
// written straight from the world it rendered into, so a render holds the
// input and the output frame and no other copy: a PNG file's structure is
// checked, then it is decoded into the world's rows (16-bit values turned into
// host codes in place); an OpenEXR file's chunk table is checked, then its
// channels are read into the world's rows (ExrIO.h). Results are encoded a row
// (PNG) or a chunk (OpenEXR) at a time into the output file.
#pragma once

#include <string>

#include "hostsim/World.h"
#include "tool/ExrIO.h"

namespace zanth {

// The picture's kind decides the depth: an 8-bit PNG is 8-bit, a 16-bit PNG
// 16-bit (PNG values to host codes, DeepConversion.h), an OpenEXR file float.
enum class PictureKind { Png8, Png16, Exr };

struct PictureWorld {
    PictureKind kind;
    hostsim::World world;  // alpha-first pixels, rows padded by the given bytes
    ExrLayout exr;         // what an OpenEXR file held (Exr only)
};

// Throws UsageError naming the file when it cannot be read, is damaged or cut
// short, or has a size the effect cannot render.
PictureWorld readPictureWorld(const std::string& path, int rowPadding);

// Writes `world` (the picture rendered from `input`) as `input` came: a PNG of
// its depth, or OpenEXR with its windows and channels (writeExrWorld).
// `force` replaces a write-protected file. Throws std::runtime_error.
void writePictureWorld(const std::string& path, const PictureWorld& input, hostsim::World& world, bool force);

}  // namespace zanth
