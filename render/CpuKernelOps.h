// The lane types the kernels of CpuKernelBody.h are written over: plain
// doubles, and SSE4.1, AVX2 and AVX-512 vectors of doubles. Each file of
// kernels defines the one macro for its instruction set before including this.
// Every operation is the IEEE operation of the same name in each lane, so a
// kernel gives the same bits on every lane type.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

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
    static D set(double v) { return v; }
    static D loadRepeating(const double* p) { return *p; }
    static D loadFloats(const float* p) { return static_cast<double>(*p); }
    static void storeFloats(float* p, D v) { *p = static_cast<float>(v); }
    static D roundToFloat(D v) { return static_cast<double>(static_cast<float>(v)); }
    static D add(D a, D b) { return a + b; }
    // a * b + c, rounded twice (no fused multiply-add on this level).
    static D fma(D a, D b, D c) { return a * b + c; }
    static D sub(D a, D b) { return a - b; }
    static D mul(D a, D b) { return a * b; }
    static D div(D a, D b) { return a / b; }
    // As minpd/maxpd: the second operand unless the first is smaller (larger).
    static D min(D a, D b) { return a < b ? a : b; }
    static D max(D a, D b) { return a > b ? a : b; }
    static M gt(D a, D b) { return a > b; }
    static M lt(D a, D b) { return a < b; }
    static M unord(D a) { return a != a; }
    static M mand(M a, M b) { return a && b; }
    static M gtWhere(M where, D a, D b) { return where && a > b; }  // a > b in the lanes of `where`
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
    template <int N>
    static I sll(I i) { return i << N; }
    // table[i & 15] in each lane.
    static D lookup16(const double* table, I i) { return table[i & 15]; }
    static I andI(I a, I b) { return a & b; }
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
    static D set(double v) { return _mm_set1_pd(v); }
    static D loadRepeating(const double* p) { return _mm_loadu_pd(p); }
    static D loadFloats(const float* p) {
        return _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
    }
    static void storeFloats(float* p, D v) { _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_castps_si128(_mm_cvtpd_ps(v))); }
    static D roundToFloat(D v) { return _mm_cvtps_pd(_mm_cvtpd_ps(v)); }
    static D add(D a, D b) { return _mm_add_pd(a, b); }
    static D fma(D a, D b, D c) { return _mm_add_pd(_mm_mul_pd(a, b), c); }  // rounded twice
    static D sub(D a, D b) { return _mm_sub_pd(a, b); }
    static D mul(D a, D b) { return _mm_mul_pd(a, b); }
    static D div(D a, D b) { return _mm_div_pd(a, b); }
    static D min(D a, D b) { return _mm_min_pd(a, b); }
    static D max(D a, D b) { return _mm_max_pd(a, b); }
    static M gt(D a, D b) { return _mm_cmpgt_pd(a, b); }
    static M lt(D a, D b) { return _mm_cmplt_pd(a, b); }
    static M unord(D a) { return _mm_cmpunord_pd(a, a); }
    static M mand(M a, M b) { return _mm_and_pd(a, b); }
    static M gtWhere(M where, D a, D b) { return _mm_and_pd(where, gt(a, b)); }  // a > b in the lanes of `where`
    static D sel(M m, D a, D b) { return _mm_blendv_pd(b, a, m); }
    static I asI(D v) { return _mm_castpd_si128(v); }
    static D asD(I i) { return _mm_castsi128_pd(i); }
    static I setI(int64_t v) { return _mm_set1_epi64x(v); }
    static I srl52(I i) { return _mm_srli_epi64(i, 52); }
    static I sll52(I i) { return _mm_slli_epi64(i, 52); }
    template <int N>
    static I srl(I i) { return _mm_srli_epi64(i, N); }
    template <int N>
    static I sll(I i) { return _mm_slli_epi64(i, N); }
    static D lookup16(const double* table, I i) {
        const double low = table[_mm_cvtsi128_si64(i) & 15];
        const double high = table[_mm_extract_epi64(i, 1) & 15];
        return _mm_set_pd(high, low);
    }
    static I andI(I a, I b) { return _mm_and_si128(a, b); }
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
    static D set(double v) { return _mm256_set1_pd(v); }
    static D loadRepeating(const double* p) { return _mm256_loadu_pd(p); }
    static D loadFloats(const float* p) { return _mm256_cvtps_pd(_mm_loadu_ps(p)); }
    static void storeFloats(float* p, D v) { _mm_storeu_ps(p, _mm256_cvtpd_ps(v)); }
    static D roundToFloat(D v) { return _mm256_cvtps_pd(_mm256_cvtpd_ps(v)); }
    static D add(D a, D b) { return _mm256_add_pd(a, b); }
    static D fma(D a, D b, D c) { return _mm256_fmadd_pd(a, b, c); }  // rounded once
    static D sub(D a, D b) { return _mm256_sub_pd(a, b); }
    static D mul(D a, D b) { return _mm256_mul_pd(a, b); }
    static D div(D a, D b) { return _mm256_div_pd(a, b); }
    static D min(D a, D b) { return _mm256_min_pd(a, b); }
    static D max(D a, D b) { return _mm256_max_pd(a, b); }
    static M gt(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_GT_OQ); }
    static M lt(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
    static M unord(D a) { return _mm256_cmp_pd(a, a, _CMP_UNORD_Q); }
    static M mand(M a, M b) { return _mm256_and_pd(a, b); }
    static M gtWhere(M where, D a, D b) { return _mm256_and_pd(where, gt(a, b)); }  // a > b in the lanes of `where`
    static D sel(M m, D a, D b) { return _mm256_blendv_pd(b, a, m); }
    static I asI(D v) { return _mm256_castpd_si256(v); }
    static D asD(I i) { return _mm256_castsi256_pd(i); }
    static I setI(int64_t v) { return _mm256_set1_epi64x(v); }
    static I srl52(I i) { return _mm256_srli_epi64(i, 52); }
    static I sll52(I i) { return _mm256_slli_epi64(i, 52); }
    template <int N>
    static I srl(I i) { return _mm256_srli_epi64(i, N); }
    template <int N>
    static I sll(I i) { return _mm256_slli_epi64(i, N); }
    static D lookup16(const double* table, I i) {
        return _mm256_i64gather_pd(table, _mm256_and_si256(i, _mm256_set1_epi64x(15)), 8);
    }
    static I andI(I a, I b) { return _mm256_and_si256(a, b); }
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
    // floor(log2 |v|) as a double, for v normal.
    static D exponentOf(D v) { return _mm512_getexp_pd(v); }
    // v * 2^floor(n), rounded once.
    static D scale(D v, D n) { return _mm512_scalef_pd(v, n); }
    static D set(double v) { return _mm512_set1_pd(v); }
    static D loadRepeating(const double* p) { return _mm512_loadu_pd(p); }
    static D loadFloats(const float* p) { return _mm512_cvtps_pd(_mm256_loadu_ps(p)); }
    static void storeFloats(float* p, D v) { _mm256_storeu_ps(p, _mm512_cvtpd_ps(v)); }
    static D roundToFloat(D v) { return _mm512_cvtps_pd(_mm512_cvtpd_ps(v)); }
    static D add(D a, D b) { return _mm512_add_pd(a, b); }
    static D fma(D a, D b, D c) { return _mm512_fmadd_pd(a, b, c); }  // rounded once
    static D sub(D a, D b) { return _mm512_sub_pd(a, b); }
    static D mul(D a, D b) { return _mm512_mul_pd(a, b); }
    static D div(D a, D b) { return _mm512_div_pd(a, b); }
    static D min(D a, D b) { return _mm512_min_pd(a, b); }
    static D max(D a, D b) { return _mm512_max_pd(a, b); }
    static M gt(D a, D b) { return _mm512_cmp_pd_mask(a, b, _CMP_GT_OQ); }
    static M lt(D a, D b) { return _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ); }
    static M unord(D a) { return _mm512_cmp_pd_mask(a, a, _CMP_UNORD_Q); }
    static M mand(M a, M b) { return _kand_mask8(a, b); }
    // a > b in the lanes of `where`: one masked compare.
    static M gtWhere(M where, D a, D b) { return _mm512_mask_cmp_pd_mask(where, a, b, _CMP_GT_OQ); }
    static D sel(M m, D a, D b) { return _mm512_mask_blend_pd(m, b, a); }
    static I asI(D v) { return _mm512_castpd_si512(v); }
    static D asD(I i) { return _mm512_castsi512_pd(i); }
    static I setI(int64_t v) { return _mm512_set1_epi64(v); }
    static I srl52(I i) { return _mm512_srli_epi64(i, 52); }
    static I sll52(I i) { return _mm512_slli_epi64(i, 52); }
    template <int N>
    static I srl(I i) { return _mm512_srli_epi64(i, N); }
    template <int N>
    static I sll(I i) { return _mm512_slli_epi64(i, N); }
    // Sixteen entries in two registers; the permute reads the low four bits.
    static D lookup16(const double* table, I i) {
        return _mm512_permutex2var_pd(_mm512_load_pd(table), i, _mm512_load_pd(table + 8));
    }
    static I andI(I a, I b) { return _mm512_and_si512(a, b); }
    static I orI(I a, I b) { return _mm512_or_si512(a, b); }
    static I addI(I a, I b) { return _mm512_add_epi64(a, b); }
    static I subI(I a, I b) { return _mm512_sub_epi64(a, b); }
};
#endif

