// Sole owner of one Drawbot object: the object is given back to the host's
// supplier suite when the holder is destroyed.
#pragma once

#include "host/drawbot.h"
#include "ui/DrawbotException.h"

namespace Ombrix::Levels {

template <typename RefT>
class SharedRefImpl {
public:
    // A failing ReleaseObject cannot be reported from here (a destructor must
    // not throw); the host keeps whatever it refused to release.
    virtual ~SharedRefImpl() {
        if (ref && supplierSuite) supplierSuite->ReleaseObject(ref);
        ref = nullptr;
    }

    SharedRefImpl(const SharedRefImpl&) = delete;
    SharedRefImpl& operator=(const SharedRefImpl&) = delete;

    RefT get() const { return ref; }

protected:
    // Throws DRAWBOT_Exception when there is no supplier suite to create with.
    explicit SharedRefImpl(const DRAWBOT_SupplierSuite1* supplier) : ref(nullptr), supplierSuite(supplier) {
        if (!supplierSuite) throw DRAWBOT_Exception(kNoSupplierSuite);
    }

    // Stores the object that `result` reports as created, or throws with the
    // result when creation failed (the holder then stays empty).
    void adopt(SPErr result, RefT created) {
        if (result != 0) throw DRAWBOT_Exception(result);
        ref = created;
    }

    RefT ref;
    const DRAWBOT_SupplierSuite1* supplierSuite;

private:
    static constexpr int32_t kNoSupplierSuite = 13;  // the suite was not acquired
};

}  // namespace Ombrix::Levels
