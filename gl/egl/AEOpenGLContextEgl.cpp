// The EGL binding of AEOpenGLContext: an OpenGL 3.3 context on Mesa's
// surfaceless platform, with no config and no surface. The root is made the
// same way as every other context (EGL needs no extension-loading step), so a
// missing OpenGL 3.3 shows at global set-up already.
#include "gl/AEOpenGLContext.h"

#include <EGL/eglext.h>

#include "gl/GlBinding.h"
#include "gl/egl/EglDisplay.h"

namespace Ombrix::Levels {

AEOpenGLContext::AEOpenGLContext(const AEOpenGLContext* shareWith) {
    display_ = shareWith ? shareWith->display_ : effectDisplay();
    if (display_ == EGL_NO_DISPLAY) throw AESDK_OpenGL_Fault(1);
    if (!eglBindAPI(EGL_OPENGL_API)) throw AESDK_OpenGL_Fault(1);
    const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3, EGL_NONE};
    context_ = eglCreateContext(display_, EGL_NO_CONFIG_KHR, shareWith ? shareWith->context_ : EGL_NO_CONTEXT,
                                attributes);
    if (context_ == EGL_NO_CONTEXT) throw AESDK_OpenGL_Fault(1);
    try {
        if (!eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_)) throw AESDK_OpenGL_Fault(1);
        GlBinding::registerCurrentContext(bindingHandle());
        if (!GlBinding::currentVersionAtLeast(3, 3)) throw AESDK_OpenGL_Fault(1);
        GlBinding::printContextDescription();
    } catch (...) {
        destroy();  // a failed construction gives back what it made
        throw;
    }
}

AEOpenGLContext::~AEOpenGLContext() { destroy(); }

void AEOpenGLContext::destroy() {
    if (context_ == EGL_NO_CONTEXT) return;
    withOpenGlApi([this] {
        if (eglGetCurrentContext() == context_) {
            eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);  // failure ignored
        }
        eglDestroyContext(display_, context_);  // failure ignored
        return 0;
    });
    eglGetError();  // read and dropped
    context_ = EGL_NO_CONTEXT;
}

void AEOpenGLContext::makeCurrent() const {
    eglBindAPI(EGL_OPENGL_API);
    // A switch that fails would leave GL calls going to whatever context is
    // current (the host's): raise instead.
    if (!eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_)) throw AESDK_OpenGL_Fault(1);
    GlBinding::useContext(bindingHandle());
}

uintptr_t AEOpenGLContext::bindingHandle() const { return reinterpret_cast<uintptr_t>(context_); }

}  // namespace Ombrix::Levels
