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

template <typename Ops>
struct Kernel {
    using D = typename Ops::D;
    using M = typename Ops::M;
    using I = typename Ops::I;

    // The kernels work on kN vectors at once, step by step, so that the long
    // chains of dependent operations of one vector overlap with the others'.
    static constexpr int kN = 4;
    using Vs = D[kN];

    // log2 of v > 0, finite, normal, in place.
    static void log2Of(Vs& v) {
        I bits[kN];
        D k[kN], m[kN], s[kN], z[kN], p[kN];
        for (int j = 0; j < kN; ++j) bits[j] = Ops::asI(v[j]);
        // The biased exponent as a double: its bits put into the mantissa of 2^52.
        for (int j = 0; j < kN; ++j) {
            k[j] = Ops::sub(Ops::asD(Ops::orI(Ops::srl52(bits[j]), Ops::setI(0x4330000000000000LL))),
                            Ops::set(4503599627370496.0 + 1023.0));
        }
        for (int j = 0; j < kN; ++j) {
            m[j] = Ops::asD(Ops::orI(Ops::andI(bits[j], Ops::setI(0x000FFFFFFFFFFFFFLL)), Ops::setI(0x3FF0000000000000LL)));
        }
        for (int j = 0; j < kN; ++j) {
            const M high = Ops::gt(m[j], Ops::set(kSqrt2));
            m[j] = Ops::sel(high, Ops::mul(m[j], Ops::set(0.5)), m[j]);
            k[j] = Ops::sel(high, Ops::add(k[j], Ops::set(1.0)), k[j]);
        }
        for (int j = 0; j < kN; ++j) s[j] = Ops::div(Ops::sub(m[j], Ops::set(1.0)), Ops::add(m[j], Ops::set(1.0)));
        for (int j = 0; j < kN; ++j) z[j] = Ops::mul(s[j], s[j]);
        for (int j = 0; j < kN; ++j) p[j] = Ops::set(1.0 / 13.0);
        static constexpr double kAtanh[] = {1.0 / 11.0, 1.0 / 9.0, 1.0 / 7.0, 1.0 / 5.0, 1.0 / 3.0, 1.0};
        for (double c : kAtanh) {
            for (int j = 0; j < kN; ++j) p[j] = Ops::add(Ops::mul(p[j], z[j]), Ops::set(c));
        }
        for (int j = 0; j < kN; ++j) {
            const D lnm = Ops::mul(Ops::mul(s[j], Ops::set(2.0)), p[j]);
            v[j] = Ops::add(k[j], Ops::mul(lnm, Ops::set(kLog2E)));
        }
    }

    // 2^y, in place.
    static void exp2Of(Vs& y) {
        const D magic = Ops::set(6755399441055744.0);  // 1.5 * 2^52: rounds to an integer
        D shifted[kN], t[kN], p[kN];
        for (int j = 0; j < kN; ++j) y[j] = Ops::min(Ops::max(y[j], Ops::set(-1000.0)), Ops::set(1000.0));
        for (int j = 0; j < kN; ++j) shifted[j] = Ops::add(y[j], magic);
        for (int j = 0; j < kN; ++j) t[j] = Ops::mul(Ops::sub(y[j], Ops::sub(shifted[j], magic)), Ops::set(kLn2));
        for (int j = 0; j < kN; ++j) p[j] = Ops::set(1.0 / 40320.0);
        static constexpr double kTaylor[] = {1.0 / 5040.0, 1.0 / 720.0, 1.0 / 120.0, 1.0 / 24.0, 1.0 / 6.0, 0.5, 1.0, 1.0};
        for (double c : kTaylor) {
            for (int j = 0; j < kN; ++j) p[j] = Ops::add(Ops::mul(p[j], t[j]), Ops::set(c));
        }
        // 2^n from n's bits: shifted - magic in the integer unit is n itself.
        for (int j = 0; j < kN; ++j) {
            const I ni = Ops::subI(Ops::asI(shifted[j]), Ops::asI(magic));
            y[j] = Ops::mul(p[j], Ops::asD(Ops::sll52(Ops::addI(ni, Ops::setI(1023)))));
        }
    }

    // v^e for v > 0 (normal doubles), e finite, in place; e[j % kE] for vector j.
    template <int kE>
    static void power(Vs& v, const D (&e)[kE]) {
        log2Of(v);
        for (int j = 0; j < kN; ++j) v[j] = Ops::mul(e[j % kE], v[j]);
        exp2Of(v);
    }

    // Lanes a group of pixels takes: one vector, or several when a vector is
    // narrower than a pixel (the coefficients of vector j are those of j % kV).
    static constexpr int kV = Ops::kLanes >= 4 ? 1 : 4 / Ops::kLanes;
    static constexpr int kGroupPixels = Ops::kLanes >= 4 ? Ops::kLanes / 4 : 1;
    static constexpr int kBlockPixels = kGroupPixels * kN / kV;

