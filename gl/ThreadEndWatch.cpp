#include "gl/ThreadEndWatch.h"

#include <utility>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace Ombrix::Levels {

ThreadEndWatch ThreadEndWatch::currentThread() {
    ThreadEndWatch watch;
#if defined(_WIN32)
    // SYNCHRONIZE is all a wait needs; a null handle leaves the watch empty.
    watch.thread_ = OpenThread(SYNCHRONIZE, FALSE, GetCurrentThreadId());
#endif
    return watch;
}

ThreadEndWatch::ThreadEndWatch(ThreadEndWatch&& other) noexcept : thread_(std::exchange(other.thread_, nullptr)) {}

ThreadEndWatch& ThreadEndWatch::operator=(ThreadEndWatch&& other) noexcept {
    if (this != &other) {
        ThreadEndWatch old(std::move(*this));
        thread_ = std::exchange(other.thread_, nullptr);
    }
    return *this;
}

ThreadEndWatch::~ThreadEndWatch() {
#if defined(_WIN32)
    if (thread_) CloseHandle(static_cast<HANDLE>(thread_));
#endif
}

bool ThreadEndWatch::ended() const {
#if defined(_WIN32)
    return thread_ && WaitForSingleObject(static_cast<HANDLE>(thread_), 0) == WAIT_OBJECT_0;
#else
    return false;
#endif
}

}  // namespace Ombrix::Levels
