// Suite acquisition that reports failure to the user through return_msg instead
// of throwing; used for the four Drawbot suites, which are acquired as a set.
#pragma once

#include "host/ae_suites.h"

namespace Ombrix::Levels {

struct DrawbotSuites {
    const DRAWBOT_DrawbotSuite1* drawSuite = nullptr;
    const DRAWBOT_SupplierSuite1* supplierSuite = nullptr;
    const DRAWBOT_SurfaceSuite2* surfaceSuite = nullptr;
    const DRAWBOT_PathSuite1* pathSuite = nullptr;
};

// Returns 0 with *suite set, or 516 with the failure message in return_msg.
PF_Err acquireSuiteReporting(const PF_InData* in_data, PF_OutData* out_data, const char* name, int32_t version,
                             const char* message_or_null, const void** suite);
// Always returns 0; with no basic suite it leaves a message instead.
PF_Err releaseSuiteReporting(const PF_InData* in_data, PF_OutData* out_data, const char* name, int32_t version);

// Acquires Draw 1, Supplier 1, Surface 2 and Path 1 in that order and stops at
// the first failure; the suites acquired before it stay acquired.
PF_Err AEFX_AcquireDrawbotSuites(const PF_InData* in_data, PF_OutData* out_data, DrawbotSuites* suites);
// Releases the suites that `suites` holds, in acquisition order, and clears them.
PF_Err releaseDrawbotSuites(const PF_InData* in_data, PF_OutData* out_data, DrawbotSuites* suites);

}  // namespace Ombrix::Levels
