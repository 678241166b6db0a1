#include "gl/GlBinding.h"

#include <glbinding/Binding.h>
#include <glbinding/ContextInfo.h>
#include <glbinding/Meta.h>
#include <glbinding/Version.h>

#include <string>

#include "gl/PrintMessage.h"

namespace Ombrix::Levels::GlBinding {

void registerCurrentContext(uintptr_t handle) {
    const auto context = static_cast<glbinding::ContextHandle>(handle);
    // Made the binding's current context at once; functions resolved lazily,
    // at their first call in this context.
    constexpr bool kUseContext = true;
    constexpr bool kResolveFunctionsNow = false;
    glbinding::Binding::initialize(context, kUseContext, kResolveFunctionsNow);
    // initialize() returns early, without selecting, for a handle it knows.
    glbinding::Binding::useContext(context);
}

void useContext(uintptr_t handle) { glbinding::Binding::useContext(static_cast<glbinding::ContextHandle>(handle)); }

bool currentVersionAtLeast(int major, int minor) {
    const glbinding::Version version = glbinding::ContextInfo::version();
    return version.isValid() &&
           version >= glbinding::Version(static_cast<unsigned char>(major), static_cast<unsigned char>(minor));
}

void printContextDescription() {
    const glbinding::Version version = glbinding::ContextInfo::version();
    const std::string vendor = glbinding::ContextInfo::vendor();
    const std::string renderer = glbinding::ContextInfo::renderer();
    printMessage("\n");
    printMessage("OpenGL Version:  %d.%d\n", static_cast<int>(version.majorVersion()),
                 static_cast<int>(version.minorVersion()));
    printMessage("OpenGL Vendor:   %s\n", vendor.c_str());
    printMessage("OpenGL Renderer: %s\n", renderer.c_str());
    printMessage("OpenGL Revision: %d (gl.xml)\n", static_cast<int>(glbinding::Meta::glRevision()));
    printMessage("\n");
}

}  // namespace Ombrix::Levels::GlBinding
