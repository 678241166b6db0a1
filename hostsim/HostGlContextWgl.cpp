// The WGL twin of the simulated host's own GL context: a window of the
// host's (never shown) with a pixel format, and a context on it, made and
// destroyed on the same thread as a host application's would be. OpenGL ES
// contexts come from WGL_EXT_create_context_es2_profile. WGL keeps a single
// current context per thread whatever its API, so the "bound API" is that of
// the current context, and a current OpenGL ES context means no desktop
// OpenGL context is current.
#include "hostsim/HostGlContext.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <set>
#include <string>

#include "hostsim/HostError.h"

namespace hostsim {
namespace {

typedef const char*(WINAPI* GetExtensionsStringArb)(HDC);
typedef HGLRC(WINAPI* CreateContextAttribsArb)(HDC, HGLRC, const int*);

constexpr int kContextMajorVersionArb = 0x2091;
constexpr int kContextMinorVersionArb = 0x2092;
constexpr int kContextProfileMaskArb = 0x9126;
constexpr int kContextEs2ProfileBitExt = 0x0004;

std::atomic<int> gHostWindowCounter{0};

// The host's OpenGL ES contexts alive, to tell the API of the current context.
std::mutex gEsLock;
std::set<HGLRC> gEsContexts;

bool isEsContext(HGLRC context) {
    std::lock_guard<std::mutex> lock(gEsLock);
    return gEsContexts.count(context) != 0;
}

template <typename Function>
Function lookUp(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(wglGetProcAddress(name)));
}

}  // namespace

struct HostGlContext::Native {
    std::string className;
    HWND window = nullptr;
    HDC deviceContext = nullptr;
    HGLRC context = nullptr;

    ~Native() {
        if (context) {
            if (wglGetCurrentContext() == context) wglMakeCurrent(nullptr, nullptr);
            wglDeleteContext(context);
            std::lock_guard<std::mutex> lock(gEsLock);
            gEsContexts.erase(context);
        }
        if (deviceContext) ReleaseDC(window, deviceContext);
        if (window) DestroyWindow(window);
        if (!className.empty()) UnregisterClassA(className.c_str(), GetModuleHandleA(nullptr));
    }
};

HostGlContext::HostGlContext(Api api) : native_(std::make_unique<Native>()), api_(api) {
    Native& n = *native_;
    const std::string name = "ZanthHostSimulator_" + std::to_string(gHostWindowCounter++);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = name.c_str();
    if (!RegisterClassExA(&wc)) throw HostError("the host cannot register its window class");
    n.className = name;
    n.window = CreateWindowExA(0, name.c_str(), "host", WS_OVERLAPPEDWINDOW, 0, 0, 16, 16, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    if (!n.window) throw HostError("the host cannot create its window");
    n.deviceContext = GetDC(n.window);
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof(pfd);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 24;
    const int format = n.deviceContext ? ChoosePixelFormat(n.deviceContext, &pfd) : 0;
    if (format == 0 || !SetPixelFormat(n.deviceContext, format, &pfd)) {
        throw HostError("the host cannot set a pixel format on its window");
    }
    if (api_ == Api::OpenGL) {
        n.context = wglCreateContext(n.deviceContext);
        if (!n.context) throw HostError("the host cannot make its own GL context");
        return;
    }
    // OpenGL ES 2.0 needs the extension functions, which need a current context.
    const HGLRC previousContext = wglGetCurrentContext();
    const HDC previousDc = wglGetCurrentDC();
    const HGLRC bootstrap = wglCreateContext(n.deviceContext);
    if (!bootstrap || !wglMakeCurrent(n.deviceContext, bootstrap)) {
        if (bootstrap) wglDeleteContext(bootstrap);
        throw HostError("the host cannot make a context to look up WGL extensions");
    }
    const auto getExtensions = lookUp<GetExtensionsStringArb>("wglGetExtensionsStringARB");
    const char* extensions = getExtensions ? getExtensions(n.deviceContext) : nullptr;
    const auto createContextAttribs = lookUp<CreateContextAttribsArb>("wglCreateContextAttribsARB");
    if (extensions && std::strstr(extensions, "WGL_EXT_create_context_es2_profile") && createContextAttribs) {
        const int attributes[] = {kContextMajorVersionArb, 2, kContextMinorVersionArb, 0, kContextProfileMaskArb,
                                  kContextEs2ProfileBitExt, 0};
        n.context = createContextAttribs(n.deviceContext, nullptr, attributes);
    }
    wglMakeCurrent(previousDc, previousContext);
    wglDeleteContext(bootstrap);
    if (!n.context) throw HostError("the host cannot make an OpenGL ES context (WGL_EXT_create_context_es2_profile)");
    std::lock_guard<std::mutex> lock(gEsLock);
    gEsContexts.insert(n.context);
}

HostGlContext::~HostGlContext() = default;

void HostGlContext::makeCurrent() {
    if (!wglMakeCurrent(native_->deviceContext, native_->context)) {
        throw HostError("the host cannot make its own GL context current");
    }
}

void HostGlContext::release() {
    if (wglGetCurrentContext() == native_->context) wglMakeCurrent(nullptr, nullptr);
}

bool HostGlContext::isCurrent() const {
    return wglGetCurrentContext() == native_->context && wglGetCurrentDC() == native_->deviceContext;
}

void* HostGlContext::handle() const { return native_->context; }

bool HostGlContext::noneCurrent() { return wglGetCurrentContext() == nullptr; }

void* HostGlContext::currentOpenGl() {
    const HGLRC current = wglGetCurrentContext();
    return current && !isEsContext(current) ? current : nullptr;
}

HostGlContext::Api HostGlContext::boundApi() {
    const HGLRC current = wglGetCurrentContext();
    return current && isEsContext(current) ? Api::OpenGLES : Api::OpenGL;
}

}  // namespace hostsim
