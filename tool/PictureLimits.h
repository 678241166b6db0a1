// The largest picture the tool hands to the effect.
#pragma once

namespace zanth {

// The effect renders a layer through OpenGL textures and renderbuffers of the
// layer's size; 16384 pixels a side is the largest its GL path handles (the
// usual GL_MAX_TEXTURE_SIZE and GL_MAX_RENDERBUFFER_SIZE of the drivers it
// runs on). Pictures with a longer side are refused before they are decoded.
constexpr int kMaxPictureSide = 16384;

}  // namespace zanth
