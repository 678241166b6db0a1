#include "gl/wgl/HiddenWindowThread.h"

#include <system_error>

namespace Ombrix::Levels {
namespace {

// Window class structure of the ANSI functions: 80 bytes on x86-64.
WNDCLASSEXA hiddenWindowClass(const char* className) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(WNDCLASSEXA);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = DefWindowProcA;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = GetModuleHandleA(nullptr);  // the host executable's module
    wc.hIcon = nullptr;
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = className;
    wc.hIconSm = nullptr;
    return wc;
}

}  // namespace

HiddenWindowThread& HiddenWindowThread::instance() {
    // Ends with the module. Should it be unloaded with windows left (no global
    // set-down), the process is ending or the host broke the protocol: the
    // thread is let go rather than joined from inside the loader.
    static struct Holder {
        HiddenWindowThread thread;
        ~Holder() {
            if (thread.thread_.joinable()) thread.thread_.detach();
        }
    } holder;
    return holder.thread;
}

HWND HiddenWindowThread::makeWindow(const std::string& className) {
    std::lock_guard<std::mutex> guard(calls_);
    if (windows_ == 0 && !start()) return nullptr;
    HWND window = nullptr;
    run([&] {
        const WNDCLASSEXA wc = hiddenWindowClass(className.c_str());
        if (!RegisterClassExA(&wc)) return;
        window = CreateWindowExA(WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, className.c_str(), "OpenGL-using FBOs in AE",
                                 0, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr);
        if (!window) UnregisterClassA(className.c_str(), GetModuleHandleA(nullptr));
    });
    if (window) {
        ++windows_;
    } else if (windows_ == 0) {
        stop();
    }
    return window;
}

void HiddenWindowThread::destroyWindow(HWND window, const std::string& className) {
    std::lock_guard<std::mutex> guard(calls_);
    if (windows_ == 0) return;  // not one of ours: there is no thread that could destroy it
    run([&] {
        DestroyWindow(window);
        UnregisterClassA(className.c_str(), GetModuleHandleA(nullptr));
        GetLastError();  // failures are read and dropped
    });
    if (--windows_ == 0) stop();
}

int HiddenWindowThread::windowCount() {
    std::lock_guard<std::mutex> guard(calls_);
    return windows_;
}

bool HiddenWindowThread::start() {
    wake_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!wake_) return false;
    {
        std::lock_guard<std::mutex> lock(slot_);
        quit_ = false;
        job_ = nullptr;
    }
    try {
        thread_ = std::thread([this] { loop(); });
    } catch (const std::system_error&) {
        CloseHandle(wake_);
        wake_ = nullptr;
        return false;
    }
    return true;
}

void HiddenWindowThread::stop() {
    run([this] { quit_ = true; });
    thread_.join();
    CloseHandle(wake_);
    wake_ = nullptr;
}

void HiddenWindowThread::run(std::function<void()> job) {
    std::unique_lock<std::mutex> lock(slot_);
    job_ = std::move(job);
    jobDone_ = false;
    SetEvent(wake_);
    done_.wait(lock, [this] { return jobDone_; });
}

void HiddenWindowThread::loop() {
    for (;;) {
        // Messages sent to the windows (by the system, or broadcast by other
        // programs) are answered while the thread waits for work.
        MsgWaitForMultipleObjects(1, &wake_, FALSE, INFINITE, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);

        std::unique_lock<std::mutex> lock(slot_);
        if (!job_) continue;
        std::function<void()> job = std::move(job_);
        job_ = nullptr;
        lock.unlock();
        job();
        lock.lock();
        jobDone_ = true;
        const bool quit = quit_;
        lock.unlock();
        done_.notify_all();
        if (quit) return;
    }
}

}  // namespace Ombrix::Levels
