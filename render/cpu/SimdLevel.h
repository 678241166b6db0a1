// The instruction set the CPU renderer's row kernels run on: its detection,
// the one rule that holds a level to what the CPU has, and the choice of
// kernels (cpuKernels, CpuKernels.h), all in SimdLevel.cpp.
//
// The widest the CPU has is picked once, at global set-up (AVX-512 with the
// byte, word, double-word and vector-length extensions; AVX2; SSE4.1; or
// plain scalar code). ZANTH_LEVELS_SIMD forces a narrower one:
//   "avx512", "avx2", "sse4", "scalar" (case ignored); a level the CPU does
//   not have is taken down to the widest it has; unset, empty or anything
//   else: the widest.
// Every level gives the same bytes for 8-bit and 16-bit frames. Float frames:
// the float kernels do the same double-precision operations in the same order
// on every level, and none calls the C library's pow; AVX2 (which needs FMA
// here) and AVX-512 fuse multiply-adds, so they give the same bits as each
// other, and scalar and SSE4.1 the same bits as each other (CpuKernels.h).
#pragma once

namespace Ombrix::Levels {

enum class SimdLevel { Scalar = 0, Sse4 = 1, Avx2 = 2, Avx512 = 3 };

// The widest level this CPU (and operating system) can run.
SimdLevel detectedSimdLevel();

// The level for a ZANTH_LEVELS_SIMD value (null when unset), never wider
// than detectedSimdLevel().
SimdLevel parseSimdLevel(const char* value);

// True when the level's byte-permute lookups for 8-bit frames can run
// (AVX-512 VBMI); otherwise 8-bit rows use the scalar lookup.
bool hasBytePermute();

// The process's level: written by global set-up, read by every render.
// Before any set-up it is detectedSimdLevel().
void setActiveSimdLevel(SimdLevel level);
SimdLevel activeSimdLevel();

}  // namespace Ombrix::Levels