// Two vectors of `Inner` as one: every operation is done on both halves, so
// a kernel written over Wide2 runs two independent chains side by side (the
// processor overlaps their latencies) with every value held in registers.
// The halves cover consecutive lanes; a kernel's coefficients, which repeat
// with every pixel, are loaded into each half alike once a half holds whole
// pixels (loadRepeating).
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
    static ZANTH_OPS_INLINE D set(double v) { return {Inner::set(v), Inner::set(v)}; }
    // kLanes coefficients when a half is narrower than a pixel (four lanes),
    // else one pixel's coefficients in each half.
    static ZANTH_OPS_INLINE D loadRepeating(const double* p) {
        if constexpr (Inner::kLanes >= 4) {
            return {Inner::loadRepeating(p), Inner::loadRepeating(p)};
        } else {
            return {Inner::loadRepeating(p), Inner::loadRepeating(p + Inner::kLanes)};
        }
    }
    static ZANTH_OPS_INLINE D loadFloats(const float* p) {
        return {Inner::loadFloats(p), Inner::loadFloats(p + Inner::kLanes)};
    }
    static ZANTH_OPS_INLINE void storeFloats(float* p, D v) {
        Inner::storeFloats(p, v.a);
        Inner::storeFloats(p + Inner::kLanes, v.b);
    }
