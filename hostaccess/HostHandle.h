// A host memory handle from "PF Handle Suite": allocated on construction,
// locked for use, and unlocked and disposed of when the owner goes, also when
// a thrown host code passes.
#pragma once

#include <cstdint>

#include "host/ae_suites.h"

namespace Ombrix::Levels {

class HostHandle {
public:
    // Throws PF_Err_OUT_OF_MEMORY (4) when the host gives no handle or no memory.
    HostHandle(const PF_HandleSuite1* suite, uint64_t size) : suite_(suite) {
        handle_ = suite_->host_new_handle(size);
        if (!handle_) throw static_cast<int>(PF_Err_OUT_OF_MEMORY);
        data_ = suite_->host_lock_handle(handle_);
        if (!data_) {
            suite_->host_dispose_handle(handle_);
            throw static_cast<int>(PF_Err_OUT_OF_MEMORY);
        }
    }
    ~HostHandle() {
        suite_->host_unlock_handle(handle_);
        suite_->host_dispose_handle(handle_);
    }
    HostHandle(const HostHandle&) = delete;
    HostHandle& operator=(const HostHandle&) = delete;

    uint8_t* data() const { return static_cast<uint8_t*>(data_); }

private:
    const PF_HandleSuite1* suite_;
    PF_Handle handle_ = nullptr;
    void* data_ = nullptr;
};

}  // namespace Ombrix::Levels
