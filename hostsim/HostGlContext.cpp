#include "hostsim/HostGlContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include "hostsim/HostError.h"

namespace hostsim {
namespace {

EGLenum eglApi(HostGlContext::Api api) {
    return api == HostGlContext::Api::OpenGL ? EGL_OPENGL_API : EGL_OPENGL_ES_API;
}

// The calling thread's current context for `api`, leaving the bound API as it was.
EGLContext currentFor(EGLenum api) {
    const EGLenum bound = eglQueryAPI();
    if (bound != api) eglBindAPI(api);
    const EGLContext context = eglGetCurrentContext();
    if (bound != api && bound != EGL_NONE) eglBindAPI(bound);
    return context;
}

}  // namespace

struct HostGlContext::Native {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
};

HostGlContext::HostGlContext(Api api) : native_(std::make_unique<Native>()), api_(api) {
    native_->display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0;
    EGLint minor = 0;
    if (native_->display == EGL_NO_DISPLAY || !eglInitialize(native_->display, &major, &minor)) {
        throw HostError("the host finds no EGL display (surfaceless platform)");
    }
    if (!eglBindAPI(eglApi(api_))) throw HostError("the host cannot bind its EGL client API");
    const EGLint glAttributes[] = {EGL_NONE};
    const EGLint esAttributes[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
    native_->context = eglCreateContext(native_->display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT,
                                        api_ == Api::OpenGL ? glAttributes : esAttributes);
    if (native_->context == EGL_NO_CONTEXT) throw HostError("the host cannot make its own GL context");
}

HostGlContext::~HostGlContext() {
    if (currentFor(eglApi(api_)) == native_->context) release();
    eglDestroyContext(native_->display, native_->context);  // the display is never terminated
}

void HostGlContext::makeCurrent() {
    eglBindAPI(eglApi(api_));
    if (!eglMakeCurrent(native_->display, EGL_NO_SURFACE, EGL_NO_SURFACE, native_->context)) {
        throw HostError("the host cannot make its own GL context current");
    }
}

void HostGlContext::release() {
    const EGLenum bound = eglQueryAPI();
    eglBindAPI(eglApi(api_));
    eglMakeCurrent(native_->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (bound != eglApi(api_) && bound != EGL_NONE) eglBindAPI(bound);
}

bool HostGlContext::isCurrent() const {
    return eglQueryAPI() == eglApi(api_) && eglGetCurrentContext() == native_->context;
}

void* HostGlContext::handle() const { return native_->context; }

bool HostGlContext::noneCurrent() {
    return currentFor(EGL_OPENGL_API) == EGL_NO_CONTEXT && currentFor(EGL_OPENGL_ES_API) == EGL_NO_CONTEXT;
}

void* HostGlContext::currentOpenGl() { return currentFor(EGL_OPENGL_API); }

HostGlContext::Api HostGlContext::boundApi() {
    return eglQueryAPI() == EGL_OPENGL_API ? Api::OpenGL : Api::OpenGLES;
}

}  // namespace hostsim
