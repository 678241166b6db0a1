// The WGL binding of SavedCurrentContext: the calling thread's current
// rendering context and device context, put back once.
#include "gl/AEOpenGLContext.h"

namespace Ombrix::Levels {

SavedCurrentContext::SavedCurrentContext()
    : deviceContext_(wglGetCurrentDC()), renderingContext_(wglGetCurrentContext()) {}

SavedCurrentContext::~SavedCurrentContext() { restore(); }

void SavedCurrentContext::restore() {
    if (restored_) return;
    restored_ = true;
    // Nothing to do when the host's state is still current.
    if (wglGetCurrentContext() == renderingContext_ && wglGetCurrentDC() == deviceContext_) return;
    // With nothing saved this releases the effect's context.
    if (!wglMakeCurrent(deviceContext_, renderingContext_)) GetLastError();  // a failure is read and dropped
}

}  // namespace Ombrix::Levels
