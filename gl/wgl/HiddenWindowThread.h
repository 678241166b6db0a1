// The thread that owns the hidden windows of the effect's WGL contexts.
//
// A window can only be destroyed by the thread that created it, while the
// effect makes its per-thread contexts on the host's render threads and
// deletes them all on the thread that runs global set-down (a render thread
// may even have ended by then, taking its windows with it). So every hidden
// window is registered, created, destroyed and unregistered here, on one
// thread of the module's own that pumps their messages. The thread starts
// with the first window and ends, waited for, with the last one: after global
// set-down no window, no class and no thread of the effect is left. While it
// runs the thread holds a reference to the module, so a host that unloads the
// module without a global set-down leaves it mapped instead of pulling the
// code from under the thread.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

namespace Ombrix::Levels {

class HiddenWindowThread {
public:
    static HiddenWindowThread& instance();

    // A hidden window and its device context, both made and given back on
    // this thread: a DC got on a render thread and released on the set-down
    // thread would be left behind for every render thread of every cycle.
    struct Window {
        HWND window = nullptr;
        HDC deviceContext = nullptr;
    };

    // Registers the window class `className` (arrow cursor, black background,
    // DefWindowProcA), creates a hidden 8 x 8 window of it and gets its device
    // context. Returns nulls, having given back what it made, when a step fails.
    Window makeWindow(const std::string& className);

    // Releases the device context, destroys the window and unregisters its
    // class (failures ignored).
    void destroyWindow(const Window& made, const std::string& className);

    // Windows alive; the thread runs exactly while this is not 0.
    int windowCount();

private:
    HiddenWindowThread() = default;
    HiddenWindowThread(const HiddenWindowThread&) = delete;
    HiddenWindowThread& operator=(const HiddenWindowThread&) = delete;

    // Runs `job` on the window thread and waits for it. Callers hold calls_.
    void run(std::function<void()> job);
    bool start();
    void stop();
    void loop();
    static DWORD WINAPI threadMain(void* self);

    std::mutex calls_;  // one caller at a time; guards the members below up to slot_
    HANDLE thread_ = nullptr;
    HMODULE module_ = nullptr;  // the reference the thread holds and gives back as it ends
    HANDLE wake_ = nullptr;     // auto-reset event: a job is waiting
    int windows_ = 0;

    std::mutex slot_;  // guards job_, jobDone_, quit_
    std::condition_variable done_;
    std::function<void()> job_;
    bool jobDone_ = false;
    bool quit_ = false;
};

}  // namespace Ombrix::Levels
