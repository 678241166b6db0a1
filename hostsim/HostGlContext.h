// An OpenGL context of the simulated host's own, as a host application holds
// on its render threads, so tests can prove that the effect puts it back
// after its GL work. On Linux it is an EGL context on Mesa's surfaceless
// platform, made for the desktop OpenGL or the OpenGL ES client API (EGL
// keeps one current context per API and thread).
#pragma once

#include <memory>

namespace hostsim {

class HostGlContext {
public:
    enum class Api { OpenGL, OpenGLES };

    // Throws HostError when the platform offers no such context.
    explicit HostGlContext(Api api = Api::OpenGL);
    ~HostGlContext();
    HostGlContext(const HostGlContext&) = delete;
    HostGlContext& operator=(const HostGlContext&) = delete;

    // Binds the context's API and makes it current on the calling thread.
    void makeCurrent();
    // Releases it from the calling thread (its API stays bound).
    void release();

    // Whether this context is the calling thread's current context for its
    // API and that API is the bound one: the state a host expects to find
    // after an effect's command.
    bool isCurrent() const;
    // The native handle (EGLContext on Linux).
    void* handle() const;

    // Whether the calling thread has no current context for any client API.
    static bool noneCurrent();
    // The native handle of the calling thread's current desktop OpenGL
    // context (null when none), whatever API is bound.
    static void* currentOpenGl();
    // The client API bound on the calling thread.
    static Api boundApi();

private:
    struct Native;
    std::unique_ptr<Native> native_;
    Api api_;
};

}  // namespace hostsim
