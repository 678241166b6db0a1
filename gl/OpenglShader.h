// One GLSL program: its two stage sources (vertex and fragment), built
// (compiled and linked) on first use with attribute locations bound by name,
// and uniform setters by name. Construction and bindAttribute make no GL
// call; every other operation needs a context current that owns or shares
// the program.
#pragma once

#include <glbinding/gl/types.h>

#include <map>
#include <string>

#include "gl/GlName.h"

namespace Ombrix::Levels {

class OpenglShader {
public:
    OpenglShader(std::string vertexSource, std::string fragmentSource);
    ~OpenglShader() = default;  // deletes the program, if built
    OpenglShader(const OpenglShader&) = delete;
    OpenglShader& operator=(const OpenglShader&) = delete;

    // Location for an attribute, bound at the next build; the first binding
    // of a name stays.
    void bindAttribute(const std::string& name, int location);

    // Compiles and links. Failures are written to standard output ("Shader %s
    // error:" with the stage label vert or frag, or "Program error:") and
    // leave the program unbuilt; the next use() tries again.
    void build();

    // Builds if unbuilt, then makes the program current (0 if the build failed).
    void use();

    bool built() const { return static_cast<bool>(program_); }
    unsigned int program() const { return program_.get(); }

    // Uniforms of the current program, looked up by name at every call;
    // no-ops while unbuilt or for a name the program does not expose.
    void setFloat(const char* name, float value);
    void setInt(const char* name, int value);
    // Binds `texture` to `target` on texture unit `unit` (also when the
    // sampler does not exist) and points the sampler at that unit.
    void setTexture(const char* name, gl::GLenum target, unsigned int texture, unsigned int unit);
    // Binds `buffer` (whole) to uniform-buffer binding point `binding` (also
    // when the block does not exist) and points the block at that binding.
    void setUniformBuffer(const char* blockName, unsigned int buffer, unsigned int binding);

    // Deletes the program now (a context sharing it must be current).
    void releaseGl() { program_.reset(); }
    // Gives up the program without a GL call.
    void forgetGl() { program_.forget(); }

private:
    std::string vertexSource_;
    std::string fragmentSource_;
    GlProgram program_;
    std::map<std::string, int> attributeBindings_;
};

}  // namespace Ombrix::Levels
