// The row kernels of the CPU renderer, one set per SimdLevel (each set is
// compiled in its own file with its instruction set: CpuKernels*.cpp).
//
// Float rows run in double precision. A block of pixels is taken apart into
// one vector per channel, so each vector goes through whole maps: alpha
// through the alpha map; red, green and blue through the composite map, then
// each through its own. Each map is
//   v = (x * 255 - lowIn) * a1       the input range, in 0..1 units (x * 255 is
//                                    exact for a float x, so a value at input
//                                    black gives exactly 0 at every level)
//   v = min(max(v, lo), hi)          the clip flags (lo/hi are +-infinity when off)
//   v = 2^(e * log2 v)   for v > 0   gamma > 0 and not 1 (own log2 and exp2)
//   v = 0 / 1 / huge     for v > 0   gamma <= 0: the limit of ever smaller gammas
//   v = v * a2 + b2                  the output range, back in 0..1 units
//   v held within +-FLT_MAX, rounded to float
// The coefficients come from the user's values in double precision. Steps
// whose coefficients change nothing are skipped, and a map that changes
// nothing costs nothing: a frame whose only gamma is red's takes one power a
// pixel. Every level runs the same operations in the same order; the input
// step gives the same bits at every level, and AVX2 and AVX-512 fuse the
// output step's multiply-add (one rounding) where scalar and SSE4.1 round the
// product and the sum apart. So scalar and SSE4.1 give the same bits, and so
// do AVX2 and AVX-512; the two pairs differ in the last bits now and then,
// each within the power function's bound, and each the same on every
// platform.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "render/LevelsTables.h"
#include "render/cpu/SimdLevel.h"

namespace Ombrix::Levels {

// One map's coefficients, as above.
struct FloatMap {
    double lowIn = 0.0, a1 = 1.0 / 255.0;
    double lo = -HUGE_VAL, hi = HUGE_VAL;
    double exponent = 1.0;
    double a2 = 1.0, b2 = 0.0;
    bool input = false;   // the input levels are not 0 and 255
    bool output = false;  // the output levels are not 0 and 255
    bool clamp = false;   // lo or hi is finite
    bool pow = false;     // gamma > 0 and not 1
    bool step = false;    // gamma <= 0
    bool active() const { return input || output || clamp || pow || step; }
};

struct FloatPlan {
    FloatMap alpha, composite, red, green, blue;
};

struct CpuKernels {
    SimdLevel level;
    // `pixels` whole pixels; NaN is taken as 0, infinities as +-FLT_MAX.
    void (*floatRow)(const FloatPlan& plan, const float* in, float* out, int pixels);
    // tables: alpha, red, green, blue, 256 bytes each.
    void (*bytesRow)(const uint8_t* tables, const uint8_t* in, uint8_t* out, int pixels);
    // table: the 16-bit tables (LevelsTables.h), kTable16Entries a channel.
    void (*codesRow)(const uint16_t* table, const uint16_t* in, uint16_t* out, int pixels);
};

// The kernels of a level, taken down to the widest the CPU has (SimdLevel.h).
const CpuKernels& cpuKernels(SimdLevel level);

// Each level's set (the wider ones exist only where the compiler can build them).
const CpuKernels* scalarKernels();
const CpuKernels* sse4Kernels();
const CpuKernels* avx2Kernels();
const CpuKernels* avx512Kernels();

}  // namespace Ombrix::Levels
