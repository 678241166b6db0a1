// The lane types the kernels of CpuKernelBody.h are written over: plain
// doubles, and SSE4.1, AVX2 and AVX-512 vectors of doubles. Each file of
// kernels defines the one macro for its instruction set before including this.
// Every operation is the IEEE operation of the same name in each lane, so a
// kernel gives the same bits on every lane type.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(ZANTH_OPS_SSE4) || defined(ZANTH_OPS_AVX2) || defined(ZANTH_OPS_AVX512)
#include <immintrin.h>
#endif

namespace Ombrix::Levels {
namespace {

#ifdef ZANTH_OPS_SCALAR
struct ScalarOps {
    using D = double;
    using M = bool;
    using I = uint64_t;
    static constexpr int kLanes = 1;
    static constexpr bool kScaleInstructions = false;  // exponents through integer bits
    static constexpr bool kNumberCoefficients = false;  // maps keep whole vectors (measured faster)
    static D set(double v) { return v; }
    static D loadFloats(const float* p) { return static_cast<double>(*p); }
    // One pixel (alpha, red, green, blue) taken apart into a lane of each
    // channel, and put back.
    static void loadPixels(const float* p, D& a, D& r, D& g, D& b) {
        a = p[0], r = p[1], g = p[2], b = p[3];
    }
    static void storePixels(float* p, D a, D r, D g, D b) {
        p[0] = static_cast<float>(a), p[1] = static_cast<float>(r), p[2] = static_cast<float>(g), p[3] = static_cast<float>(b);
    }
    static void storeFloats(float* p, D v) { *p = static_cast<float>(v); }
    static D roundToFloat(D v) { return static_cast<double>(static_cast<float>(v)); }
    static D add(D a, D b) { return a + b; }
    // a * b + c, rounded twice (no fused multiply-add on this level).
    static D fma(D a, D b, D c) { return a * b + c; }
    static D sub(D a, D b) { return a - b; }
    static D mul(D a, D b) { return a * b; }
    // As minpd/maxpd: the second operand unless the first is smaller (larger).
    static D min(D a, D b) { return a < b ? a : b; }
    static D max(D a, D b) { return a > b ? a : b; }
    static M gt(D a, D b) { return a > b; }
    static M lt(D a, D b) { return a < b; }
    static M unord(D a) { return a != a; }
    static M mand(M a, M b) { return a && b; }
    static D sel(M m, D a, D b) { return m ? a : b; }
    static I asI(D v) {
        I i;
        std::memcpy(&i, &v, sizeof i);
        return i;
    }
    static D asD(I i) {
        D v;
        std::memcpy(&v, &i, sizeof v);
        return v;
    }
    static I setI(int64_t v) { return static_cast<I>(v); }
    static I srl52(I i) { return i >> 52; }
    static I sll52(I i) { return i << 52; }
    template <int N>
    static I srl(I i) { return i >> N; }
    // table[i & 15] in each lane.
    static D lookup16(const double* table, I i) { return table[i & 15]; }
    static I orI(I a, I b) { return a | b; }
    static I addI(I a, I b) { return a + b; }
    static I subI(I a, I b) { return a - b; }
};
#endif

#ifdef ZANTH_OPS_SSE4
struct Sse4Ops {
    using D = __m128d;
    using M = __m128d;
    using I = __m128i;
    static constexpr int kLanes = 2;
    static constexpr bool kScaleInstructions = false;  // exponents through integer bits
    static constexpr bool kNumberCoefficients = false;  // maps keep whole vectors (measured faster)
    static D set(double v) { return _mm_set1_pd(v); }
    static D loadFloats(const float* p) {
        return _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
    }
    static void storeFloats(float* p, D v) { _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_castps_si128(_mm_cvtpd_ps(v))); }
    // Two pixels taken apart into a vector of each channel, and put back.
    static void loadPixels(const float* p, D& a, D& r, D& g, D& b) {
        const __m128 p0 = _mm_loadu_ps(p), p1 = _mm_loadu_ps(p + 4);
        const __m128 ar = _mm_unpacklo_ps(p0, p1);  // a0 a1 r0 r1
        const __m128 gb = _mm_unpackhi_ps(p0, p1);  // g0 g1 b0 b1
        a = _mm_cvtps_pd(ar), r = _mm_cvtps_pd(_mm_movehl_ps(ar, ar));
        g = _mm_cvtps_pd(gb), b = _mm_cvtps_pd(_mm_movehl_ps(gb, gb));
    }
    static void storePixels(float* p, D a, D r, D g, D b) {
        const __m128 ar = _mm_movelh_ps(_mm_cvtpd_ps(a), _mm_cvtpd_ps(r));  // a0 a1 r0 r1
        const __m128 gb = _mm_movelh_ps(_mm_cvtpd_ps(g), _mm_cvtpd_ps(b));  // g0 g1 b0 b1
        const __m128 ag = _mm_unpacklo_ps(ar, gb);                          // a0 g0 a1 g1
        const __m128 rb = _mm_unpackhi_ps(ar, gb);                          // r0 b0 r1 b1
        _mm_storeu_ps(p, _mm_unpacklo_ps(ag, rb));
        _mm_storeu_ps(p + 4, _mm_unpackhi_ps(ag, rb));
    }
    static D roundToFloat(D v) { return _mm_cvtps_pd(_mm_cvtpd_ps(v)); }
    static D add(D a, D b) { return _mm_add_pd(a, b); }
    static D fma(D a, D b, D c) { return _mm_add_pd(_mm_mul_pd(a, b), c); }  // rounded twice
    static D sub(D a, D b) { return _mm_sub_pd(a, b); }
    static D mul(D a, D b) { return _mm_mul_pd(a, b); }
    static D min(D a, D b) { return _mm_min_pd(a, b); }
    static D max(D a, D b) { return _mm_max_pd(a, b); }
    static M gt(D a, D b) { return _mm_cmpgt_pd(a, b); }
    static M lt(D a, D b) { return _mm_cmplt_pd(a, b); }
    static M unord(D a) { return _mm_cmpunord_pd(a, a); }
    static M mand(M a, M b) { return _mm_and_pd(a, b); }
    static D sel(M m, D a, D b) { return _mm_blendv_pd(b, a, m); }
    static I asI(D v) { return _mm_castpd_si128(v); }
    static D asD(I i) { return _mm_castsi128_pd(i); }
    static I setI(int64_t v) { return _mm_set1_epi64x(v); }
    static I srl52(I i) { return _mm_srli_epi64(i, 52); }
    static I sll52(I i) { return _mm_slli_epi64(i, 52); }
    template <int N>
    static I srl(I i) { return _mm_srli_epi64(i, N); }
    static D lookup16(const double* table, I i) {
        const double low = table[_mm_cvtsi128_si64(i) & 15];
        const double high = table[_mm_extract_epi64(i, 1) & 15];
        return _mm_set_pd(high, low);
    }
    static I orI(I a, I b) { return _mm_or_si128(a, b); }
    static I addI(I a, I b) { return _mm_add_epi64(a, b); }
    static I subI(I a, I b) { return _mm_sub_epi64(a, b); }
};
#endif

#ifdef ZANTH_OPS_AVX2
struct Avx2Ops {
    using D = __m256d;
    using M = __m256d;
    using I = __m256i;
    static constexpr int kLanes = 4;
    static constexpr bool kScaleInstructions = false;  // exponents through integer bits
    static constexpr bool kNumberCoefficients = false;  // maps keep whole vectors (measured faster)
    static D set(double v) { return _mm256_set1_pd(v); }
    static D loadFloats(const float* p) { return _mm256_cvtps_pd(_mm_loadu_ps(p)); }
    static void storeFloats(float* p, D v) { _mm_storeu_ps(p, _mm256_cvtpd_ps(v)); }
    // Four pixels taken apart into a vector of each channel, and put back.
    static void loadPixels(const float* p, D& a, D& r, D& g, D& b) {
        __m128 p0 = _mm_loadu_ps(p), p1 = _mm_loadu_ps(p + 4), p2 = _mm_loadu_ps(p + 8), p3 = _mm_loadu_ps(p + 12);
        _MM_TRANSPOSE4_PS(p0, p1, p2, p3);
        a = _mm256_cvtps_pd(p0), r = _mm256_cvtps_pd(p1), g = _mm256_cvtps_pd(p2), b = _mm256_cvtps_pd(p3);
    }
    static void storePixels(float* p, D a, D r, D g, D b) {
        __m128 p0 = _mm256_cvtpd_ps(a), p1 = _mm256_cvtpd_ps(r), p2 = _mm256_cvtpd_ps(g), p3 = _mm256_cvtpd_ps(b);
        _MM_TRANSPOSE4_PS(p0, p1, p2, p3);
        _mm_storeu_ps(p, p0), _mm_storeu_ps(p + 4, p1), _mm_storeu_ps(p + 8, p2), _mm_storeu_ps(p + 12, p3);
    }
    static D roundToFloat(D v) { return _mm256_cvtps_pd(_mm256_cvtpd_ps(v)); }
    static D add(D a, D b) { return _mm256_add_pd(a, b); }
    static D fma(D a, D b, D c) { return _mm256_fmadd_pd(a, b, c); }  // rounded once
    static D sub(D a, D b) { return _mm256_sub_pd(a, b); }
    static D mul(D a, D b) { return _mm256_mul_pd(a, b); }
    static D min(D a, D b) { return _mm256_min_pd(a, b); }
    static D max(D a, D b) { return _mm256_max_pd(a, b); }
    static M gt(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_GT_OQ); }
    static M lt(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
    static M unord(D a) { return _mm256_cmp_pd(a, a, _CMP_UNORD_Q); }
    static M mand(M a, M b) { return _mm256_and_pd(a, b); }
    static D sel(M m, D a, D b) { return _mm256_blendv_pd(b, a, m); }
    static I asI(D v) { return _mm256_castpd_si256(v); }
    static D asD(I i) { return _mm256_castsi256_pd(i); }
    static I setI(int64_t v) { return _mm256_set1_epi64x(v); }
    static I srl52(I i) { return _mm256_srli_epi64(i, 52); }
    static I sll52(I i) { return _mm256_slli_epi64(i, 52); }
    template <int N>
    static I srl(I i) { return _mm256_srli_epi64(i, N); }
    static D lookup16(const double* table, I i) {
        return _mm256_i64gather_pd(table, _mm256_and_si256(i, _mm256_set1_epi64x(15)), 8);
    }
    static I orI(I a, I b) { return _mm256_or_si256(a, b); }
    static I addI(I a, I b) { return _mm256_add_epi64(a, b); }
    static I subI(I a, I b) { return _mm256_sub_epi64(a, b); }
};
#endif

#ifdef ZANTH_OPS_AVX512
struct Avx512Ops {
    using D = __m512d;
    using M = __mmask8;
    using I = __m512i;
    static constexpr int kLanes = 8;
    // Exponents taken apart and put back by single instructions.
    static constexpr bool kScaleInstructions = true;
    static constexpr bool kNumberCoefficients = true;  // maps keep numbers, broadcast where used (measured faster)
    // floor(log2 |v|) as a double, for v normal.
    static D exponentOf(D v) { return _mm512_getexp_pd(v); }
    // v * 2^floor(n), rounded once.
    static D scale(D v, D n) { return _mm512_scalef_pd(v, n); }
    static D set(double v) { return _mm512_set1_pd(v); }
    static D loadFloats(const float* p) { return _mm512_cvtps_pd(_mm256_loadu_ps(p)); }
    static void storeFloats(float* p, D v) { _mm256_storeu_ps(p, _mm512_cvtpd_ps(v)); }
    // Eight pixels taken apart into a vector of each channel (channel c is
    // every fourth float from c), and put back.
    static void loadPixels(const float* p, D& a, D& r, D& g, D& b) {
        const __m512 low = _mm512_loadu_ps(p), high = _mm512_loadu_ps(p + 16);
        const __m512i every4 = _mm512_setr_epi32(0, 4, 8, 12, 16, 20, 24, 28, 0, 0, 0, 0, 0, 0, 0, 0);
        const __m512i one = _mm512_set1_epi32(1);
        const __m512i ri = _mm512_add_epi32(every4, one), gi = _mm512_add_epi32(ri, one), bi = _mm512_add_epi32(gi, one);
        a = _mm512_cvtps_pd(_mm512_castps512_ps256(_mm512_permutex2var_ps(low, every4, high)));
        r = _mm512_cvtps_pd(_mm512_castps512_ps256(_mm512_permutex2var_ps(low, ri, high)));
        g = _mm512_cvtps_pd(_mm512_castps512_ps256(_mm512_permutex2var_ps(low, gi, high)));
        b = _mm512_cvtps_pd(_mm512_castps512_ps256(_mm512_permutex2var_ps(low, bi, high)));
    }
    static void storePixels(float* p, D a, D r, D g, D b) {
        // ar: a0..a7 r0..r7 (indices 0..15), gb: g0..g7 b0..b7 (16..31).
        const __m512 ar = _mm512_insertf32x8(_mm512_castps256_ps512(_mm512_cvtpd_ps(a)), _mm512_cvtpd_ps(r), 1);
        const __m512 gb = _mm512_insertf32x8(_mm512_castps256_ps512(_mm512_cvtpd_ps(g)), _mm512_cvtpd_ps(b), 1);
        const __m512i first = _mm512_setr_epi32(0, 8, 16, 24, 1, 9, 17, 25, 2, 10, 18, 26, 3, 11, 19, 27);
        const __m512i second = _mm512_add_epi32(first, _mm512_set1_epi32(4));
        _mm512_storeu_ps(p, _mm512_permutex2var_ps(ar, first, gb));
        _mm512_storeu_ps(p + 16, _mm512_permutex2var_ps(ar, second, gb));
    }
    static D roundToFloat(D v) { return _mm512_cvtps_pd(_mm512_cvtpd_ps(v)); }
    static D add(D a, D b) { return _mm512_add_pd(a, b); }
    static D fma(D a, D b, D c) { return _mm512_fmadd_pd(a, b, c); }  // rounded once
    static D sub(D a, D b) { return _mm512_sub_pd(a, b); }
    static D mul(D a, D b) { return _mm512_mul_pd(a, b); }
    static D min(D a, D b) { return _mm512_min_pd(a, b); }
    static D max(D a, D b) { return _mm512_max_pd(a, b); }
    static M gt(D a, D b) { return _mm512_cmp_pd_mask(a, b, _CMP_GT_OQ); }
    static M lt(D a, D b) { return _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ); }
    static M unord(D a) { return _mm512_cmp_pd_mask(a, a, _CMP_UNORD_Q); }
    static M mand(M a, M b) { return _kand_mask8(a, b); }
    static D sel(M m, D a, D b) { return _mm512_mask_blend_pd(m, b, a); }
    static I asI(D v) { return _mm512_castpd_si512(v); }
    static D asD(I i) { return _mm512_castsi512_pd(i); }
    static I setI(int64_t v) { return _mm512_set1_epi64(v); }
    static I srl52(I i) { return _mm512_srli_epi64(i, 52); }
    static I sll52(I i) { return _mm512_slli_epi64(i, 52); }
    template <int N>
    static I srl(I i) { return _mm512_srli_epi64(i, N); }
    // Sixteen entries in two registers; the permute reads the low four bits.
    static D lookup16(const double* table, I i) {
        return _mm512_permutex2var_pd(_mm512_load_pd(table), i, _mm512_load_pd(table + 8));
    }
    static I orI(I a, I b) { return _mm512_or_si512(a, b); }
    static I addI(I a, I b) { return _mm512_add_epi64(a, b); }
    static I subI(I a, I b) { return _mm512_sub_epi64(a, b); }
};
#endif

