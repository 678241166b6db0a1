// Owning handles for OpenGL object names. A name of 0 means none; a handle
// deletes its object when it is reset or destroyed, so an early exit (a thrown
// host code) gives back whatever a frame made. Handles are move-only.
//
// A context must be current whenever a handle that holds a name is reset or
// destroyed. Framebuffers and vertex arrays belong to the context that made
// them and die with it: where that context is not current, forget() drops
// the name without a GL call.
#pragma once

#include <utility>

namespace Ombrix::Levels {

enum class GlKind { Texture, Renderbuffer, Framebuffer, VertexArray, Buffer, Program, Shader };

// The GL calls behind the handles (glGen*/glCreate* and glDelete*).
unsigned int makeGlObject(GlKind kind);
void deleteGlObject(GlKind kind, unsigned int name);

template <GlKind Kind>
class GlName {
public:
    GlName() = default;
    explicit GlName(unsigned int name) : name_(name) {}
    ~GlName() { reset(); }

    GlName(GlName&& other) noexcept : name_(other.forget()) {}
    GlName& operator=(GlName&& other) noexcept {
        if (this != &other) reset(other.forget());
        return *this;
    }
    GlName(const GlName&) = delete;
    GlName& operator=(const GlName&) = delete;

    // A new object (programs and shaders are made by their owners and adopted).
    static GlName make() { return GlName(makeGlObject(Kind)); }

    unsigned int get() const { return name_; }
    explicit operator bool() const { return name_ != 0; }

    // Deletes the object held (if any) and takes `name` instead.
    void reset(unsigned int name = 0) {
        if (name_ != 0) deleteGlObject(Kind, name_);
        name_ = name;
    }

    // Gives up the name without deleting the object and returns it.
    unsigned int forget() { return std::exchange(name_, 0u); }

private:
    unsigned int name_ = 0;
};

using GlTexture = GlName<GlKind::Texture>;
using GlRenderbuffer = GlName<GlKind::Renderbuffer>;
using GlFramebuffer = GlName<GlKind::Framebuffer>;
using GlVertexArray = GlName<GlKind::VertexArray>;
using GlBuffer = GlName<GlKind::Buffer>;
using GlProgram = GlName<GlKind::Program>;
using GlShader = GlName<GlKind::Shader>;

}  // namespace Ombrix::Levels
