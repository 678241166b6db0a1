#include "gl/egl/EglDisplay.h"

#include <EGL/eglext.h>

namespace Ombrix::Levels {

EGLDisplay effectDisplay() {
    const EGLDisplay display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) return EGL_NO_DISPLAY;
    EGLint major = 0;
    EGLint minor = 0;
    if (!eglInitialize(display, &major, &minor)) return EGL_NO_DISPLAY;  // an initialised display is left as it is
    return display;
}

}  // namespace Ombrix::Levels
