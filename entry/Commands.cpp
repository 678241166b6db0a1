#include "entry/Commands.h"

#include <memory>

#include "entry/ProcessObjects.h"
#include "entry/SuiteScope.h"
#include "host/ae_suites.h"
#include "params/NameTable.h"

namespace Ombrix::Levels {

NameTable* gNameTable = nullptr;

PF_Err about(PF_InData* in_data, PF_OutData* out_data) {
    SuiteScope<PF_ANSICallbacksSuite1> ansi(in_data, kPFANSISuite, kPFANSISuiteVersion1);
    ansi->sprintf(out_data->return_msg, "%s v%d.%d\r%s", kEffectName, kMajorVersion, kMinorVersion,
                  kEffectDescription);
    return PF_Err_NONE;
}

PF_Err globalSetup(PF_InData* in_data, PF_OutData* out_data) {
    out_data->my_version = kEffectVersion;
    out_data->out_flags = kGlobalOutFlags;
    out_data->out_flags2 = kGlobalOutFlags2;

    // A failed construction frees the table and leaves the pointer as it was.
    auto names = std::make_unique<NameTable>(in_data);
    delete gNameTable;  // a repeated set-up replaces the table instead of leaking it
    gNameTable = names.release();
    return PF_Err_NONE;
}

PF_Err globalSetdown(PF_InData* /*in_data*/, PF_OutData* /*out_data*/) {
    delete gNameTable;
    gNameTable = nullptr;
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
