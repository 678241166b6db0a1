// The row kernels written once over a lane type `Ops` (CpuKernelOps.h), and
// included by each CpuKernels*.cpp with its own instruction set. Everything
// here has internal linkage, so no code built for a wide instruction set is
// shared with a narrower file.
//
// The power function works in double precision whatever the lane width, with
// no division and three 16-entry tables:
//   log2 v = k + log2(1/c_i) + log2(1 + r), v = 2^k * m, m within 1/32 of
//            1 + i/16 (i from m's top bits), c_i = 1/(1 + i/16), r = m c_i - 1,
//            |r| <= 1/32; log2(1 + r) as r times its series to r^5 (below
//            2^-32 relative; interval 0 has c = 1 and log2(1/c) = 0, so v near
//            1 keeps its full relative precision);
//   2^y    = 2^n * 2^(j/16) * 2^f, 16 y = 16 n + j rounded, |f| <= 1/32,
//            2^f as its Taylor series to f^4 (below 2^-34 relative);
// y is held within +-1000 first, so 2^n is a normal double. AVX-512 takes k
// apart and puts 2^n on with its exponent instructions (getexp, scalef), the
// other levels through the integer bits; both are exact, so the bits agree.
// For every result in the float range (|y| < 150) the error is below 2^-26
// relative (that much only where |y| nears 150 with v near 1; far less
// elsewhere), inside a float's half unit (2^-25 at worst): rounded to float it
// is the correctly rounded power or, for results that close to a rounding
// boundary, its neighbour (at most one unit in the last place).
//
// Float rows take a block of pixels apart into a vector per channel
// (Ops::loadPixels), so each map runs on whole vectors with one set of
// coefficients, and a map that changes nothing costs nothing.
#pragma once

#include <cfloat>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "render/cpu/CpuKernelOps.h"
#include "render/cpu/CpuKernels.h"
#include "render/cpu/PowerTables.h"

namespace Ombrix::Levels {
namespace {

constexpr double kLog2E = 1.4426950408889634074;
constexpr double kLn2 = 0.69314718055994530942;
constexpr double kHuge = 1e300;  // the power's result for "infinitely" steep gammas

// log2(1 + r) / r = log2(e) (1 - r/2 + r^2/3 - ...).
constexpr double kLog2Series[6] = {kLog2E,       -kLog2E / 2.0, kLog2E / 3.0,
                                   -kLog2E / 4.0, kLog2E / 5.0,  -kLog2E / 6.0};
// 2^f = sum of (f ln 2)^n / n!.
constexpr double kExp2Series[5] = {1.0,
                                   kLn2,
                                   kLn2 * kLn2 / 2.0,
                                   kLn2 * kLn2 * kLn2 / 6.0,
                                   kLn2 * kLn2 * kLn2 * kLn2 / 24.0};
// 16 * 1023 less the bits of 1.5 * 2^52, as the integer units add them.
constexpr int64_t kExp2Bias = static_cast<int64_t>(uint64_t{16 * 1023} - uint64_t{0x4338000000000000ULL});

template <typename Ops>
struct Kernel {
    using D = typename Ops::D;
    using M = typename Ops::M;
    using I = typename Ops::I;

    // Every step below works on one vector of Ops and is inlined into the row
    // loop, so the whole chain stays in registers. Each level makes Ops wide
    // (Wide2 of Wide2 ...: several native vectors as one), so every step runs
    // several independent chains side by side and the long latencies of a
    // power overlap.

