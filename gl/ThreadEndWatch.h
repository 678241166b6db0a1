// Tells whether a thread has ended, for the contexts it leaves behind.
//
// On Windows a thread's thread-local objects are destroyed while the thread
// detaches from the module, under the loader lock: no place to destroy a GL
// context and hand its hidden window to the window thread. There the registry
// keeps a watch on the thread that made each context, and releases the
// contexts of ended threads the next time any thread looks up its own. The
// watch holds the thread object open, so a new thread given the same id is
// never mistaken for the old one.
//
// Elsewhere a thread's end releases its context by itself, and a watch never
// reports an end.
#pragma once

namespace Ombrix::Levels {

class ThreadEndWatch {
public:
    ThreadEndWatch() = default;  // watches nothing: never ended
    // Watches the calling thread. Watches nothing where the thread cannot be
    // opened (the context then stays until global set-down, as before).
    static ThreadEndWatch currentThread();

    ThreadEndWatch(ThreadEndWatch&& other) noexcept;
    ThreadEndWatch& operator=(ThreadEndWatch&& other) noexcept;
    ThreadEndWatch(const ThreadEndWatch&) = delete;
    ThreadEndWatch& operator=(const ThreadEndWatch&) = delete;
    ~ThreadEndWatch();

    // True once the watched thread has ended; never blocks.
    bool ended() const;

private:
    void* thread_ = nullptr;  // the thread's HANDLE on Windows; null: none
};

}  // namespace Ombrix::Levels
