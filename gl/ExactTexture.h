// Textures that the programs read texel for texel (texelFetch): no filtering
// blends a texel with its neighbours, coordinates are clamped, and there is
// one level only (texelFetch needs a complete texture, and a texture with a
// mipmap filter but no mipmaps is not one).
#pragma once

#include <glbinding/gl/types.h>

#include "gl/GlName.h"

namespace Ombrix::Levels {

// Sets that sampling state on the texture bound to GL_TEXTURE_2D.
void setExactSampling();

// A new 2-D texture with that sampling state and storage of `internalFormat`,
// width x height, filled from `pixels` (`format`, `type`) or left undefined
// when `pixels` is null. GL_TEXTURE_2D is left with no texture bound.
GlTexture makeExactTexture(gl::GLenum internalFormat, int width, int height, gl::GLenum format, gl::GLenum type,
                           const void* pixels = nullptr);

}  // namespace Ombrix::Levels
