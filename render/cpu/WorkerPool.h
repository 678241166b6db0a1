// The effect's own worker threads: one pool for the whole process, started on
// first need and stopped at global set-down (never at unloading or exit: a
// process or module that ends without set-down leaves them be), of at most
// one thread less than the hardware has (the thread that asks for the work
// takes part in it). However many frames render at once, the process never
// holds more of these threads than hardware threads, and no frame starts a
// thread of its own.
//
// run() splits a frame's work into bands: the calling thread and up to
// `maxThreads - 1` workers take bands until none is left; it returns when every
// band is done. Work of several frames at once shares the workers; the caller
// always works on its own bands, so a frame never waits on another frame's.
#pragma once

#include <functional>

namespace Ombrix::Levels {

class WorkerPool {
public:
    // band(i) for every i in [0, bands), on at most maxThreads threads (the caller
    // included). band must not throw.
    static void run(int bands, int maxThreads, const std::function<void(int)>& band);

    // Joins the workers (global set-down); a later run() starts them again.
    static void shutDown();

    // The workers alive now, and the most that were alive at once since the
    // last shut-down.
    static int liveWorkers();
    static int peakWorkers();
    // The most workers the pool keeps: hardware threads less one.
    static int capacity();
    // The hardware threads the pool counts with: `count` in place of the
    // machine's (0: the machine's again). For tests of the bound on machines
    // of any size; set while no frame renders.
    static void setHardwareThreads(int count);
};

}  // namespace Ombrix::Levels
