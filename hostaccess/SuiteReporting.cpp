#include "hostaccess/SuiteReporting.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace Ombrix::Levels {
namespace {

void reportMessage(PF_OutData* out_data, const char* text) {
    if (!out_data) return;
    out_data->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
    const size_t n = std::min(std::strlen(text), sizeof(out_data->return_msg) - 1);
    std::memcpy(out_data->return_msg, text, n);
    out_data->return_msg[n] = '\0';
}

template <typename T>
PF_Err acquireInto(const PF_InData* in_data, PF_OutData* out_data, const char* name, int32_t version, const T*& slot) {
    const void* table = nullptr;
    const PF_Err err = acquireSuiteReporting(in_data, out_data, name, version, nullptr, &table);
    slot = static_cast<const T*>(table);
    return err;
}

template <typename T>
void releaseFrom(const PF_InData* in_data, PF_OutData* out_data, const char* name, int32_t version, const T*& slot) {
    if (!slot) return;  // never acquired: nothing to give back
    releaseSuiteReporting(in_data, out_data, name, version);
    slot = nullptr;
}

}  // namespace

PF_Err acquireSuiteReporting(const PF_InData* in_data, PF_OutData* out_data, const char* name, int32_t version,
                             const char* message_or_null, const void** suite) {
    const SPBasicSuite* basic = in_data ? in_data->pica_basicP : nullptr;
    if (suite) *suite = nullptr;
    if (basic && suite) {
        const SPErr err = basic->AcquireSuite(name, version, suite);
        if (err == 0 && *suite) return PF_Err_NONE;
        if (err == 0) basic->ReleaseSuite(name, version);  // success without a table: give the count back
        *suite = nullptr;
    }
    char buffer[1024] = {0};
    std::snprintf(buffer, sizeof(buffer), "Not able to acquire AEFX Suite-%s-%d", name ? name : "",
                  static_cast<int>(version));
    reportMessage(out_data, message_or_null ? message_or_null : buffer);
    return PF_Err_BAD_CALLBACK_PARAM;
}

PF_Err releaseSuiteReporting(const PF_InData* in_data, PF_OutData* out_data, const char* name, int32_t version) {
    const SPBasicSuite* basic = in_data ? in_data->pica_basicP : nullptr;
    if (basic) {
        basic->ReleaseSuite(name, version);
    } else {
        reportMessage(out_data, "Not able to release AEFX Suite.");
    }
    return PF_Err_NONE;
}

PF_Err AEFX_AcquireDrawbotSuites(const PF_InData* in_data, PF_OutData* out_data, DrawbotSuites* suites) {
    if (!suites) {
        reportMessage(out_data, "NULL suite pointer passed to AEFX_AcquireDrawbotSuites");
        return PF_Err_UNRECOGNIZED_PARAM_TYPE;
    }
    PF_Err err = acquireInto(in_data, out_data, kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1, suites->drawSuite);
    if (!err) {
        err = acquireInto(in_data, out_data, kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1,
                          suites->supplierSuite);
    }
    if (!err) {
        err = acquireInto(in_data, out_data, kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version2,
                          suites->surfaceSuite);
    }
    if (!err) {
        err = acquireInto(in_data, out_data, kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1, suites->pathSuite);
    }
    return err;
}

PF_Err releaseDrawbotSuites(const PF_InData* in_data, PF_OutData* out_data, DrawbotSuites* suites) {
    if (!suites) return PF_Err_NONE;
    releaseFrom(in_data, out_data, kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1, suites->drawSuite);
    releaseFrom(in_data, out_data, kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1, suites->supplierSuite);
    releaseFrom(in_data, out_data, kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version2, suites->surfaceSuite);
    releaseFrom(in_data, out_data, kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1, suites->pathSuite);
    return PF_Err_NONE;
}

}  // namespace Ombrix::Levels
