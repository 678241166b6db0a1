#include "gl/GlLimits.h"

#include <glbinding/gl33core/gl.h>

#include "gl/PerContext.h"

using namespace gl33core;

namespace Ombrix::Levels {
namespace {

struct ReadLimits {
    GlLimits limits;
    bool read = false;
    void forget() {}  // no GL name to give up
    void release() {}
};

}  // namespace

bool GlLimits::hold(int width, int height) const {
    return width <= maxTextureSize && height <= maxTextureSize && width <= maxRenderbufferSize &&
           height <= maxRenderbufferSize && width <= maxViewportWidth && height <= maxViewportHeight;
}

const GlLimits& glLimitsOf(const AEOpenGLContext& context) {
    static PerContext<ReadLimits> store;
    ReadLimits& entry = store.get(context);
    if (!entry.read) {
        GLint viewport[2] = {0, 0};
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &entry.limits.maxTextureSize);
        glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &entry.limits.maxRenderbufferSize);
        glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
        entry.limits.maxViewportWidth = viewport[0];
        entry.limits.maxViewportHeight = viewport[1];
        entry.read = true;
    }
    return entry.limits;
}

}  // namespace Ombrix::Levels
