// Unit tests of the GL classes in a context of the test process's own (the
// effect's code linked in, not the module): a root and this thread's context
// from the context registry, current for the test, all destroyed afterwards.
// There is no skipping: without OpenGL 3.3 these tests fail. Every case ends
// with no GL error pending and any bound framebuffer complete.
#pragma once

#include <gtest/gtest.h>

#include <glbinding/gl33core/gl.h>

#include <cstdio>
#include <string>

#include "gl/AEOpenGLContext.h"
#include "gl/ContextRegistry.h"

namespace zanth_test {

// The current context has no GL error pending, and the framebuffers bound
// for drawing and reading, if any, are complete. `where` names the check.
inline void expectGlStateClean(const std::string& where) {
    using namespace gl33core;
    std::string errors;
    for (int i = 0; i < 16; ++i) {
        const GLenum error = glGetError();
        if (error == GL_NO_ERROR) break;
        errors += " 0x" + [](unsigned v) {
            char text[16];
            std::snprintf(text, sizeof text, "%04X", v);
            return std::string(text);
        }(static_cast<unsigned>(error));
    }
    EXPECT_TRUE(errors.empty()) << where << ": GL errors pending:" << errors;
    const std::pair<GLenum, GLenum> bindings[] = {{GL_DRAW_FRAMEBUFFER, GL_DRAW_FRAMEBUFFER_BINDING},
                                                  {GL_READ_FRAMEBUFFER, GL_READ_FRAMEBUFFER_BINDING}};
    for (const auto& binding : bindings) {
        GLint bound = 0;
        glGetIntegerv(binding.second, &bound);
        if (bound == 0) continue;
        const GLenum status = glCheckFramebufferStatus(binding.first);
        EXPECT_EQ(status, GL_FRAMEBUFFER_COMPLETE)
            << where << ": framebuffer " << bound << " is incomplete, status 0x" << std::hex
            << static_cast<unsigned>(status);
    }
    EXPECT_EQ(glGetError(), GL_NO_ERROR) << where << ": the check itself";
}

class GlContextTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::testing::internal::CaptureStdout();  // the context descriptions
        try {
            Ombrix::Levels::createRootContext();
            context = &Ombrix::Levels::contextForCurrentThread();
            context->makeCurrent();
        } catch (const Ombrix::Levels::AESDK_OpenGL_Fault&) {
            context = nullptr;
        }
        ::testing::internal::GetCapturedStdout();
        ASSERT_NE(context, nullptr) << "no OpenGL 3.3 context could be made: these tests need Mesa's llvmpipe";
    }
    // The native handle of the test's context, as the host simulator reports current contexts.
    void* handle() const { return reinterpret_cast<void*>(context->bindingHandle()); }
    void TearDown() override {
        // The thread's context as it is now (a case may have made a new one).
        if (Ombrix::Levels::AEOpenGLContext* mine = Ombrix::Levels::existingContextForCurrentThread()) {
            Ombrix::Levels::SavedCurrentContext saved;
            mine->makeCurrent();
            expectGlStateClean("end of the case");
        }
        Ombrix::Levels::destroyAllContexts();
    }

    Ombrix::Levels::AEOpenGLContext* context = nullptr;
};

}  // namespace zanth_test
