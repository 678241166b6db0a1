// The sizes a context's implementation can hold, read once per context on
// its first frame. A frame larger than its textures, renderbuffers or
// viewport can hold would come back as garbage.
#pragma once

namespace Ombrix::Levels {

class AEOpenGLContext;

struct GlLimits {
    int maxTextureSize = 0;
    int maxRenderbufferSize = 0;
    int maxViewportWidth = 0;
    int maxViewportHeight = 0;

    // Whether a frame of width x height fits all four.
    bool hold(int width, int height) const;
};

// The limits of `context`, which is current; under the context registry's
// lock (GlWorkLock).
const GlLimits& glLimitsOf(const AEOpenGLContext& context);

}  // namespace Ombrix::Levels