#define ZANTH_WIDE_UNARY(R, name, T) \
    static ZANTH_OPS_INLINE R name(T x) { return {Inner::name(x.a), Inner::name(x.b)}; }
#define ZANTH_WIDE_BINARY(R, name, T, U) \
    static ZANTH_OPS_INLINE R name(T x, U y) { return {Inner::name(x.a, y.a), Inner::name(x.b, y.b)}; }
    ZANTH_WIDE_UNARY(D, roundToFloat, D)
    ZANTH_WIDE_BINARY(D, add, D, D)
    ZANTH_WIDE_BINARY(D, sub, D, D)
    ZANTH_WIDE_BINARY(D, mul, D, D)
    ZANTH_WIDE_BINARY(D, div, D, D)
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
    ZANTH_WIDE_BINARY(I, andI, I, I)
    ZANTH_WIDE_BINARY(I, orI, I, I)
    ZANTH_WIDE_BINARY(I, addI, I, I)
    ZANTH_WIDE_BINARY(I, subI, I, I)
    template <typename T = Inner, typename = std::enable_if_t<T::kScaleInstructions>>
    static ZANTH_OPS_INLINE D exponentOf(D x) {
        return {Inner::exponentOf(x.a), Inner::exponentOf(x.b)};
    }
    template <typename T = Inner, typename = std::enable_if_t<T::kScaleInstructions>>
    static ZANTH_OPS_INLINE D scale(D x, D n) {
        return {Inner::scale(x.a, n.a), Inner::scale(x.b, n.b)};
    }
#undef ZANTH_WIDE_UNARY
#undef ZANTH_WIDE_BINARY
    template <int N>
    static ZANTH_OPS_INLINE I srl(I x) {
        return {Inner::template srl<N>(x.a), Inner::template srl<N>(x.b)};
    }
    template <int N>
    static ZANTH_OPS_INLINE I sll(I x) {
        return {Inner::template sll<N>(x.a), Inner::template sll<N>(x.b)};
    }
    static ZANTH_OPS_INLINE D lookup16(const double* table, I x) {
        return {Inner::lookup16(table, x.a), Inner::lookup16(table, x.b)};
    }
    static ZANTH_OPS_INLINE D fma(D x, D y, D z) { return {Inner::fma(x.a, y.a, z.a), Inner::fma(x.b, y.b, z.b)}; }
    static ZANTH_OPS_INLINE M gtWhere(M m, D x, D y) { return {Inner::gtWhere(m.a, x.a, y.a), Inner::gtWhere(m.b, x.b, y.b)}; }
    static ZANTH_OPS_INLINE D sel(M m, D x, D y) { return {Inner::sel(m.a, x.a, y.a), Inner::sel(m.b, x.b, y.b)}; }
    static ZANTH_OPS_INLINE I setI(int64_t v) { return {Inner::setI(v), Inner::setI(v)}; }
};

}  // namespace
}  // namespace Ombrix::Levels
