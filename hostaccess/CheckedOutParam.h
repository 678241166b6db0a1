// A parameter checked out from the host at a given time, checked back in when
// the scope ends. A failed checkout leaves a cleared record and nothing to check in.
#pragma once

#include "host/ae_effect.h"

namespace Ombrix::Levels {

class CheckedOutParam {
public:
    CheckedOutParam(const PF_InData* in_data, A_long index) : inData_(in_data), def_{} {
        result_ = inData_->inter.checkout_param(inData_->effect_ref, index, inData_->current_time, inData_->time_step,
                                                inData_->time_scale, &def_);
        if (result_ != PF_Err_NONE) def_ = PF_ParamDef{};
    }
    ~CheckedOutParam() {
        if (result_ == PF_Err_NONE) inData_->inter.checkin_param(inData_->effect_ref, &def_);
    }
    CheckedOutParam(const CheckedOutParam&) = delete;
    CheckedOutParam& operator=(const CheckedOutParam&) = delete;

    bool ok() const { return result_ == PF_Err_NONE; }
    PF_Err result() const { return result_; }
    const PF_ParamDef& def() const { return def_; }

private:
    const PF_InData* inData_;
    PF_ParamDef def_;
    PF_Err result_;
};

}  // namespace Ombrix::Levels
