// The full-frame quad: six vertices of (x, y, z, u, v) floats forming two
// triangles over the viewport, texture origin at the bottom-left, so texture
// row 0 lands on framebuffer row 0 (no vertical flip).
#pragma once

namespace Ombrix::Levels {

constexpr float kQuadVertices[30] = {
    1.0f,  -1.0f, 0.0f, 1.0f, 0.0f,  //
    1.0f,  1.0f,  0.0f, 1.0f, 1.0f,  //
    -1.0f, 1.0f,  0.0f, 0.0f, 1.0f,  //
    -1.0f, 1.0f,  0.0f, 0.0f, 1.0f,  //
    -1.0f, -1.0f, 0.0f, 0.0f, 0.0f,  //
    1.0f,  -1.0f, 0.0f, 1.0f, 0.0f,  //
};
constexpr int kQuadVertexCount = 6;
constexpr int kQuadStride = 20;          // bytes per vertex
constexpr int kQuadUvOffset = 12;        // byte offset of (u, v)
constexpr unsigned int kPositionLocation = 0;  // "position"
constexpr unsigned int kUvLocation = 1;        // "input_uv"

static_assert(sizeof(kQuadVertices) == 120, "the quad is 120 bytes");

}  // namespace Ombrix::Levels
