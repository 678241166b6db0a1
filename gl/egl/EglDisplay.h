// The EGL display the effect's contexts live on: Mesa's surfaceless platform,
// which needs no window system, no surface and no environment variable.
#pragma once

#include <EGL/egl.h>

namespace Ombrix::Levels {

// The initialised display, or EGL_NO_DISPLAY when the platform has none (no
// EGL vendor, no driver). Never terminated: every caller in the process is
// handed the same display, the host's own contexts included.
EGLDisplay effectDisplay();

// Runs `body` with EGL_OPENGL_API bound on this thread and then binds back the
// API that was bound before (EGL keeps one current context per API).
template <typename Body>
auto withOpenGlApi(Body body) {
    const EGLenum previous = eglQueryAPI();
    if (previous != EGL_OPENGL_API) eglBindAPI(EGL_OPENGL_API);
    struct Rebind {
        EGLenum api;
        ~Rebind() {
            if (api != EGL_OPENGL_API && api != EGL_NONE) eglBindAPI(api);
        }
    } rebind{previous};
    return body();
}

}  // namespace Ombrix::Levels
