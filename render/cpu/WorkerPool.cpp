#include "render/cpu/WorkerPool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace Ombrix::Levels {
namespace {

struct Job {
    const std::function<void(int)>* band = nullptr;
    int count = 0;
    int helpersWanted = 0;
    int helpersJoined = 0;  // under the pool's lock
    int helpersActive = 0;  // under the pool's lock
    std::atomic<int> next{0};

    void work() {
        for (int i = next.fetch_add(1); i < count; i = next.fetch_add(1)) (*band)(i);
    }
};

class Pool {
public:
    void run(int bands, int maxThreads, const std::function<void(int)>& band) {
        if (bands <= 0) return;
        const int helpers = std::min(std::min(maxThreads, bands) - 1, capacity());
        if (helpers <= 0) {
            for (int i = 0; i < bands; ++i) band(i);
            return;
        }
        Job job;
        job.band = &band;
        job.count = bands;
        job.helpersWanted = helpers;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            startWorkers();
            queue_.push_back(&job);
        }
        wake_.notify_all();
        job.work();
        std::unique_lock<std::mutex> lock(mutex_);
        auto queued = std::find(queue_.begin(), queue_.end(), &job);
        if (queued != queue_.end()) queue_.erase(queued);
        finished_.wait(lock, [&job] { return job.helpersActive == 0; });
    }

    void shutDown() {
        std::vector<std::thread> workers;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
            workers.swap(workers_);
        }
        wake_.notify_all();
        for (std::thread& worker : workers) worker.join();
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = false;
        live_ = 0;
        peak_ = 0;
        std::vector<Job*>().swap(queue_);  // nothing left allocated once set down
    }

    int live() {
        std::lock_guard<std::mutex> lock(mutex_);
        return live_;
    }
    int peak() {
        std::lock_guard<std::mutex> lock(mutex_);
        return peak_;
    }

    static int capacity() {
        const int given = hardwareThreads.load();
        const unsigned int hardware = given > 0 ? static_cast<unsigned int>(given) : std::thread::hardware_concurrency();
        return hardware > 1 ? static_cast<int>(hardware) - 1 : 0;
    }

    static std::atomic<int> hardwareThreads;  // 0: the machine's

private:
    // Under the lock. None while a shut-down is joining the workers: the callers
    // do the work themselves meanwhile.
    void startWorkers() {
        if (stopping_) return;
        while (static_cast<int>(workers_.size()) < capacity()) {
            try {
                workers_.emplace_back([this] { loop(); });
            } catch (const std::system_error&) {
                break;  // fewer workers: the callers do more of the work
            }
            ++live_;
            peak_ = std::max(peak_, live_);
        }
    }

    void loop() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) return;
            Job* job = queue_.front();
            if (++job->helpersJoined >= job->helpersWanted) queue_.erase(queue_.begin());
            ++job->helpersActive;
            lock.unlock();
            job->work();
            lock.lock();
            if (--job->helpersActive == 0) finished_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    std::vector<Job*> queue_;  // the frames in flight: a few (a vector holds no memory while empty)
    std::vector<std::thread> workers_;
    bool stopping_ = false;
    int live_ = 0;
    int peak_ = 0;
};

std::atomic<int> Pool::hardwareThreads{0};

// Never destroyed: global set-down joins the workers (shutDown). Without it (a
// module unloaded, or a process ended, with no set-down) nothing joins them at
// the end: on Windows the threads are already gone at DLL_PROCESS_DETACH, or
// wait behind the loader lock, and a join there would never return. The pool
// lives in static storage and holds no memory once set down, so a module
// unloaded after set-down leaves nothing allocated behind.
Pool& pool() {
    alignas(Pool) static unsigned char storage[sizeof(Pool)];
    static Pool* const instance = new (storage) Pool;
    return *instance;
}

}  // namespace

void WorkerPool::run(int bands, int maxThreads, const std::function<void(int)>& band) {
    pool().run(bands, maxThreads, band);
}

void WorkerPool::shutDown() { pool().shutDown(); }

int WorkerPool::liveWorkers() { return pool().live(); }

int WorkerPool::peakWorkers() { return pool().peak(); }

int WorkerPool::capacity() { return Pool::capacity(); }

void WorkerPool::setHardwareThreads(int count) { Pool::hardwareThreads = count > 0 ? count : 0; }

}  // namespace Ombrix::Levels
