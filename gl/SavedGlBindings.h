// Puts back, when it goes, the bindings and the state that the effect's
// passes change in the context current at its making: the draw and read
// framebuffers, the viewport, blending, the program, the vertex array and the
// array buffer, the renderbuffer, the active texture unit and the 2-D texture
// of units 0 and 1, and the uniform buffers (the generic binding and binding
// point 0, bound whole again). A pass made of several steps restores nothing
// by hand; an early exit (a thrown host code) restores as well. The pixel
// store has its own guard (PixelStore.h).
#pragma once

namespace Ombrix::Levels {

class SavedGlBindings {
public:
    SavedGlBindings();
    ~SavedGlBindings();
    SavedGlBindings(const SavedGlBindings&) = delete;
    SavedGlBindings& operator=(const SavedGlBindings&) = delete;

    // Texture units whose 2-D texture is kept: 0 and 1.
    static constexpr int kTextureUnits = 2;

private:
    int drawFramebuffer_ = 0;
    int readFramebuffer_ = 0;
    int viewport_[4] = {0, 0, 0, 0};
    bool blend_ = false;
    int program_ = 0;
    int vertexArray_ = 0;
    int arrayBuffer_ = 0;
    int renderbuffer_ = 0;
    int activeTexture_ = 0;
    int textures_[kTextureUnits] = {0, 0};
    int uniformBuffer_ = 0;
    int uniformBinding0_ = 0;
};

}  // namespace Ombrix::Levels
