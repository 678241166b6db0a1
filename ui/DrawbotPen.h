// An owned Drawbot pen: a stroke colour and width.
#pragma once

#include "ui/SharedRefImpl.h"

namespace Ombrix::Levels {

class DRAWBOT_PenP : public SharedRefImpl<DRAWBOT_PenRef> {
public:
    DRAWBOT_PenP(const DRAWBOT_SupplierSuite1* supplier, DRAWBOT_SupplierRef supplierRef, const DRAWBOT_ColorRGBA& color,
                 float size)
        : SharedRefImpl<DRAWBOT_PenRef>(supplier) {
        DRAWBOT_PenRef created = nullptr;
        const SPErr result = supplierSuite->NewPen(supplierRef, &color, size, &created);
        adopt(result, created);
    }
};

}  // namespace Ombrix::Levels
