// Helpers of the Windows tests: the effect's hidden windows as the system
// lists them, their classes, the threads that own them, and the calling
// thread's current WGL state.
#pragma once

#include <windows.h>

#include <cstring>
#include <regex>
#include <string>
#include <vector>

namespace zanth_test {

constexpr const char* kHiddenClassPrefix = "AEOpenGL_Win_Class";

struct HiddenWindow {
    HWND window = nullptr;
    std::string className;
    DWORD thread = 0;  // the thread that owns the window
};

// Every top-level window of the process whose class is one of the effect's.
inline std::vector<HiddenWindow> effectWindows() {
    std::vector<HiddenWindow> found;
    EnumWindows(
        [](HWND window, LPARAM list) -> BOOL {
            DWORD process = 0;
            const DWORD thread = GetWindowThreadProcessId(window, &process);
            char name[256] = {0};
            if (process == GetCurrentProcessId() && GetClassNameA(window, name, sizeof(name)) > 0 &&
                std::strncmp(name, kHiddenClassPrefix, std::strlen(kHiddenClassPrefix)) == 0) {
                reinterpret_cast<std::vector<HiddenWindow>*>(list)->push_back({window, name, thread});
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// "AEOpenGL_Win_Class", an address in decimal, "_", a number.
inline bool wellFormedClassName(const std::string& name) {
    static const std::regex form("AEOpenGL_Win_Class[1-9][0-9]*_(0|[1-9][0-9]*)");
    return std::regex_match(name, form);
}

inline bool classRegistered(const std::string& name) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    return GetClassInfoExA(GetModuleHandleA(nullptr), name.c_str(), &wc) != 0;
}

inline bool threadAlive(DWORD id) {
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, id);
    if (!thread) return false;
    const bool alive = WaitForSingleObject(thread, 0) == WAIT_TIMEOUT;
    CloseHandle(thread);
    return alive;
}

struct WglState {
    HGLRC context = wglGetCurrentContext();
    HDC deviceContext = wglGetCurrentDC();
    bool operator==(const WglState& o) const { return context == o.context && deviceContext == o.deviceContext; }
};

}  // namespace zanth_test
