// The WGL binding of AEOpenGLContext: a hidden window with a pixel format of
// its own, and on it either the root context (a plain wglCreateContext
// context, which also supplies the WGL extension functions) or an OpenGL 3.3
// context made with wglCreateContextAttribsARB that shares its objects with
// the root through wglShareLists.
#include "gl/AEOpenGLContext.h"

#include <atomic>
#include <cstring>

#include "gl/GlBinding.h"
#include "gl/wgl/HiddenWindowThread.h"

namespace Ombrix::Levels {
namespace {

typedef const char*(WINAPI* GetExtensionsStringArb)(HDC);
typedef HGLRC(WINAPI* CreateContextAttribsArb)(HDC, HGLRC, const int*);

constexpr int kContextMajorVersionArb = 0x2091;
constexpr int kContextMinorVersionArb = 0x2092;

// Looked up while a root is made; the last root that offered them wins.
std::atomic<GetExtensionsStringArb> gGetExtensionsString{nullptr};
std::atomic<CreateContextAttribsArb> gCreateContextAttribs{nullptr};

// One number per hidden window: two class names never meet, also when a
// context is made at the address of one deleted before.
std::atomic<int32_t> gWindowClassCounter{0};

template <typename Function>
Function lookUp(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(wglGetProcAddress(name)));
}

void setPixelFormat(HDC deviceContext) {
    PIXELFORMATDESCRIPTOR request{};
    request.nSize = sizeof(PIXELFORMATDESCRIPTOR);  // 40
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;  // not double-buffered
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = 32;
    request.cDepthBits = 8;
    request.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(deviceContext, &request);
    if (format == 0 || !SetPixelFormat(deviceContext, format, &request)) throw AESDK_OpenGL_Fault(1);
}

}  // namespace

AEOpenGLContext::AEOpenGLContext(const AEOpenGLContext* shareWith)
    : windowClassName_(std::to_string(reinterpret_cast<uintptr_t>(this))) {
    try {
        makeWindow();
        makeRenderingContext(shareWith);
        wglMakeCurrent(deviceContext_, renderingContext_);  // current already: the result is not tested
        GlBinding::registerCurrentContext(bindingHandle());
        GlBinding::printContextDescription();
    } catch (...) {
        destroy();  // a failed construction gives back what it made
        throw;
    }
}

AEOpenGLContext::~AEOpenGLContext() { destroy(); }

void AEOpenGLContext::makeWindow() {
    windowClassName_ = "AEOpenGL_Win_Class" + windowClassName_ + "_" + std::to_string(gWindowClassCounter++);
    const HiddenWindowThread::Window made = HiddenWindowThread::instance().makeWindow(windowClassName_);
    window_ = made.window;
    deviceContext_ = made.deviceContext;
    if (!window_ || !deviceContext_) throw AESDK_OpenGL_Fault(1);
}

void AEOpenGLContext::makeRenderingContext(const AEOpenGLContext* shareWith) {
    setPixelFormat(deviceContext_);
    if (!shareWith) {
        // The root: a plain context, share partner of all others and the
        // source of the extension functions.
        renderingContext_ = wglCreateContext(deviceContext_);
        if (!renderingContext_ || !wglMakeCurrent(deviceContext_, renderingContext_)) throw AESDK_OpenGL_Fault(1);
        const auto getExtensions = lookUp<GetExtensionsStringArb>("wglGetExtensionsStringARB");
        if (!getExtensions) throw AESDK_OpenGL_Fault(1);
        gGetExtensionsString = getExtensions;
        const char* extensions = getExtensions(deviceContext_);
        if (extensions && std::strstr(extensions, "WGL_ARB_create_context")) {
            gCreateContextAttribs = lookUp<CreateContextAttribsArb>("wglCreateContextAttribsARB");
        }
        if (!gCreateContextAttribs.load()) throw AESDK_OpenGL_Fault(1);
        return;
    }
    const CreateContextAttribsArb createContextAttribs = gCreateContextAttribs;
    if (!createContextAttribs) throw AESDK_OpenGL_Fault(1);
    // OpenGL 3.3, the driver's default profile for it.
    const int attributes[] = {kContextMajorVersionArb, 3, kContextMinorVersionArb, 3, 0};
    renderingContext_ = createContextAttribs(deviceContext_, nullptr, attributes);
    if (!renderingContext_) throw AESDK_OpenGL_Fault(1);
    // Sharing is set up before the context is first made current: Wine's WGL
    // refuses to share into a context that has been current, and no object
    // can have been made in it yet.
    if (!wglShareLists(shareWith->renderingContext_, renderingContext_)) throw AESDK_OpenGL_Fault(1);
    if (!wglMakeCurrent(deviceContext_, renderingContext_)) throw AESDK_OpenGL_Fault(1);
}

void AEOpenGLContext::destroy() {
    if (renderingContext_) {
        // Deleting the calling thread's current context releases it first.
        if (wglGetCurrentContext() == renderingContext_) wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(renderingContext_);
        GetLastError();  // failures are read and dropped
        renderingContext_ = nullptr;
    }
    if (window_) {
        // The window goes on the thread that made it, with its device context
        // and its class.
        HiddenWindowThread::instance().destroyWindow(HiddenWindowThread::Window{window_, deviceContext_},
                                                     windowClassName_);
        window_ = nullptr;
        deviceContext_ = nullptr;
    }
}

void AEOpenGLContext::makeCurrent() const {
    // A switch that fails would leave GL calls going to whatever context is
    // current (the host's): raise instead.
    if (!wglMakeCurrent(deviceContext_, renderingContext_)) throw AESDK_OpenGL_Fault(1);
    GlBinding::useContext(bindingHandle());
}

uintptr_t AEOpenGLContext::bindingHandle() const { return reinterpret_cast<uintptr_t>(renderingContext_); }

}  // namespace Ombrix::Levels
