// The four Drawbot suites held for one drawing surface: acquired as a set when
// made, given back when destroyed.
#pragma once

#include "hostaccess/SuiteReporting.h"

namespace Ombrix::Levels {

class HeldDrawbotSuites {
public:
    // Throws the acquisition's host code (an int) when the host refuses any of
    // the four suites, after giving back the ones it did hand out; the refusal
    // message stays in out_data->return_msg.
    HeldDrawbotSuites(const PF_InData* in_data, PF_OutData* out_data);
    ~HeldDrawbotSuites();
    HeldDrawbotSuites(const HeldDrawbotSuites&) = delete;
    HeldDrawbotSuites& operator=(const HeldDrawbotSuites&) = delete;

    const DrawbotSuites& suites() const { return suites_; }
    const DRAWBOT_DrawbotSuite1* draw() const { return suites_.drawSuite; }
    const DRAWBOT_SupplierSuite1* supplier() const { return suites_.supplierSuite; }
    const DRAWBOT_SurfaceSuite2* surface() const { return suites_.surfaceSuite; }
    const DRAWBOT_PathSuite1* path() const { return suites_.pathSuite; }

private:
    const PF_InData* inData_;
    PF_OutData* outData_;
    DrawbotSuites suites_;
};

}  // namespace Ombrix::Levels
