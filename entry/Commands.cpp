#include "entry/Commands.h"

#include <cstdio>
#include <memory>

#include "entry/ProcessObjects.h"
#include "hostaccess/SuiteScope.h"
#include "gl/AEOpenGLContext.h"
#include "gl/ContextRegistry.h"
#include "gl/OpenglRenderTarget.h"
#include "host/ae_suites.h"
#include "params/NameTable.h"
#include "render/LevelsPass.h"

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

    // Without OpenGL 3.3 this raises AESDK_OpenGL_Fault: the set-up fails,
    // with the host's context put back and no name table installed.
    SavedCurrentContext saved;
    createRootContext();
    saved.restore();

    delete gNameTable;  // a repeated set-up replaces the table instead of leaking it
    gNameTable = names.release();
    return PF_Err_NONE;
}

PF_Err globalSetdown(PF_InData* /*in_data*/, PF_OutData* /*out_data*/) {
    delete gNameTable;
    gNameTable = nullptr;

    SavedCurrentContext saved;
    {
        GlWorkLock lock;
        // The shared GL objects are deleted in the root, which shares them.
        // Should it not be current, they are only forgotten: they go with
        // the contexts.
        AEOpenGLContext* root = rootContext();
        bool rootCurrent = false;
        if (root) {
            try {
                root->makeCurrent();
                rootCurrent = true;
            } catch (const AESDK_OpenGL_Fault&) {
            }
        }
        if (rootCurrent) {
            OpenglRenderTarget::releaseAll();
            if (gLevelsPass) gLevelsPass->releaseGl();
        } else {
            OpenglRenderTarget::forgetAll();
            if (gLevelsPass) gLevelsPass->forgetGl();
        }
        delete gLevelsPass;
        gLevelsPass = nullptr;
        destroyAllContexts();
    }
    saved.restore();
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
