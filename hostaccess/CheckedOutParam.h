// A parameter checked out from the host at the current time, checked back in
// when the scope ends. A checkout the host refuses throws its code as an int,
// with nothing checked out.
#pragma once

#include "host/ae_effect.h"

namespace Ombrix::Levels {

class CheckedOutParam {
public:
    CheckedOutParam(const PF_InData* in_data, A_long index) : inData_(in_data), def_{} {
        const PF_Err err = inData_->inter.checkout_param(inData_->effect_ref, index, inData_->current_time,
                                                         inData_->time_step, inData_->time_scale, &def_);
        if (err != PF_Err_NONE) throw static_cast<int>(err);
    }
    ~CheckedOutParam() { inData_->inter.checkin_param(inData_->effect_ref, &def_); }
    CheckedOutParam(const CheckedOutParam&) = delete;
    CheckedOutParam& operator=(const CheckedOutParam&) = delete;

    const PF_ParamDef& def() const { return def_; }

private:
    const PF_InData* inData_;
    PF_ParamDef def_;
};

}  // namespace Ombrix::Levels
