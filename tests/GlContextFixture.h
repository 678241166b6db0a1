// Unit tests of the GL classes in a context of the test process's own (the
// effect's code linked in, not the module): a root and this thread's context
// from the context registry, current for the test, all destroyed afterwards.
// There is no skipping: without OpenGL 3.3 these tests fail.
#pragma once

#include <gtest/gtest.h>

#include "gl/AEOpenGLContext.h"
#include "gl/ContextRegistry.h"

namespace zanth_test {

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
    void TearDown() override { Ombrix::Levels::destroyAllContexts(); }

    Ombrix::Levels::AEOpenGLContext* context = nullptr;
};

}  // namespace zanth_test
