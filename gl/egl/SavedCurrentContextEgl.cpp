// The EGL binding of SavedCurrentContext. EGL keeps one current context per
// client API and thread; the effect only ever changes the OpenGL slot and the
// bound API, so those are what it records and puts back.
#include "gl/AEOpenGLContext.h"
#include "gl/egl/EglDisplay.h"

namespace Ombrix::Levels {

SavedCurrentContext::SavedCurrentContext() {
    api_ = eglQueryAPI();
    withOpenGlApi([this] {
        display_ = eglGetCurrentDisplay();
        context_ = eglGetCurrentContext();
        drawSurface_ = eglGetCurrentSurface(EGL_DRAW);
        readSurface_ = eglGetCurrentSurface(EGL_READ);
        return 0;
    });
}

SavedCurrentContext::~SavedCurrentContext() { restore(); }

void SavedCurrentContext::restore() {
    if (restored_) return;
    restored_ = true;
    eglBindAPI(EGL_OPENGL_API);
    const EGLDisplay display = eglGetCurrentDisplay();
    const EGLContext context = eglGetCurrentContext();
    if (display != display_ || context != context_ || eglGetCurrentSurface(EGL_DRAW) != drawSurface_ ||
        eglGetCurrentSurface(EGL_READ) != readSurface_) {
        if (context_ != EGL_NO_CONTEXT) {
            eglMakeCurrent(display_, drawSurface_, readSurface_, context_);
        } else if (display != EGL_NO_DISPLAY) {
            eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        }
        eglGetError();  // a failure is read and dropped, before the API is bound again
    }
    if (api_ != EGL_OPENGL_API && api_ != EGL_NONE) eglBindAPI(api_);
}

}  // namespace Ombrix::Levels
