#include "ui/HeldDrawbotSuites.h"

namespace Ombrix::Levels {

HeldDrawbotSuites::HeldDrawbotSuites(const PF_InData* in_data, PF_OutData* out_data)
    : inData_(in_data), outData_(out_data) {
    const PF_Err err = AEFX_AcquireDrawbotSuites(inData_, outData_, &suites_);
    if (err != PF_Err_NONE) {
        // Drawing through a missing suite is not possible: give back what the
        // host did hand out and stop here.
        releaseDrawbotSuites(inData_, outData_, &suites_);
        throw static_cast<int>(err);
    }
}

HeldDrawbotSuites::~HeldDrawbotSuites() { releaseDrawbotSuites(inData_, outData_, &suites_); }

}  // namespace Ombrix::Levels
