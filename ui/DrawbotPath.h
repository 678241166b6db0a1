// An owned Drawbot path, made empty by the supplier suite.
#pragma once

#include "ui/SharedRefImpl.h"

namespace Ombrix::Levels {

class DRAWBOT_PathP : public SharedRefImpl<DRAWBOT_PathRef> {
public:
    DRAWBOT_PathP(const DRAWBOT_SupplierSuite1* supplier, DRAWBOT_SupplierRef supplierRef)
        : SharedRefImpl<DRAWBOT_PathRef>(supplier) {
        DRAWBOT_PathRef created = nullptr;
        const SPErr result = supplierSuite->NewPath(supplierRef, &created);
        adopt(result, created);
    }
};

}  // namespace Ombrix::Levels
