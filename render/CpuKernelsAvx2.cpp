// The AVX2 kernels (this file alone is built with -mavx2 and -mfma): float
// rows eight vectors of four lanes at a time, with fused multiply-adds, 16-bit
// rows through gathers from the tables.
#include "render/CpuKernels.h"

#if defined(__AVX2__)
#define ZANTH_OPS_AVX2 1
#include "render/CpuKernelOps.h"
#include "render/CpuKernelBody.h"

namespace Ombrix::Levels {
namespace {

// Two pixels (eight codes) a step: each code widened to 32 bits, held at
// 32768, offset to its channel's table and gathered (two bytes wanted, four
// read: the tables' padding covers the last entry).
void codesRowAvx2(const uint16_t* table, const uint16_t* in, uint16_t* out, int pixels) {
    const __m256i base = _mm256_setr_epi32(0, kTable16Entries, 2 * kTable16Entries, 3 * kTable16Entries, 0,
                                           kTable16Entries, 2 * kTable16Entries, 3 * kTable16Entries);
    const __m256i white = _mm256_set1_epi32(32768);
    const __m256i low16 = _mm256_set1_epi32(0xFFFF);
    const int* words = reinterpret_cast<const int*>(table);
    int x = 0;
    for (; x + 2 <= pixels; x += 2) {
        const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 4 * x));
        __m256i index = _mm256_min_epu32(_mm256_cvtepu16_epi32(raw), white);
        index = _mm256_add_epi32(index, base);
        const __m256i mapped = _mm256_and_si256(_mm256_i32gather_epi32(words, index, 2), low16);
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi32(mapped, mapped), 0x08);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x), _mm256_castsi256_si128(packed));
    }
    if (x < pixels) codesRowScalar(table, in + 4 * x, out + 4 * x, pixels - x);
}

// Float rows: eight vectors side by side.
using FloatKernel = Kernel<Wide2<Wide2<Wide2<Avx2Ops>>>>;

}  // namespace

const CpuKernels* avx2Kernels() {
    static const CpuKernels kernels = {SimdLevel::Avx2, FloatKernel::floatRow, FloatKernel::powFloats,
                                       bytesRowScalar, codesRowAvx2, true};
    return &kernels;
}

}  // namespace Ombrix::Levels
#else
namespace Ombrix::Levels {
const CpuKernels* avx2Kernels() { return nullptr; }
}  // namespace Ombrix::Levels
#endif
