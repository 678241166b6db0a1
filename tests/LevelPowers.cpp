// One level's powers (LevelPowers.h): ZANTH_POWERS_LEVEL names the level, and
// the file is built with its instruction set and the kernels' float rules.
#if ZANTH_POWERS_LEVEL == 0
#define ZANTH_OPS_SCALAR 1
#elif ZANTH_POWERS_LEVEL == 1
#define ZANTH_OPS_SSE4 1
#elif ZANTH_POWERS_LEVEL == 2
#define ZANTH_OPS_AVX2 1
#else
#define ZANTH_OPS_AVX512 1
#endif
#include "render/cpu/CpuKernelBody.h"
#include "render/cpu/CpuKernelOps.h"
#include "tests/LevelPowers.h"

namespace {

using namespace Ombrix::Levels;

// The widths the float rows take at each level.
#if ZANTH_POWERS_LEVEL == 0
using Ops = Wide2<Wide2<ScalarOps>>;
#elif ZANTH_POWERS_LEVEL == 1
using Ops = Wide2<Wide2<Sse4Ops>>;
#elif ZANTH_POWERS_LEVEL == 2
using Ops = Wide2<Wide2<Wide2<Avx2Ops>>>;
#else
using Ops = Wide2<Wide2<Wide2<Avx512Ops>>>;
#endif
using D = Ops::D;
using M = Ops::M;

void powers(const float* x, const float* e, float* out, int count) {
    constexpr int kBlock = Ops::kLanes;
    auto block = [](const float* xs, const float* es, float* to) {
        const D value = Ops::loadFloats(xs);
        const D ex = Ops::loadFloats(es);
        const M infinite = Ops::gt(value, Ops::set(static_cast<double>(FLT_MAX)));
        const M finite = Ops::mand(Ops::gt(value, Ops::set(0.0)),
                                   Ops::lt(value, Ops::set(static_cast<double>(FLT_MAX) * 2.0)));
        const D base = Kernel<Ops>::power(Ops::sel(finite, value, Ops::set(1.0)), ex);
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

}  // namespace

#if ZANTH_POWERS_LEVEL == 0
void zanth_test::scalarPowers(const float* x, const float* e, float* out, int count) { powers(x, e, out, count); }
#elif ZANTH_POWERS_LEVEL == 1
void zanth_test::sse4Powers(const float* x, const float* e, float* out, int count) { powers(x, e, out, count); }
#elif ZANTH_POWERS_LEVEL == 2
void zanth_test::avx2Powers(const float* x, const float* e, float* out, int count) { powers(x, e, out, count); }
#else
void zanth_test::avx512Powers(const float* x, const float* e, float* out, int count) { powers(x, e, out, count); }
#endif
