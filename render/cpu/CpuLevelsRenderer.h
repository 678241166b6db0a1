// The levels map on the CPU, for host worlds of 8, 16 and 32 bits per
// channel, reading the input and writing the output straight through their
// `data` and `rowbytes`. The map and its tables are LevelsTables.h's.
//
// Per pixel: red, green and blue through the composite map and then through
// their own map; alpha through its own map only; the clip flags apply to
// every map. The maps take the user's values in double precision.
//   8-bit   (0..255):   the code k is the level k; the maps run in double
//                       precision (std::pow) in the settings' 0..255 units,
//                       each result held within 0..255, and the byte is
//                       lrint of the result (half to even). A 256-entry
//                       table per channel is built per frame.
//   16-bit  (0..32768): the code k is the level k * 255 / 32768 (exact);
//                       the result w gives lrint(w * 32768 / 255). Values
//                       above 32768 are taken as 32768. Large frames map the
//                       32769 codes once into a table per channel of every
//                       16-bit code (those above white hold white's entry;
//                       kept for later frames with the same settings), small
//                       ones go through the map itself; both give the same.
//                       So every 8-bit and 16-bit code is the correctly
//                       rounded map of its code (a code at input black gives
//                       exactly output black).
//   float:              the sample is the value itself, and the maps do not
//                       clamp to 0..1 (only the clip flags hold values), so
//                       values outside 0..1 go through the map. A NaN sample
//                       is taken as 0 and +-infinity as +-FLT_MAX; each map
//                       works in double precision (CpuKernels.h), so no
//                       intermediate step overflows, and holds its result
//                       within +-FLT_MAX: the output is always finite, and
//                       every value whose map is finite comes out as that
//                       value rounded to float. The power has its own
//                       log2/exp2 (within one unit in the last place of the
//                       float result), the same on every platform and level.
// Settings come sanitised (SanitisedSettings, LevelsSettings.h): a frame's are
// checked once, where they are read.
//
// Only the overlap of input and output (the smaller width and height) is
// written; padding and the rest of a larger output are left alone. Input and
// output may be the same world. Worlds with no pixels are nothing to do. A
// world whose `data` is null, or whose rows are shorter than its pixels,
// throws PF_Err_BAD_CALLBACK_PARAM as an int.
//
// Rows run through the kernels of `simd` (SimdLevel.h; every level gives the
// same results). Frames of at least `minPixelsPerThread` pixels per thread are
// split into bands of rows on up to `threads` threads, through `bands` (the
// host's worker threads, or the effect's own pool: BandRunner.h); the calling
// thread takes part. A renderer call shares nothing mutable with any other:
// calls on several threads at once need no lock.
#pragma once

#include <cstdint>

#include "host/ae_effect.h"
#include "render/LevelsSettings.h"
#include "render/LevelsTables.h"
#include "render/cpu/SimdLevel.h"

namespace Ombrix::Levels {

// The fewest pixels worth a thread of their own: about 128 K pixels (a 512 KB
// 8-bit band) take long enough that handing them to another thread pays.
constexpr long long kCpuMinPixelsPerThread = 1 << 17;

class BandRunner;
class GridCounting;

struct CpuRenderOptions {
    int threads = 0;  // 0 or less: one per hardware thread
    long long minPixelsPerThread = kCpuMinPixelsPerThread;
    SimdLevel simd = activeSimdLevel();
    const BandRunner* bands = nullptr;  // null: the effect's own pool
    // The input's histogram, counted in the pass: each band counts the grid
    // points of a row just before the kernel reads that row, and the input's
    // rows below the output after the bands. It must count the input world
    // itself (GridCounting::counts). Null: nothing is counted.
    GridCounting* counting = nullptr;
};

// One hardware thread per thread when `requested` is 0 or less; at least 1.
int resolvedThreadCount(int requested);

// The alpha map of one float value, as the float rows take it: input range,
// clips, gamma, output range, then the hold within +-FLT_MAX.
float mappedAlpha(float alpha, const SanitisedSettings& settings);

void renderLevels8(const SanitisedSettings& settings, const PF_EffectWorld& input, PF_EffectWorld& output,
                   const CpuRenderOptions& options = {});
void renderLevels16(const SanitisedSettings& settings, const PF_EffectWorld& input, PF_EffectWorld& output,
                    const CpuRenderOptions& options = {});
void renderLevelsFloat(const SanitisedSettings& settings, const PF_EffectWorld& input, PF_EffectWorld& output,
                       const CpuRenderOptions& options = {});

}  // namespace Ombrix::Levels