// Two vectors of `Inner` as one: every operation is done on both halves, so
// a kernel written over Wide2 runs two independent chains side by side (the
// processor overlaps their latencies) with every value held in registers.
// The halves cover consecutive lanes.
#if defined(__GNUC__)
#define ZANTH_OPS_INLINE inline __attribute__((always_inline))
#else
#define ZANTH_OPS_INLINE inline
#endif

template <typename Inner>
struct Wide2 {
    struct D {
        typename Inner::D a, b;
    };
    struct M {
        typename Inner::M a, b;
    };
    struct I {
        typename Inner::I a, b;
    };
    static constexpr int kLanes = 2 * Inner::kLanes;
    static constexpr bool kScaleInstructions = Inner::kScaleInstructions;
    static constexpr bool kNumberCoefficients = Inner::kNumberCoefficients;
    static ZANTH_OPS_INLINE D set(double v) { return {Inner::set(v), Inner::set(v)}; }
    static ZANTH_OPS_INLINE D loadFloats(const float* p) {
        return {Inner::loadFloats(p), Inner::loadFloats(p + Inner::kLanes)};
    }
    static ZANTH_OPS_INLINE void storeFloats(float* p, D v) {
        Inner::storeFloats(p, v.a);
        Inner::storeFloats(p + Inner::kLanes, v.b);
    }
    // The first half takes the first Inner::kLanes pixels.
    static ZANTH_OPS_INLINE void loadPixels(const float* p, D& a, D& r, D& g, D& b) {
        Inner::loadPixels(p, a.a, r.a, g.a, b.a);
        Inner::loadPixels(p + 4 * Inner::kLanes, a.b, r.b, g.b, b.b);
    }
    static ZANTH_OPS_INLINE void storePixels(float* p, D a, D r, D g, D b) {
        Inner::storePixels(p, a.a, r.a, g.a, b.a);
        Inner::storePixels(p + 4 * Inner::kLanes, a.b, r.b, g.b, b.b);
    }
#define ZANTH_WIDE_UNARY(R, name, T) \
    static ZANTH_OPS_INLINE R name(T x) { return {Inner::name(x.a), Inner::name(x.b)}; }
#define ZANTH_WIDE_BINARY(R, name, T, U) \
    static ZANTH_OPS_INLINE R name(T x, U y) { return {Inner::name(x.a, y.a), Inner::name(x.b, y.b)}; }
    ZANTH_WIDE_UNARY(D, roundToFloat, D)
    ZANTH_WIDE_BINARY(D, add, D, D)
    ZANTH_WIDE_BINARY(D, sub, D, D)
    ZANTH_WIDE_BINARY(D, mul, D, D)
    ZANTH_WIDE_BINARY(D, min, D, D)
    ZANTH_WIDE_BINARY(D, max, D, D)
    ZANTH_WIDE_BINARY(M, gt, D, D)
    ZANTH_WIDE_BINARY(M, lt, D, D)
    ZANTH_WIDE_UNARY(M, unord, D)
    ZANTH_WIDE_BINARY(M, mand, M, M)
    ZANTH_WIDE_UNARY(I, asI, D)
    ZANTH_WIDE_UNARY(D, asD, I)
    ZANTH_WIDE_UNARY(I, srl52, I)
    ZANTH_WIDE_UNARY(I, sll52, I)
    ZANTH_WIDE_BINARY(I, orI, I, I)
    ZANTH_WIDE_BINARY(I, addI, I, I)
    ZANTH_WIDE_BINARY(I, subI, I, I)
    // Only where Inner has them (kScaleInstructions): made only when called.
    static ZANTH_OPS_INLINE D exponentOf(D x) { return {Inner::exponentOf(x.a), Inner::exponentOf(x.b)}; }
    static ZANTH_OPS_INLINE D scale(D x, D n) { return {Inner::scale(x.a, n.a), Inner::scale(x.b, n.b)}; }
#undef ZANTH_WIDE_UNARY
#undef ZANTH_WIDE_BINARY
    template <int N>
    static ZANTH_OPS_INLINE I srl(I x) {
        return {Inner::template srl<N>(x.a), Inner::template srl<N>(x.b)};
    }
    static ZANTH_OPS_INLINE D lookup16(const double* table, I x) {
        return {Inner::lookup16(table, x.a), Inner::lookup16(table, x.b)};
    }
    static ZANTH_OPS_INLINE D fma(D x, D y, D z) { return {Inner::fma(x.a, y.a, z.a), Inner::fma(x.b, y.b, z.b)}; }
    static ZANTH_OPS_INLINE D sel(M m, D x, D y) { return {Inner::sel(m.a, x.a, y.a), Inner::sel(m.b, x.b, y.b)}; }
    static ZANTH_OPS_INLINE I setI(int64_t v) { return {Inner::setI(v), Inner::setI(v)}; }
};

}  // namespace
}  // namespace Ombrix::Levels