    struct Stage {
        D a1[kV], b1[kV], lo[kV], hi[kV], exponent[kV], powLane[kV], stepLane[kV], a2[kV], b2[kV];
        bool affine = false, clamp = false, pow = false, step = false;
        explicit Stage(const FloatStage& s) : affine(s.affine), clamp(s.clamp), pow(s.pow), step(s.step) {
            for (int i = 0; i < kV; ++i) {
                const int offset = i * Ops::kLanes;
                a1[i] = Ops::load(s.a1 + offset);
                b1[i] = Ops::load(s.b1 + offset);
                lo[i] = Ops::load(s.lo + offset);
                hi[i] = Ops::load(s.hi + offset);
                exponent[i] = Ops::load(s.exponent + offset);
                powLane[i] = Ops::load(s.powLane + offset);
                stepLane[i] = Ops::load(s.stepLane + offset);
                a2[i] = Ops::load(s.a2 + offset);
                b2[i] = Ops::load(s.b2 + offset);
            }
        }

        void apply(Vs& v) const {
            if (affine) {
                for (int j = 0; j < kN; ++j) v[j] = Ops::add(Ops::mul(v[j], a1[j % kV]), b1[j % kV]);
            }
            if (clamp) {
                for (int j = 0; j < kN; ++j) v[j] = Ops::min(Ops::max(v[j], lo[j % kV]), hi[j % kV]);
            }
            if (pow) {
                M on[kN];
                D base[kN];
                for (int j = 0; j < kN; ++j) {
                    on[j] = Ops::mand(Ops::gt(v[j], Ops::set(0.0)), Ops::gt(powLane[j % kV], Ops::set(0.5)));
                    base[j] = Ops::sel(on[j], v[j], Ops::set(1.0));  // lanes that take no power: a harmless base
                }
                power(base, exponent);
                for (int j = 0; j < kN; ++j) v[j] = Ops::sel(on[j], base[j], v[j]);
            }
            if (step) {
                const D one = Ops::set(1.0);
                for (int j = 0; j < kN; ++j) {
                    const M on = Ops::mand(Ops::gt(v[j], Ops::set(0.0)), Ops::gt(stepLane[j % kV], Ops::set(0.5)));
                    const D limit = Ops::sel(Ops::lt(v[j], one), Ops::set(0.0),
                                             Ops::sel(Ops::gt(v[j], one), Ops::set(kHuge), one));
                    v[j] = Ops::sel(on, limit, v[j]);
                }
            }
            if (affine) {
                for (int j = 0; j < kN; ++j) v[j] = Ops::add(Ops::mul(v[j], a2[j % kV]), b2[j % kV]);
            }
            for (int j = 0; j < kN; ++j) {
                v[j] = Ops::min(Ops::max(v[j], Ops::set(-static_cast<double>(FLT_MAX))),
                                Ops::set(static_cast<double>(FLT_MAX)));
                v[j] = Ops::roundToFloat(v[j]);
            }
        }
    };

    static void floatRow(const FloatPlan& plan, const float* in, float* out, int pixels) {
        const bool first = plan.first.active();
        const bool second = plan.second.active();
        const Stage s1(plan.first);
        const Stage s2(plan.second);
        auto block = [&](const float* from, float* to) {
            Vs v;
            for (int j = 0; j < kN; ++j) {
                v[j] = Ops::loadFloats(from + j * Ops::kLanes);
                v[j] = Ops::sel(Ops::unord(v[j]), Ops::set(0.0), v[j]);  // NaN as 0
                v[j] = Ops::min(Ops::max(v[j], Ops::set(-static_cast<double>(FLT_MAX))),
                                Ops::set(static_cast<double>(FLT_MAX)));
            }
            if (first) s1.apply(v);
            if (second) s2.apply(v);
            for (int j = 0; j < kN; ++j) Ops::storeFloats(to + j * Ops::kLanes, v[j]);
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
        constexpr int kBlock = kN * Ops::kLanes;
        auto block = [](const float* xs, const float* es, float* to) {
            Vs v;
            D ex[kN];
            M finite[kN], infinite[kN];
            for (int j = 0; j < kN; ++j) {
                const D value = Ops::loadFloats(xs + j * Ops::kLanes);
                ex[j] = Ops::loadFloats(es + j * Ops::kLanes);
                infinite[j] = Ops::gt(value, Ops::set(static_cast<double>(FLT_MAX)));
                finite[j] = Ops::mand(Ops::gt(value, Ops::set(0.0)),
                                      Ops::lt(value, Ops::set(static_cast<double>(FLT_MAX) * 2.0)));
                v[j] = Ops::sel(finite[j], value, Ops::set(1.0));
            }
            Vs base;
            for (int j = 0; j < kN; ++j) base[j] = v[j];
            power(base, ex);
            for (int j = 0; j < kN; ++j) {
                const D value = Ops::loadFloats(xs + j * Ops::kLanes);
                const D r = Ops::sel(finite[j], base[j], Ops::sel(infinite[j], value, Ops::set(0.0)));
                Ops::storeFloats(to + j * Ops::kLanes, r);
            }
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
