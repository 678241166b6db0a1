// The AVX-512 kernels (this file alone is built with -mavx512f, bw, dq and
// vl): float rows 64 pixels at a time (eight vectors of eight lanes a
// channel), with fused multiply-adds; 8-bit rows through byte permutes over
// the four 256-entry tables where the CPU has VBMI (the only function built
// for it, chosen at run time). 16-bit rows take the plain lookups
// (CpuKernelBody.h): sixteen-lane gathers measured slower than them.
#include "render/cpu/CpuKernels.h"

#if defined(__AVX512F__) && defined(__AVX512BW__) && defined(__AVX512DQ__) && defined(__AVX512VL__)
#define ZANTH_OPS_AVX512 1
#include "render/cpu/CpuKernelBody.h"
#include "render/cpu/CpuKernelOps.h"

namespace Ombrix::Levels {
namespace {

// Sixteen pixels a step: each of the four tables looked up for all 64 bytes
// (two 128-entry permutes and the top bit choosing between them), then each
// byte taken from its channel's table. The last step loads and stores only
// the bytes of the row (masked), so nothing past the row is read or written.
struct ByteTables {
    __m512i low[4], low2[4], high[4], high2[4];
};

__attribute__((target("avx512vbmi"))) inline __m512i lookupVbmi(const ByteTables& t, __m512i index) {
    // Byte i of a step belongs to channel i % 4.
    static const __mmask64 channel[4] = {0x1111111111111111ULL, 0x2222222222222222ULL, 0x4444444444444444ULL,
                                         0x8888888888888888ULL};
    const __mmask64 top = _mm512_movepi8_mask(index);
    __m512i result = _mm512_setzero_si512();
    for (int c = 0; c < 4; ++c) {
        const __m512i low = _mm512_permutex2var_epi8(t.low[c], index, t.low2[c]);
        const __m512i high = _mm512_permutex2var_epi8(t.high[c], index, t.high2[c]);
        result = _mm512_mask_blend_epi8(channel[c], result, _mm512_mask_blend_epi8(top, low, high));
    }
    return result;
}

__attribute__((target("avx512vbmi"))) void bytesRowVbmi(const uint8_t* tables, const uint8_t* in, uint8_t* out,
                                                         int pixels) {
    ByteTables t;
    for (int c = 0; c < 4; ++c) {
        t.low[c] = _mm512_loadu_si512(tables + 256 * c);
        t.low2[c] = _mm512_loadu_si512(tables + 256 * c + 64);
        t.high[c] = _mm512_loadu_si512(tables + 256 * c + 128);
        t.high2[c] = _mm512_loadu_si512(tables + 256 * c + 192);
    }
    const long long bytes = 4LL * pixels;
    long long i = 0;
    for (; i + 64 <= bytes; i += 64) {
        _mm512_storeu_si512(out + i, lookupVbmi(t, _mm512_loadu_si512(in + i)));
    }
    if (i < bytes) {
        const __mmask64 rest = (~0ULL) >> (64 - (bytes - i));
        _mm512_mask_storeu_epi8(out + i, rest, lookupVbmi(t, _mm512_maskz_loadu_epi8(rest, in + i)));
    }
}

// Float rows: eight vectors side by side for each channel (a power is a long
// chain of dependent steps: fewer chains leave the units idle, more spill
// registers).
using FloatKernel = Kernel<Wide2<Wide2<Wide2<Avx512Ops>>>>;

}  // namespace

const CpuKernels* avx512Kernels() {
    static const CpuKernels kernels = {SimdLevel::Avx512, FloatKernel::floatRow,
                                       hasBytePermute() ? bytesRowVbmi : bytesRowScalar, codesRowScalar};
    return &kernels;
}

}  // namespace Ombrix::Levels
#else
namespace Ombrix::Levels {
const CpuKernels* avx512Kernels() { return nullptr; }
}  // namespace Ombrix::Levels
#endif
