#include "gl/wgl/HiddenWindowThread.h"

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
    static HiddenWindowThread thread;
    return thread;
}

HiddenWindowThread::Window HiddenWindowThread::makeWindow(const std::string& className) {
    std::lock_guard<std::mutex> guard(calls_);
    if (windows_ == 0 && !start()) return Window{};
    Window made;
    run([&] {
        const WNDCLASSEXA wc = hiddenWindowClass(className.c_str());
        if (!RegisterClassExA(&wc)) return;
        made.window = CreateWindowExA(WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, className.c_str(), "OpenGL-using FBOs in AE",
                                      0, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr);
        // The device context is got here and given back here too, whichever
        // thread the context that draws on it belongs to.
        if (made.window) made.deviceContext = GetDC(made.window);
        if (made.window && !made.deviceContext) {
            DestroyWindow(made.window);
            made.window = nullptr;
        }
        if (!made.window) UnregisterClassA(className.c_str(), GetModuleHandleA(nullptr));
    });
    if (made.window) {
        ++windows_;
    } else if (windows_ == 0) {
        stop();
    }
    return made;
}

void HiddenWindowThread::destroyWindow(const Window& made, const std::string& className) {
    std::lock_guard<std::mutex> guard(calls_);
    if (windows_ == 0) return;  // not one of ours: there is no thread that could destroy it
    run([&] {
        if (made.deviceContext) ReleaseDC(made.window, made.deviceContext);
        DestroyWindow(made.window);
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
    // The module (the one holding this code) stays loaded while the thread runs.
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&threadMain),
                            &module_)) {
        module_ = nullptr;
    }
    thread_ = CreateThread(nullptr, 0, threadMain, this, 0, nullptr);
    if (!thread_) {
        if (module_) FreeLibrary(module_);
        module_ = nullptr;
        CloseHandle(wake_);
        wake_ = nullptr;
        return false;
    }
    return true;
}

void HiddenWindowThread::stop() {
    run([this] { quit_ = true; });
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
    module_ = nullptr;  // given back by the thread as it ended
    CloseHandle(wake_);
    wake_ = nullptr;
}

DWORD WINAPI HiddenWindowThread::threadMain(void* self) {
    auto* owner = static_cast<HiddenWindowThread*>(self);
    const HMODULE module = owner->module_;
    owner->loop();
    if (module) FreeLibraryAndExitThread(module, 0);
    return 0;
}

void HiddenWindowThread::run(std::function<void()> job) {
    // A process that ends without a global set-down has its threads ended
    // before the module's static objects go: nobody is left to do the job,
    // and the windows go with the process.
    if (WaitForSingleObject(thread_, 0) != WAIT_TIMEOUT) return;
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