    // log2 of v > 0, finite, normal.
    static ZANTH_OPS_INLINE D log2Of(D v) {
        const I bits = Ops::asI(v);
        // Half an interval added: a mantissa in the top half of interval 15
        // carries into the exponent, so m lands in [1 - 1/32, 1 + 31/32).
        const I rounded = Ops::addI(bits, Ops::setI(int64_t{1} << 47));
        D k, m;  // v = 2^k m
        if constexpr (Ops::kScaleInstructions) {
            k = Ops::exponentOf(Ops::asD(rounded));
            m = Ops::scale(v, Ops::sub(Ops::set(0.0), k));
        } else {
            const I biased = Ops::srl52(rounded);  // k + 1023
            // k as a double: the biased exponent put into the mantissa of 2^52.
            k = Ops::sub(Ops::asD(Ops::orI(biased, Ops::setI(0x4330000000000000LL))),
                         Ops::set(4503599627370496.0 + 1023.0));
            // m = v / 2^k, its exponent field taken down by k.
            m = Ops::asD(Ops::subI(bits, Ops::sll52(Ops::subI(biased, Ops::setI(1023)))));
        }
        const I index = Ops::template srl<48>(rounded);  // its low four bits: the interval
        const D r = Ops::fma(m, Ops::lookup16(kLogScale, index), Ops::set(-1.0));
        D q = Ops::set(kLog2Series[5]);
        q = Ops::fma(q, r, Ops::set(kLog2Series[4]));
        q = Ops::fma(q, r, Ops::set(kLog2Series[3]));
        q = Ops::fma(q, r, Ops::set(kLog2Series[2]));
        q = Ops::fma(q, r, Ops::set(kLog2Series[1]));
        q = Ops::fma(q, r, Ops::set(kLog2Series[0]));
        return Ops::add(k, Ops::fma(r, q, Ops::lookup16(kLogOfScale, index)));
    }

    // 2^y.
    static ZANTH_OPS_INLINE D exp2Of(D y) {
        const D magic = Ops::set(6755399441055744.0);  // 1.5 * 2^52: rounds to an integer
        y = Ops::min(Ops::max(y, Ops::set(-1000.0)), Ops::set(1000.0));
        // s = round(16 y) in the low bits of `shifted`; y = s / 16 + f exactly.
        const D shifted = Ops::fma(y, Ops::set(16.0), magic);  // 16 y is exact: fused or not alike
        const D f = Ops::fma(Ops::sub(shifted, magic), Ops::set(-0.0625), y);  // exact: fused or not alike
        D p = Ops::set(kExp2Series[4]);
        p = Ops::fma(p, f, Ops::set(kExp2Series[3]));
        p = Ops::fma(p, f, Ops::set(kExp2Series[2]));
        p = Ops::fma(p, f, Ops::set(kExp2Series[1]));
        p = Ops::fma(p, f, Ops::set(1.0));
        const I s = Ops::asI(shifted);
        const D fraction = Ops::mul(p, Ops::lookup16(kExp2Sixteenths, s));
        // times 2^n, n = floor(s / 16) (exact: the result is a normal double).
        if constexpr (Ops::kScaleInstructions) {
            return Ops::scale(fraction, Ops::mul(Ops::sub(shifted, magic), Ops::set(0.0625)));
        } else {
            // 2^n from the bits: (s + 16 * 1023) / 16 is n's biased exponent.
            const I biased = Ops::template srl<4>(Ops::addI(s, Ops::setI(kExp2Bias)));
            return Ops::mul(fraction, Ops::asD(Ops::sll52(biased)));
        }
    }

    // v^e for v > 0 (a normal double), e finite.
    static ZANTH_OPS_INLINE D power(D v, D e) { return exp2Of(Ops::mul(e, log2Of(v))); }

    // A block: a lane of each channel's vector per pixel.
    static constexpr int kBlockPixels = Ops::kLanes;

    // A map's coefficient: a number broadcast where it is used, or a whole
    // vector made once (Ops::kNumberCoefficients: whichever is faster for the
    // level; a lane type several vectors wide loads a vector per part).
    using Coefficient = std::conditional_t<Ops::kNumberCoefficients, double, D>;
    static Coefficient coefficient(double c) {
        if constexpr (Ops::kNumberCoefficients) {
            return c;
        } else {
            return Ops::set(c);
        }
    }
    static ZANTH_OPS_INLINE D splat(const Coefficient& c) {
        if constexpr (Ops::kNumberCoefficients) {
            return Ops::set(c);
        } else {
            return c;
        }
    }

    struct Map {
        Coefficient negLowIn, a1, lo, hi, exponent, a2, b2;
        bool input, output, clamp, pow, step, active;
        explicit Map(const FloatMap& m)
            : negLowIn(coefficient(-m.lowIn)),
              a1(coefficient(m.a1)),
              lo(coefficient(m.lo)),
              hi(coefficient(m.hi)),
              exponent(coefficient(m.exponent)),
              a2(coefficient(m.a2)),
              b2(coefficient(m.b2)),
              input(m.input),
              output(m.output),
              clamp(m.clamp),
              pow(m.pow),
              step(m.step),
              active(m.active()) {}

