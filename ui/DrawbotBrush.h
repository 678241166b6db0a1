// An owned Drawbot brush: a fill colour.
#pragma once

#include "ui/SharedRefImpl.h"

namespace Ombrix::Levels {

class DRAWBOT_BrushP : public SharedRefImpl<DRAWBOT_BrushRef> {
public:
    DRAWBOT_BrushP(const DRAWBOT_SupplierSuite1* supplier, DRAWBOT_SupplierRef supplierRef,
                   const DRAWBOT_ColorRGBA& color)
        : SharedRefImpl<DRAWBOT_BrushRef>(supplier) {
        DRAWBOT_BrushRef created = nullptr;
        const SPErr result = supplierSuite->NewBrush(supplierRef, &color, &created);
        adopt(result, created);
    }
};

}  // namespace Ombrix::Levels
