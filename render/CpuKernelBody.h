// The row kernels written once over a lane type `Ops` (CpuKernelOps.h), and
// included by each CpuKernels*.cpp with its own instruction set. Everything
// here has internal linkage, so no code built for a wide instruction set is
// shared with a narrower file.
//
// The power function works in double precision whatever the lane width:
//   log2 v = k + log2 m, with v = 2^k * m, m in [sqrt(1/2), sqrt(2));
//            log m = 2 * atanh(s), s = (m - 1) / (m + 1), |s| < 0.1716, as the
//            odd series of atanh to s^13 (truncation below 2^-39 relative);
//   2^y    = 2^n * e^(f * log 2), n = y rounded to the nearest integer,
//            |f| <= 1/2, e^t as its Taylor series to t^8 (below 2^-31 relative);
// y is held within +-1000 first, so 2^n is a normal double. For every result
// in the float range (|y| < 150) the error is below 2^-31 relative, far inside
// a float's half unit (2^-25): rounded to float it is the correctly rounded
// power or, for results that close to a rounding boundary, its neighbour (at
// most one unit in the last place).
#pragma once

#include <cfloat>
#include <cstdint>

#include "render/CpuKernels.h"

namespace Ombrix::Levels {
namespace {

constexpr double kSqrt2 = 1.4142135623730950488;
constexpr double kLog2E = 1.4426950408889634074;
constexpr double kLn2 = 0.69314718055994530942;
constexpr double kHuge = 1e300;  // the power's result for "infinitely" steep gammas

#if defined(__GNUC__)
#define ZANTH_KERNEL_INLINE inline __attribute__((always_inline))
#else
#define ZANTH_KERNEL_INLINE inline
#endif

template <typename Ops>
struct Kernel {
    using D = typename Ops::D;
    using M = typename Ops::M;
    using I = typename Ops::I;

    // Every step below works on one vector and is inlined into the row loop,
    // so the whole chain stays in registers; the processor overlaps the
    // chains of neighbouring vectors itself.

    // log2 of v > 0, finite, normal.
    static ZANTH_KERNEL_INLINE D log2Of(D v) {
        const I bits = Ops::asI(v);
        // The biased exponent as a double: its bits put into the mantissa of 2^52.
        D k = Ops::sub(Ops::asD(Ops::orI(Ops::srl52(bits), Ops::setI(0x4330000000000000LL))),
                       Ops::set(4503599627370496.0 + 1023.0));
        D m = Ops::asD(Ops::orI(Ops::andI(bits, Ops::setI(0x000FFFFFFFFFFFFFLL)), Ops::setI(0x3FF0000000000000LL)));
        const M high = Ops::gt(m, Ops::set(kSqrt2));
        m = Ops::sel(high, Ops::mul(m, Ops::set(0.5)), m);
        k = Ops::sel(high, Ops::add(k, Ops::set(1.0)), k);
        const D s = Ops::div(Ops::sub(m, Ops::set(1.0)), Ops::add(m, Ops::set(1.0)));
        const D z = Ops::mul(s, s);
        D p = Ops::set(1.0 / 13.0);
        p = Ops::add(Ops::mul(p, z), Ops::set(1.0 / 11.0));
        p = Ops::add(Ops::mul(p, z), Ops::set(1.0 / 9.0));
        p = Ops::add(Ops::mul(p, z), Ops::set(1.0 / 7.0));
        p = Ops::add(Ops::mul(p, z), Ops::set(1.0 / 5.0));
        p = Ops::add(Ops::mul(p, z), Ops::set(1.0 / 3.0));
        p = Ops::add(Ops::mul(p, z), Ops::set(1.0));
        const D lnm = Ops::mul(Ops::mul(s, Ops::set(2.0)), p);
        return Ops::add(k, Ops::mul(lnm, Ops::set(kLog2E)));
    }

    // 2^y.
    static ZANTH_KERNEL_INLINE D exp2Of(D y) {
        const D magic = Ops::set(6755399441055744.0);  // 1.5 * 2^52: rounds to an integer
        y = Ops::min(Ops::max(y, Ops::set(-1000.0)), Ops::set(1000.0));
        const D shifted = Ops::add(y, magic);
        const D t = Ops::mul(Ops::sub(y, Ops::sub(shifted, magic)), Ops::set(kLn2));
        D p = Ops::set(1.0 / 40320.0);
        p = Ops::add(Ops::mul(p, t), Ops::set(1.0 / 5040.0));
        p = Ops::add(Ops::mul(p, t), Ops::set(1.0 / 720.0));
        p = Ops::add(Ops::mul(p, t), Ops::set(1.0 / 120.0));
        p = Ops::add(Ops::mul(p, t), Ops::set(1.0 / 24.0));
        p = Ops::add(Ops::mul(p, t), Ops::set(1.0 / 6.0));
        p = Ops::add(Ops::mul(p, t), Ops::set(0.5));
        p = Ops::add(Ops::mul(p, t), Ops::set(1.0));
        p = Ops::add(Ops::mul(p, t), Ops::set(1.0));
        // 2^n from n's bits: shifted - magic in the integer unit is n itself.
        const I ni = Ops::subI(Ops::asI(shifted), Ops::asI(magic));
        return Ops::mul(p, Ops::asD(Ops::sll52(Ops::addI(ni, Ops::setI(1023)))));
    }

    // v^e for v > 0 (a normal double), e finite.
    static ZANTH_KERNEL_INLINE D power(D v, D e) { return exp2Of(Ops::mul(e, log2Of(v))); }

