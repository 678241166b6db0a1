#include "entry/Commands.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <glbinding/ContextInfo.h>

#include "entry/ProcessObjects.h"
#include "gl/AEOpenGLContext.h"
#include "gl/ContextRegistry.h"
#include "gl/PrintMessage.h"
#include "histogram/HistogramCache.h"
#include "host/ae_suites.h"
#include "hostaccess/SuiteScope.h"
#include "params/NameTable.h"
#include "render/RenderPath.h"
#include "render/cpu/SimdLevel.h"
#include "render/cpu/WorkerPool.h"
#include "render/gpu/LevelsPass.h"

namespace Ombrix::Levels {

NameTable* gNameTable = nullptr;
LevelsPass* gLevelsPass = new LevelsPass();

namespace {

// A module unloaded without a global set-down still gives back the pass; its
// GL names are only forgotten, as no context of the effect is current then.
struct PassAtUnload {
    ~PassAtUnload() {
        if (!gLevelsPass) return;
        gLevelsPass->forgetGl();
        delete gLevelsPass;
        gLevelsPass = nullptr;
    }
} passAtUnload;

// The GL_RENDERER of the context current on this thread.
std::string currentRendererName() {
    const std::string renderer = glbinding::ContextInfo::renderer();
    return renderer.empty() ? "unknown renderer" : renderer;
}

// Deletes the shared GL objects in the root, which shares them, and then every
// context; with the host's context saved and put back. Should the root not be
// current, the objects are only forgotten: they go with the contexts. The
// levels pass stays (without GL objects).
void releaseGl() {
    SavedCurrentContext saved;
    {
        GlWorkLock lock;
        AEOpenGLContext* root = rootContext();
        bool rootCurrent = false;
        if (root) {
            try {
                root->makeCurrent();
                rootCurrent = true;
            } catch (const AESDK_OpenGL_Fault&) {
            }
        }
        if (gLevelsPass && rootCurrent) {
            gLevelsPass->releaseGl();
        } else if (gLevelsPass) {
            gLevelsPass->forgetGl();
        }
        destroyAllContexts();
    }
    saved.restore();
}

}  // namespace

PF_Err about(PF_InData* in_data, PF_OutData* out_data) {
    // The ANSI suite is still asked for (a host that refuses it fails the
    // command), but the order of its functions is not known: the text is
    // formatted by the C library, cut to the field.
    SuiteScope<PF_ANSICallbacksSuite1> ansi(in_data, kPFANSISuite, kPFANSISuiteVersion1);
    std::snprintf(out_data->return_msg, sizeof(out_data->return_msg), "%s v%d.%d\r%s", kEffectName, kMajorVersion,
                  kMinorVersion, kEffectDescription);
    return PF_Err_NONE;
}

PF_Err globalSetup(PF_InData* in_data, PF_OutData* out_data) {
    out_data->my_version = kEffectVersion;
    out_data->out_flags = kGlobalOutFlags;
    out_data->out_flags2 = kGlobalOutFlags2;

    // A failed construction frees the table and leaves the pointer as it was.
    auto names = std::make_unique<NameTable>(in_data);
    if (!gLevelsPass) gLevelsPass = new LevelsPass();  // destroyed by an earlier set-down

    // The path is chosen here and kept until set-down (RenderPath.h). A GPU
    // path that was asked for and cannot be had fails the set-up, with the
    // host's context put back and no name table installed.
    const ParsedRequest request = parseRendererRequest(std::getenv("ZANTH_LEVELS_RENDERER"));
    const int cpuThreads = parseThreadCount(std::getenv("ZANTH_LEVELS_THREADS"));
    bool glAvailable = false;
    std::string glRenderer;
    if (request.request != RendererRequest::Cpu) {
        SavedCurrentContext saved;
        try {
            createRootContext();
            glAvailable = true;
            glRenderer = currentRendererName();
        } catch (const AESDK_OpenGL_Fault&) {
            if (request.request == RendererRequest::Gpu) throw;
        }
        saved.restore();
    }
    const PathChoice choice = choosePath(request, glAvailable, glRenderer);
    if (choice.path == RenderPath::Cpu) releaseGl();  // the CPU path keeps no context
    setActiveRenderPath(choice.path, cpuThreads);
    setActiveSimdLevel(parseSimdLevel(std::getenv("ZANTH_LEVELS_SIMD")));
    printMessage("%s\n", describeChoice(choice).c_str());

    delete gNameTable;  // a repeated set-up replaces the table instead of leaking it
    gNameTable = names.release();
    return PF_Err_NONE;
}

PF_Err globalSetdown(PF_InData* /*in_data*/, PF_OutData* /*out_data*/) {
    delete gNameTable;
    gNameTable = nullptr;
    setActiveRenderPath(RenderPath::None, 0);
    histogramCache().clear();
    WorkerPool::shutDown();
    releaseGl();
    delete gLevelsPass;
    gLevelsPass = nullptr;
    return PF_Err_NONE;
}

PF_Err updateParamsUI(PF_InData* in_data) {
    SuiteScope<AEGP_EffectSuite2> effects(in_data, kAEGPEffectSuite, kAEGPEffectSuiteVersion2);
    SuiteScope<AEGP_PFInterfaceSuite1> pfInterface(in_data, kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1);
    AEGP_EffectRefH effect = nullptr;
    pfInterface->AEGP_GetNewEffectForEffect(0, in_data->effect_ref, &effect);
    if (effect) effects->AEGP_DisposeEffect(effect);  // nothing to dispose of when the host made none
    return PF_Err_NONE;
}

}  // namespace Ombrix::Levels