        ZANTH_OPS_INLINE D apply(D v) const {
            if (!active) return v;
            // v * 255 is exact (v is a float), so fused or not the difference
            // is rounded once, and a value at input black gives exactly 0.
            if (input) v = Ops::mul(Ops::fma(v, Ops::set(255.0), splat(negLowIn)), splat(a1));
            if (clamp) v = Ops::min(Ops::max(v, splat(lo)), splat(hi));
            if (pow) {
                const M on = Ops::gt(v, Ops::set(0.0));
                const D base = Ops::sel(on, v, Ops::set(1.0));  // lanes that take no power: a harmless base
                v = Ops::sel(on, power(base, splat(exponent)), v);
            }
            if (step) {
                const D one = Ops::set(1.0);
                const M on = Ops::gt(v, Ops::set(0.0));
                const D limit = Ops::sel(Ops::lt(v, one), Ops::set(0.0), Ops::sel(Ops::gt(v, one), Ops::set(kHuge), one));
                v = Ops::sel(on, limit, v);
            }
            if (output) v = Ops::fma(v, splat(a2), splat(b2));
            v = Ops::min(Ops::max(v, Ops::set(-static_cast<double>(FLT_MAX))), Ops::set(static_cast<double>(FLT_MAX)));
            return Ops::roundToFloat(v);
        }
    };

    // NaN as 0, infinities as +-FLT_MAX.
    static ZANTH_OPS_INLINE D held(D v) {
        v = Ops::sel(Ops::unord(v), Ops::set(0.0), v);
        return Ops::min(Ops::max(v, Ops::set(-static_cast<double>(FLT_MAX))), Ops::set(static_cast<double>(FLT_MAX)));
    }

    static void floatRow(const FloatPlan& plan, const float* in, float* out, int pixels) {
        const Map alpha(plan.alpha), composite(plan.composite), red(plan.red), green(plan.green), blue(plan.blue);
        auto block = [&](const float* from, float* to) {
            D a, r, g, b;
            Ops::loadPixels(from, a, r, g, b);
            a = alpha.apply(held(a));
            r = composite.apply(held(r));
            g = composite.apply(held(g));
            b = composite.apply(held(b));
            Ops::storePixels(to, a, red.apply(r), green.apply(g), blue.apply(b));
        };
        int x = 0;
        for (; x + kBlockPixels <= pixels; x += kBlockPixels) block(in + 4 * x, out + 4 * x);
        if (x < pixels) {
            float tailIn[4 * kBlockPixels] = {};
            float tailOut[4 * kBlockPixels];
            for (int i = 0; i < 4 * (pixels - x); ++i) tailIn[i] = in[4 * x + i];
            block(tailIn, tailOut);
            for (int i = 0; i < 4 * (pixels - x); ++i) out[4 * x + i] = tailOut[i];
        }
    }
};

// The plain per-channel lookups, for levels without vector lookups: a pixel's
// four bytes looked up and written as one 4-byte store.
inline void bytesRowScalar(const uint8_t* tables, const uint8_t* in, uint8_t* out, int pixels) {
    const uint8_t* a = tables;
    const uint8_t* r = tables + 256;
    const uint8_t* g = tables + 512;
    const uint8_t* b = tables + 768;
    for (int x = 0; x < pixels; ++x) {
        const uint8_t q[4] = {a[in[4 * x]], r[in[4 * x + 1]], g[in[4 * x + 2]], b[in[4 * x + 3]]};
        std::memcpy(out + 4 * x, q, 4);
    }
}

// A pixel's four codes looked up, each written with its own store: the
// tables do not fit the first-level cache, and the loads and stores alone
// keep a core busy (one 8-byte store put together from the four measured
// slower, and so did AVX2 and AVX-512 gathers).
inline void codesRowScalar(const uint16_t* table, const uint16_t* in, uint16_t* out, int pixels) {
    const uint16_t* a = table;
    const uint16_t* r = table + kTable16Entries;
    const uint16_t* g = table + 2 * kTable16Entries;
    const uint16_t* b = table + 3 * kTable16Entries;
    for (int x = 0; x < pixels; ++x) {
        out[4 * x] = a[in[4 * x]];
        out[4 * x + 1] = r[in[4 * x + 1]];
        out[4 * x + 2] = g[in[4 * x + 2]];
        out[4 * x + 3] = b[in[4 * x + 3]];
    }
}

}  // namespace
}  // namespace Ombrix::Levels