    // A vector holds whole pixels (Ops is made wide enough: Wide2), so one set
    // of coefficients serves every vector.
    static_assert(Ops::kLanes >= 4 && Ops::kLanes % 4 == 0, "a vector holds whole pixels");
    static constexpr int kBlockPixels = Ops::kLanes / 4;

    struct Stage {
        D a1, b1, lo, hi, exponent, powLane, stepLane, a2, b2;
        bool affine = false, clamp = false, pow = false, step = false;
        explicit Stage(const FloatStage& s)
            : a1(Ops::loadRepeating(s.a1)),
              b1(Ops::loadRepeating(s.b1)),
              lo(Ops::loadRepeating(s.lo)),
              hi(Ops::loadRepeating(s.hi)),
              exponent(Ops::loadRepeating(s.exponent)),
              powLane(Ops::loadRepeating(s.powLane)),
              stepLane(Ops::loadRepeating(s.stepLane)),
              a2(Ops::loadRepeating(s.a2)),
              b2(Ops::loadRepeating(s.b2)),
              affine(s.affine),
              clamp(s.clamp),
              pow(s.pow),
              step(s.step) {}

        ZANTH_KERNEL_INLINE D apply(D v) const {
            if (affine) v = Ops::add(Ops::mul(v, a1), b1);
            if (clamp) v = Ops::min(Ops::max(v, lo), hi);
            if (pow) {
                const M on = Ops::mand(Ops::gt(v, Ops::set(0.0)), Ops::gt(powLane, Ops::set(0.5)));
                const D base = Ops::sel(on, v, Ops::set(1.0));  // lanes that take no power: a harmless base
                v = Ops::sel(on, power(base, exponent), v);
            }
            if (step) {
                const D one = Ops::set(1.0);
                const M on = Ops::mand(Ops::gt(v, Ops::set(0.0)), Ops::gt(stepLane, Ops::set(0.5)));
                const D limit = Ops::sel(Ops::lt(v, one), Ops::set(0.0), Ops::sel(Ops::gt(v, one), Ops::set(kHuge), one));
                v = Ops::sel(on, limit, v);
            }
            if (affine) v = Ops::add(Ops::mul(v, a2), b2);
            v = Ops::min(Ops::max(v, Ops::set(-static_cast<double>(FLT_MAX))), Ops::set(static_cast<double>(FLT_MAX)));
            return Ops::roundToFloat(v);
        }
    };

    static void floatRow(const FloatPlan& plan, const float* in, float* out, int pixels) {
        const bool first = plan.first.active();
        const bool second = plan.second.active();
        const Stage s1(plan.first);
        const Stage s2(plan.second);
        auto block = [&](const float* from, float* to) {
            D v = Ops::loadFloats(from);
            v = Ops::sel(Ops::unord(v), Ops::set(0.0), v);  // NaN as 0
            v = Ops::min(Ops::max(v, Ops::set(-static_cast<double>(FLT_MAX))), Ops::set(static_cast<double>(FLT_MAX)));
            if (first) v = s1.apply(v);
            if (second) v = s2.apply(v);
            Ops::storeFloats(to, v);
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

    static void powFloats(const float* x, const float* e, float* out, int count) {
        constexpr int kBlock = Ops::kLanes;
        auto block = [](const float* xs, const float* es, float* to) {
            const D value = Ops::loadFloats(xs);
            const D ex = Ops::loadFloats(es);
            const M infinite = Ops::gt(value, Ops::set(static_cast<double>(FLT_MAX)));
            const M finite = Ops::mand(Ops::gt(value, Ops::set(0.0)),
                                       Ops::lt(value, Ops::set(static_cast<double>(FLT_MAX) * 2.0)));
            const D base = power(Ops::sel(finite, value, Ops::set(1.0)), ex);
            Ops::storeFloats(to, Ops::sel(finite, base, Ops::sel(infinite, value, Ops::set(0.0))));
        };
        int i = 0;
        for (; i + kBlock <= count; i += kBlock) block(x + i, e + i, out + i);
        if (i < count) {
            float xs[kBlock] = {};
            float es[kBlock] = {};
            float rs[kBlock];
            for (int j = 0; j < count - i; ++j) xs[j] = x[i + j], es[j] = e[i + j];
            block(xs, es, rs);
            for (int j = 0; j < count - i; ++j) out[i + j] = rs[j];
        }
    }
};

// The plain per-channel lookups, for levels without vector lookups.
inline void bytesRowScalar(const uint8_t* tables, const uint8_t* in, uint8_t* out, int pixels) {
    const uint8_t* a = tables;
    const uint8_t* r = tables + 256;
    const uint8_t* g = tables + 512;
    const uint8_t* b = tables + 768;
    for (int x = 0; x < pixels; ++x) {
        const uint8_t p0 = in[4 * x], p1 = in[4 * x + 1], p2 = in[4 * x + 2], p3 = in[4 * x + 3];
        out[4 * x] = a[p0];
        out[4 * x + 1] = r[p1];
        out[4 * x + 2] = g[p2];
        out[4 * x + 3] = b[p3];
    }
}

inline void codesRowScalar(const uint16_t* table, const uint16_t* in, uint16_t* out, int pixels) {
    for (int x = 0; x < pixels; ++x) {
        for (int c = 0; c < 4; ++c) {
            const uint16_t v = in[4 * x + c];
            out[4 * x + c] = table[c * kTable16Entries + (v < 32768 ? v : 32768)];
        }
    }
}

}  // namespace
}  // namespace Ombrix::Levels
