// The effect's own OpenGL contexts: one root context made at global set-up and
// one OpenGL 3.3 context per rendering thread, all sharing objects with the
// root. The window-system binding is WGL on Windows (hidden window, pixel
// format, wglCreateContextAttribsARB, wglShareLists) and EGL on Linux (Mesa's
// surfaceless platform, no drawable); both offer the same operations.
#pragma once

#include <cstdint>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <EGL/egl.h>
#endif

namespace Ombrix::Levels {

// Raised by every failure while making a context. Carries code 1.
class AESDK_OpenGL_Fault {
public:
    explicit AESDK_OpenGL_Fault(int32_t code = 1) : code_(code) {}
    int32_t code() const { return code_; }

private:
    int32_t code_;
};

class AEOpenGLContext {
public:
    // Makes the drawable and the context and leaves the context current on the
    // calling thread. With shareWith null the context is made the root way;
    // otherwise as an OpenGL 3.3 context sharing objects with shareWith.
    // Raises AESDK_OpenGL_Fault on failure, having given back what it made.
    explicit AEOpenGLContext(const AEOpenGLContext* shareWith);
    ~AEOpenGLContext();
    AEOpenGLContext(const AEOpenGLContext&) = delete;
    AEOpenGLContext& operator=(const AEOpenGLContext&) = delete;

    // Makes this context current on the calling thread and switches glbinding to it.
    void makeCurrent() const;

    // The value under which the context is known to glbinding.
    uintptr_t bindingHandle() const;

#if defined(_WIN32)
    HDC deviceContext() const { return deviceContext_; }
    HWND window() const { return window_; }
    const std::string& windowClassName() const { return windowClassName_; }

private:
    void makeWindow();
    void makeRenderingContext(const AEOpenGLContext* shareWith);
    void destroy();

    HDC deviceContext_ = nullptr;
    HGLRC renderingContext_ = nullptr;
    HWND window_ = nullptr;
    std::string windowClassName_;
#else
    EGLDisplay display() const { return display_; }
    EGLContext context() const { return context_; }

private:
    void destroy();

    EGLDisplay display_ = EGL_NO_DISPLAY;
    EGLContext context_ = EGL_NO_CONTEXT;
#endif
};

// Records the calling thread's current context (the host's) and puts it back
// exactly once: at restore() or, if that was never called, at destruction.
class SavedCurrentContext {
public:
    SavedCurrentContext();
    ~SavedCurrentContext();
    SavedCurrentContext(const SavedCurrentContext&) = delete;
    SavedCurrentContext& operator=(const SavedCurrentContext&) = delete;

    void restore();

private:
    bool restored_ = false;
#if defined(_WIN32)
    HDC deviceContext_ = nullptr;
    HGLRC renderingContext_ = nullptr;
#else
    EGLenum api_ = EGL_NONE;
    EGLDisplay display_ = EGL_NO_DISPLAY;
    EGLContext context_ = EGL_NO_CONTEXT;
    EGLSurface drawSurface_ = EGL_NO_SURFACE;
    EGLSurface readSurface_ = EGL_NO_SURFACE;
#endif
};

}  // namespace Ombrix::Levels
