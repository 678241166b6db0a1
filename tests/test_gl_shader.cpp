// OpenglShader: built on first use with bound attribute locations, failures
// reported on standard output, uniform and texture setters by name.
#include <gtest/gtest.h>

#include <glbinding/gl33core/gl.h>

#include <string>

#include "gl/OpenglShader.h"
#include "tests/GlCallCounter.h"
#include "tests/GlContextFixture.h"

namespace {

using namespace Ombrix::Levels;
using namespace gl33core;
using zanth_test::GlContextTest;

const char* const kVertex =
    "#version 330\nin vec3 position;\nin vec2 input_uv;\nout vec2 uv;\n"
    "void main() { uv = input_uv; gl_Position = vec4(position, 1.0); }";
const char* const kFragment =
    "#version 330\nin vec2 uv;\nout vec4 colourOut;\nuniform sampler2D picture;\nuniform float gain;\n"
    "void main() { colourOut = texture(picture, uv) * gain; }";

GLint currentProgram() {
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return program;
}

class Shader : public GlContextTest {};

TEST_F(Shader, BuildsOnFirstUseWithTheBoundLocations) {
    OpenglShader shader(kVertex, kFragment);
    shader.bindAttribute("position", 1);
    shader.bindAttribute("input_uv", 0);  // the reverse of what a driver would pick
    EXPECT_FALSE(shader.built()) << "construction makes no GL object";
    shader.use();
    ASSERT_TRUE(shader.built());
    EXPECT_EQ(currentProgram(), static_cast<GLint>(shader.program()));
    EXPECT_EQ(glGetAttribLocation(shader.program(), "position"), 1);
    EXPECT_EQ(glGetAttribLocation(shader.program(), "input_uv"), 0);
}

TEST_F(Shader, TheFirstBindingOfANameStays) {
    OpenglShader shader(kVertex, kFragment);
    shader.bindAttribute("position", 0);
    shader.bindAttribute("position", 1);
    shader.bindAttribute("input_uv", 1);
    shader.use();
    ASSERT_TRUE(shader.built());
    EXPECT_EQ(glGetAttribLocation(shader.program(), "position"), 0);
}

TEST_F(Shader, TwoWrappersAreTwoPrograms) {
    OpenglShader a(kVertex, kFragment);
    OpenglShader b(kVertex, kFragment);
    a.use();
    b.use();
    EXPECT_NE(a.program(), 0u);
    EXPECT_NE(a.program(), b.program());
}

TEST_F(Shader, AStageThatDoesNotCompileIsReportedAtEveryUse) {
    OpenglShader shader("#version 330\nvoid main() { this is not glsl; }", kFragment);
    zanth_test::GlCallCounter counter;
    context->makeCurrent();  // the counter watches the context from its next selection
    glUseProgram(0);
    ::testing::internal::CaptureStdout();
    shader.use();
    std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed.rfind("Shader vert error:\n", 0), 0u) << printed;
    EXPECT_GT(printed.size(), std::string("Shader vert error:\n\n").size()) << "the driver's log is written";
    EXPECT_FALSE(shader.built());
    EXPECT_EQ(currentProgram(), 0);
    shader.setFloat("gain", 2.0f);  // no-ops while unbuilt
    ::testing::internal::CaptureStdout();
    shader.use();
    printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed.rfind("Shader vert error:\n", 0), 0u) << "a failed build is tried again";
    const zanth_test::GlCounts counts = counter.counts();
    EXPECT_EQ(counts.made_(zanth_test::GlObject::Shader), counts.deleted_(zanth_test::GlObject::Shader))
        << "a failed build keeps no shader object";
}

TEST_F(Shader, AFragmentStageThatDoesNotCompileIsLabelledFrag) {
    OpenglShader shader(kVertex, "#version 330\nout vec4 c;\nvoid main() { c = undefinedThing; }");
    ::testing::internal::CaptureStdout();
    shader.use();
    const std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed.rfind("Shader frag error:\n", 0), 0u) << printed;
}

TEST_F(Shader, ALinkFailureIsAProgramError) {
    // The fragment stage calls a function that no stage defines.
    OpenglShader shader(kVertex, "#version 330\nout vec4 c;\nfloat nowhere();\nvoid main() { c = vec4(nowhere()); }");
    zanth_test::GlCallCounter counter;
    context->makeCurrent();
    ::testing::internal::CaptureStdout();
    shader.use();
    const std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed.rfind("Program error:\n", 0), 0u) << printed;
    EXPECT_FALSE(shader.built());
    const zanth_test::GlCounts counts = counter.counts();
    EXPECT_EQ(counts.made_(zanth_test::GlObject::Program), counts.deleted_(zanth_test::GlObject::Program));
}

TEST_F(Shader, ALongLogIsCutTo512Characters) {
    std::string source = "#version 330\nout vec4 c;\nvoid main() {\n";
    for (int i = 0; i < 200; ++i) source += "   c = undefinedName" + std::to_string(i) + ";\n";
    source += "}";
    OpenglShader shader(kVertex, source);
    ::testing::internal::CaptureStdout();
    shader.use();
    const std::string printed = ::testing::internal::GetCapturedStdout();
    const std::string head = "Shader frag error:\n";
    ASSERT_EQ(printed.rfind(head, 0), 0u);
    ASSERT_EQ(printed.back(), '\n');
    EXPECT_EQ(printed.size() - head.size() - 1, 512u) << "the log part of the message";
}

TEST_F(Shader, SetTextureBindsEvenWithoutTheSampler) {
    OpenglShader shader(kVertex, kFragment);
    shader.use();
    GlTexture texture = GlTexture::make();
    shader.setTexture("noSuchSampler", GL_TEXTURE_2D, texture.get(), 3);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, static_cast<GLint>(GL_TEXTURE3));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, static_cast<GLint>(texture.get()));
    shader.setTexture("picture", GL_TEXTURE_2D, texture.get(), 2);
    GLint sampler = -1;
    glGetUniformiv(shader.program(), glGetUniformLocation(shader.program(), "picture"), &sampler);
    EXPECT_EQ(sampler, 2);
    glActiveTexture(GL_TEXTURE0);
}

TEST_F(Shader, UniformSettersReachTheProgramAndSkipUnknownNames) {
    OpenglShader shader(kVertex, kFragment);
    shader.use();
    shader.setFloat("gain", 1.5f);
    shader.setFloat("noSuchUniform", 3.0f);
    shader.setInt("alsoMissing", 3);
    float gain = 0.0f;
    glGetUniformfv(shader.program(), glGetUniformLocation(shader.program(), "gain"), &gain);
    EXPECT_EQ(gain, 1.5f);
    EXPECT_EQ(glGetError(), GL_NO_ERROR);
}

TEST_F(Shader, DestroyingAnUnbuiltWrapperMakesNoGlCall) {
    zanth_test::GlCallCounter counter;
    context->makeCurrent();
    { OpenglShader shader(kVertex, kFragment); }
    EXPECT_EQ(counter.counts().deleted_(zanth_test::GlObject::Program), 0);
}

}  // namespace
