// Where a frame's bands of rows run: on the effect's own pool (WorkerPool.h),
// or on the host's worker threads through iterate_generic of "PF Iterate8
// Suite" where the host offers it.
#pragma once

#include <functional>

#include "host/ae_suites.h"

namespace Ombrix::Levels {

class BandRunner {
public:
    virtual ~BandRunner() = default;
    // band(i) once for every i in [0, bands), on at most maxThreads threads; returns
    // when all are done. band must not throw.
    virtual void run(int bands, int maxThreads, const std::function<void(int)>& band) const = 0;
};

// The effect's own pool.
class PoolBands : public BandRunner {
public:
    void run(int bands, int maxThreads, const std::function<void(int)>& band) const override;
};

// The host's worker threads. Each band runs once: a band the host did not run
// (it refused, failed or stopped early) runs on the effect's own pool, so the
// frame is always whole; a band the host runs twice runs once.
class HostIterateBands : public BandRunner {
public:
    explicit HostIterateBands(const PF_Iterate8Suite1* suite) : suite_(suite) {}
    void run(int bands, int maxThreads, const std::function<void(int)>& band) const override;

private:
    const PF_Iterate8Suite1* suite_;
};

}  // namespace Ombrix::Levels
