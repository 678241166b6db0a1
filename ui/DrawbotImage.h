// An owned Drawbot image made from a pixel buffer. The buffer belongs to the
// caller and must outlive the image.
#pragma once

#include "ui/SharedRefImpl.h"

namespace Ombrix::Levels {

class DRAWBOT_ImageP : public SharedRefImpl<DRAWBOT_ImageRef> {
public:
    DRAWBOT_ImageP(const DRAWBOT_SupplierSuite1* supplier, DRAWBOT_SupplierRef supplierRef, int width, int height,
                   int rowBytes, DRAWBOT_PixelLayout layout, const void* pixels)
        : SharedRefImpl<DRAWBOT_ImageRef>(supplier) {
        DRAWBOT_ImageRef created = nullptr;
        const SPErr result =
            supplierSuite->NewImageFromBuffer(supplierRef, width, height, rowBytes, layout, pixels, &created);
        adopt(result, created);
    }
};

}  // namespace Ombrix::Levels
