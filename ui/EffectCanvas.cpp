#include "ui/EffectCanvas.h"

#include "hostaccess/SuiteScope.h"

namespace Ombrix::Levels {
namespace {

// The control distance of a cubic Bezier quarter circle, as a fraction of the radius.
constexpr float kQuarterArc = 0.5522848f;

DRAWBOT_RectF32 floatRect(const PF_Rect& rect) {
    return DRAWBOT_RectF32{static_cast<float>(rect.left), static_cast<float>(rect.top),
                           static_cast<float>(rect.right - rect.left), static_cast<float>(rect.bottom - rect.top)};
}

}  // namespace

EffectCanvas::EffectCanvas(PF_InData* in_data, PF_OutData* out_data, PF_EventExtra* event_extra)
    : inData(in_data), eventExtra(event_extra), suites(in_data, out_data) {
    {
        SuiteScope<PF_EffectCustomUISuite1> customUi(inData, kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1);
        const PF_Err err = customUi->PF_GetDrawingReference(eventExtra->contextH, &drawRef);
        if (err != PF_Err_NONE) throw static_cast<int>(err);
        if (!drawRef) throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    }
    SPErr err = suites.draw()->GetSupplier(drawRef, &supplierRef);
    if (err != 0) throw DRAWBOT_Exception(err);
    err = suites.draw()->GetSurface(drawRef, &surfaceRef);
    if (err != 0) throw DRAWBOT_Exception(err);
}

EffectCanvas::~EffectCanvas() = default;

CanvasRect EffectCanvas::frameRect() const {
    const PF_Rect& f = eventExtra->effect_win.current_frame;
    return CanvasRect(static_cast<double>(f.left), static_cast<double>(f.top), static_cast<double>(f.right - f.left),
                      static_cast<double>(f.bottom - f.top));
}

std::unique_ptr<DRAWBOT_PathP> EffectCanvas::newPath() {
    return std::make_unique<DRAWBOT_PathP>(suites.supplier(), supplierRef);
}

std::unique_ptr<DRAWBOT_PenP> EffectCanvas::newPen(const DRAWBOT_ColorRGBA& color, float size) {
    return std::make_unique<DRAWBOT_PenP>(suites.supplier(), supplierRef, color, size);
}

std::unique_ptr<DRAWBOT_ImageP> EffectCanvas::newImage(int width, int height, int rowBytes,
                                                       DRAWBOT_PixelLayout layout, const void* pixels) {
    return std::make_unique<DRAWBOT_ImageP>(suites.supplier(), supplierRef, width, height, rowBytes, layout, pixels);
}

SPErr EffectCanvas::moveTo(DRAWBOT_PathP& path, float x, float y) { return suites.path()->MoveTo(path.get(), x, y); }

SPErr EffectCanvas::lineTo(DRAWBOT_PathP& path, float x, float y) { return suites.path()->LineTo(path.get(), x, y); }

SPErr EffectCanvas::closePath(DRAWBOT_PathP& path) { return suites.path()->Close(path.get()); }

SPErr EffectCanvas::addEllipse(DRAWBOT_PathP& path, float cx, float cy, float rx, float ry) {
    const DRAWBOT_PathSuite1* p = suites.path();
    const float kx = kQuarterArc * rx;
    const float ky = kQuarterArc * ry;
    p->MoveTo(path.get(), cx - rx, cy);
    const DRAWBOT_PointF32 arcs[4][3] = {
        {{cx - rx, cy + ky}, {cx - kx, cy + ry}, {cx, cy + ry}},
        {{cx + kx, cy + ry}, {cx + rx, cy + ky}, {cx + rx, cy}},
        {{cx + rx, cy - ky}, {cx + kx, cy - ry}, {cx, cy - ry}},
        {{cx - kx, cy - ry}, {cx - rx, cy - ky}, {cx - rx, cy}},
    };
    for (const auto& arc : arcs) p->BezierTo(path.get(), &arc[0], &arc[1], &arc[2]);
    return p->Close(path.get());
}

SPErr EffectCanvas::strokePath(const DRAWBOT_PenP& pen, const DRAWBOT_PathP& path) {
    return suites.surface()->StrokePath(surfaceRef, pen.get(), path.get());
}

SPErr EffectCanvas::fillPath(const DRAWBOT_ColorRGBA& color, const DRAWBOT_PathP& path) {
    DRAWBOT_SurfaceRef surface = nullptr;
    DRAWBOT_SupplierRef supplier = nullptr;
    SPErr err = suites.draw()->GetSurface(drawRef, &surface);
    if (err == 0) err = suites.draw()->GetSupplier(drawRef, &supplier);
    // Without a supplier no brush can be made: stop here rather than hand the
    // host a null supplier.
    if (err != 0) throw DRAWBOT_Exception(err);
    DRAWBOT_BrushP brush(suites.supplier(), supplier, color);
    return suites.surface()->FillPath(surface, brush.get(), path.get(), kDRAWBOT_FillType_Default);
}

SPErr EffectCanvas::drawLine(const DRAWBOT_PenP& pen, const PF_Point& from, const PF_Point& to) {
    std::unique_ptr<DRAWBOT_PathP> path = newPath();
    suites.path()->MoveTo(path->get(), static_cast<float>(from.h), static_cast<float>(from.v));
    suites.path()->LineTo(path->get(), static_cast<float>(to.h), static_cast<float>(to.v));
    const SPErr err = strokePath(pen, *path);
    releaseObject(path);
    return err;
}

SPErr EffectCanvas::strokeRect(const DRAWBOT_PenP& pen, const PF_Rect& rect) {
    std::unique_ptr<DRAWBOT_PathP> path = newPath();
    const DRAWBOT_RectF32 r = floatRect(rect);
    suites.path()->AddRect(path->get(), &r);
    const SPErr err = strokePath(pen, *path);
    releaseObject(path);
    return err;
}

SPErr EffectCanvas::fillRect(const DRAWBOT_ColorRGBA& color, const PF_Rect& rect) {
    DRAWBOT_SupplierRef supplier = nullptr;
    const SPErr err = suites.draw()->GetSupplier(drawRef, &supplier);
    if (err != 0) throw DRAWBOT_Exception(err);  // no supplier to make the path with
    DRAWBOT_PathP path(suites.supplier(), supplier);
    const DRAWBOT_RectF32 r = floatRect(rect);
    suites.path()->AddRect(path.get(), &r);
    return fillPath(color, path);
}

SPErr EffectCanvas::drawImage(const DRAWBOT_ImageP& image, float x, float y, float alpha) {
    const DRAWBOT_PointF32 origin{x, y};
    return suites.surface()->DrawImage(surfaceRef, image.get(), &origin, alpha);
}

}  // namespace Ombrix::Levels
