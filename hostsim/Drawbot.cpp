#include "hostsim/Drawbot.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "hostsim/Host.h"

namespace hostsim {
namespace {

DrawbotSim* gDrawbot = nullptr;

constexpr SPErr kDrawbotErr = 1;  // a Drawbot call with bad arguments
constexpr uint8_t kPanelGrey = 38;  // the panel background, RGB (38, 38, 38)

DrawbotColor colorOf(const DRAWBOT_ColorRGBA* c) {
    return c ? DrawbotColor{c->red, c->green, c->blue, c->alpha} : DrawbotColor{};
}

// ---- Draw suite -----------------------------------------------------------------------
SPErr AE_CALLBACK dbGetSupplier(DRAWBOT_DrawRef draw, DRAWBOT_SupplierRef* out) {
    DrawbotSim& sim = DrawbotSim::current();
    if (const SPErr err = sim.enter("GetSupplier")) return err;
    if (!out || !sim.validDraw(draw, "GetSupplier")) return kDrawbotErr;
    *out = sim.supplierRef();
    return 0;
}
SPErr AE_CALLBACK dbGetSurface(DRAWBOT_DrawRef draw, DRAWBOT_SurfaceRef* out) {
    DrawbotSim& sim = DrawbotSim::current();
    if (const SPErr err = sim.enter("GetSurface")) return err;
    if (!out || !sim.validDraw(draw, "GetSurface")) return kDrawbotErr;
    *out = sim.surfaceRef();
    return 0;
}
const DRAWBOT_DrawbotSuite1 kDrawSuite = {dbGetSupplier, dbGetSurface};

// ---- Supplier suite ----------------------------------------------------------------------
std::unique_ptr<DrawbotSim::Object> newObject(const char* kind) {
    auto object = std::make_unique<DrawbotSim::Object>();
    object->kind = kind;
    return object;
}

SPErr AE_CALLBACK spNewPen(DRAWBOT_SupplierRef supplier, const DRAWBOT_ColorRGBA* color, float size,
                           DRAWBOT_PenRef* out) {
    DrawbotSim& sim = DrawbotSim::current();
    if (const SPErr err = sim.enter("NewPen")) return err;
    if (!out || !color || !sim.validSupplier(supplier, "NewPen")) return kDrawbotErr;
    auto pen = newObject("DRAWBOT_Pen");
    pen->color = colorOf(color);
    pen->size = size;
    *out = sim.make(std::move(pen));
    return 0;
}
SPErr AE_CALLBACK spNewBrush(DRAWBOT_SupplierRef supplier, const DRAWBOT_ColorRGBA* color, DRAWBOT_BrushRef* out) {
    DrawbotSim& sim = DrawbotSim::current();
    if (const SPErr err = sim.enter("NewBrush")) return err;
    if (!out || !color || !sim.validSupplier(supplier, "NewBrush")) return kDrawbotErr;
    auto brush = newObject("DRAWBOT_Brush");
    brush->color = colorOf(color);
    *out = sim.make(std::move(brush));
    return 0;
}
SPErr AE_CALLBACK spSupportsText(DRAWBOT_SupplierRef supplier, DRAWBOT_Boolean* out) {
    DrawbotSim& sim = DrawbotSim::current();
    sim.enter("SupportsText");
    if (!out || !sim.validSupplier(supplier, "SupportsText")) return kDrawbotErr;
    *out = 0;
    return 0;
}
SPErr AE_CALLBACK spGetDefaultFontSize(DRAWBOT_SupplierRef supplier, float* out) {
    DrawbotSim& sim = DrawbotSim::current();
    sim.enter("GetDefaultFontSize");
    if (!out || !sim.validSupplier(supplier, "GetDefaultFontSize")) return kDrawbotErr;
    *out = 11.0f;
    return 0;
}
SPErr AE_CALLBACK spNewDefaultFont(DRAWBOT_SupplierRef, float, DRAWBOT_FontRef*) {
    DrawbotSim::current().enter("NewDefaultFont");
    return kDrawbotErr;  // this surface draws no text
}

// Converts the caller's pixels into premultiplied BGRA.
bool convertPixels(int width, int height, int rowBytes, DRAWBOT_PixelLayout layout, const void* data,
                   PremultipliedImage& out) {
    const bool bgra = layout == kDRAWBOT_PixelLayout_32BGRA_Straight || layout == kDRAWBOT_PixelLayout_32BGRA_Premul;
    const bool argb = layout == kDRAWBOT_PixelLayout_32ARGB_Straight || layout == kDRAWBOT_PixelLayout_32ARGB_Premul;
    const bool premultiplied =
        layout == kDRAWBOT_PixelLayout_32BGRA_Premul || layout == kDRAWBOT_PixelLayout_32ARGB_Premul;
    if (!(bgra || argb) || !data || width <= 0 || height <= 0 || rowBytes < 4 * width) return false;
    out.width = width;
    out.height = height;
    out.bgra.resize(static_cast<size_t>(width) * height * 4);
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = bytes + static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x) * 4;
            uint8_t b, g, r, a;
            if (bgra) {
                b = p[0], g = p[1], r = p[2], a = p[3];
            } else {
                a = p[0], r = p[1], g = p[2], b = p[3];
            }
            const auto premultiply = [a, premultiplied](uint8_t c) {
                return premultiplied ? c : static_cast<uint8_t>((c * a + 127) / 255);
            };
            uint8_t* q = &out.bgra[(static_cast<size_t>(y) * width + x) * 4];
            q[0] = premultiply(b);
            q[1] = premultiply(g);
            q[2] = premultiply(r);
            q[3] = a;
        }
    }
    return true;
}

SPErr AE_CALLBACK spNewImageFromBuffer(DRAWBOT_SupplierRef supplier, int width, int height, int rowBytes,
                                       DRAWBOT_PixelLayout layout, const void* data, DRAWBOT_ImageRef* out) {
    DrawbotSim& sim = DrawbotSim::current();
    if (const SPErr err = sim.enter("NewImageFromBuffer")) return err;
    if (!out || !sim.validSupplier(supplier, "NewImageFromBuffer")) return kDrawbotErr;
    auto pixels = std::make_shared<PremultipliedImage>();
    if (!convertPixels(width, height, rowBytes, layout, data, *pixels)) {
        Host::current().violation("NewImageFromBuffer with a buffer it cannot read (layout " + std::to_string(layout) +
                                  ", " + std::to_string(width) + " x " + std::to_string(height) + ", row bytes " +
                                  std::to_string(rowBytes) + ")");
        return kDrawbotErr;
    }
    auto image = newObject("DRAWBOT_Image");
    image->image = std::move(pixels);
    *out = sim.make(std::move(image));
    return 0;
}
SPErr AE_CALLBACK spNewPath(DRAWBOT_SupplierRef supplier, DRAWBOT_PathRef* out) {
    DrawbotSim& sim = DrawbotSim::current();
    if (const SPErr err = sim.enter("NewPath")) return err;
    if (!out || !sim.validSupplier(supplier, "NewPath")) return kDrawbotErr;
    *out = sim.make(newObject("DRAWBOT_Path"));
    return 0;
}
SPErr AE_CALLBACK spSupportsLayout(DRAWBOT_SupplierRef supplier, DRAWBOT_Boolean* out) {
    DrawbotSim& sim = DrawbotSim::current();
    if (!out || !sim.validSupplier(supplier, "SupportsPixelLayout")) return kDrawbotErr;
    *out = 1;
    return 0;
}
SPErr AE_CALLBACK spPrefersBGRA(DRAWBOT_SupplierRef supplier, DRAWBOT_Boolean* out) {
    return spSupportsLayout(supplier, out);
}
SPErr AE_CALLBACK spPrefersARGB(DRAWBOT_SupplierRef supplier, DRAWBOT_Boolean* out) {
    DrawbotSim& sim = DrawbotSim::current();
    if (!out || !sim.validSupplier(supplier, "PrefersPixelLayoutARGB")) return kDrawbotErr;
    *out = 0;
    return 0;
}
SPErr AE_CALLBACK spRetainObject(DRAWBOT_ObjectRef object) {
    DrawbotSim& sim = DrawbotSim::current();
    if (const SPErr err = sim.enter("RetainObject")) return err;
    return sim.retain(object);
}
SPErr AE_CALLBACK spReleaseObject(DRAWBOT_ObjectRef object) {
    DrawbotSim& sim = DrawbotSim::current();
    if (const SPErr err = sim.enter("ReleaseObject")) {
        sim.releaseRefused(object);
        return err;
    }
    return sim.release(object);
}
const DRAWBOT_SupplierSuite1 kSupplierSuite = {
    spNewPen,         spNewBrush,       spSupportsText,     spGetDefaultFontSize, spNewDefaultFont,
    spNewImageFromBuffer, spNewPath,    spSupportsLayout,   spPrefersBGRA,        spSupportsLayout,
    spPrefersARGB,    spRetainObject,   spReleaseObject};

// ---- Path suite ----------------------------------------------------------------------------
DrawbotSim::Object* pathFor(DRAWBOT_PathRef ref, const char* who) {
    return DrawbotSim::current().find(ref, "DRAWBOT_Path", who);
}
SPErr addSegment(DRAWBOT_PathRef ref, const char* who, PathSegment segment) {
    DrawbotSim& sim = DrawbotSim::current();
    if (const SPErr err = sim.enter(who)) return err;
    std::lock_guard<std::recursive_mutex> lock(sim.mutex());
    DrawbotSim::Object* path = pathFor(ref, who);
    if (!path) return kDrawbotErr;
    path->path.push_back(segment);
    return 0;
}
SPErr AE_CALLBACK paMoveTo(DRAWBOT_PathRef ref, float x, float y) {
    PathSegment s;
    s.kind = PathSegment::Move;
    s.v[0] = x, s.v[1] = y;
    return addSegment(ref, "MoveTo", s);
}
SPErr AE_CALLBACK paLineTo(DRAWBOT_PathRef ref, float x, float y) {
    PathSegment s;
    s.kind = PathSegment::Line;
    s.v[0] = x, s.v[1] = y;
    return addSegment(ref, "LineTo", s);
}
SPErr AE_CALLBACK paBezierTo(DRAWBOT_PathRef ref, const DRAWBOT_PointF32* p1, const DRAWBOT_PointF32* p2,
                             const DRAWBOT_PointF32* p3) {
    if (!p1 || !p2 || !p3) {
        Host::current().violation("BezierTo with a null point");
        return kDrawbotErr;
    }
    PathSegment s;
    s.kind = PathSegment::Bezier;
    const float v[6] = {p1->x, p1->y, p2->x, p2->y, p3->x, p3->y};
    for (int i = 0; i < 6; ++i) s.v[i] = v[i];
    return addSegment(ref, "BezierTo", s);
}
SPErr AE_CALLBACK paAddRect(DRAWBOT_PathRef ref, const DRAWBOT_RectF32* rect) {
    if (!rect) {
        Host::current().violation("AddRect with a null rectangle");
        return kDrawbotErr;
    }
    PathSegment s;
    s.kind = PathSegment::Rect;
    s.v[0] = rect->left, s.v[1] = rect->top, s.v[2] = rect->width, s.v[3] = rect->height;
    return addSegment(ref, "AddRect", s);
}
SPErr AE_CALLBACK paAddArc(DRAWBOT_PathRef ref, const DRAWBOT_PointF32* centre, float radius, float start,
                           float sweep) {
    // Degrees, as the host takes them; drawn as short lines.
    if (!centre) {
        Host::current().violation("AddArc with a null centre");
        return kDrawbotErr;
    }
    DrawbotSim& sim = DrawbotSim::current();
    if (const SPErr err = sim.enter("AddArc")) return err;
    std::lock_guard<std::recursive_mutex> lock(sim.mutex());
    DrawbotSim::Object* path = pathFor(ref, "AddArc");
    if (!path) return kDrawbotErr;
    const int steps = 32;
    for (int i = 0; i <= steps; ++i) {
        const double a = (start + sweep * i / steps) * 3.14159265358979323846 / 180.0;
        PathSegment s;
        s.kind = (i == 0 && path->path.empty()) ? PathSegment::Move : PathSegment::Line;
        s.v[0] = static_cast<float>(centre->x + radius * std::cos(a));
        s.v[1] = static_cast<float>(centre->y + radius * std::sin(a));
        path->path.push_back(s);
    }
    return 0;
}
SPErr AE_CALLBACK paClose(DRAWBOT_PathRef ref) {
    PathSegment s;
    s.kind = PathSegment::Close;
    return addSegment(ref, "Close", s);
}
const DRAWBOT_PathSuite1 kPathSuite = {paMoveTo, paLineTo, paBezierTo, paAddRect, paAddArc, paClose};

// ---- Surface suite ---------------------------------------------------------------------------
SPErr surfaceCall(DRAWBOT_SurfaceRef surface, const char* who) {
    DrawbotSim& sim = DrawbotSim::current();
    if (const SPErr err = sim.enter(who)) return err;
    return sim.validSurface(surface, who) ? 0 : kDrawbotErr;
}
SPErr AE_CALLBACK suPushState(DRAWBOT_SurfaceRef s) { return surfaceCall(s, "PushStateStack"); }
SPErr AE_CALLBACK suPopState(DRAWBOT_SurfaceRef s) { return surfaceCall(s, "PopStateStack"); }
SPErr AE_CALLBACK suPaintRect(DRAWBOT_SurfaceRef s, const DRAWBOT_ColorRGBA* color, const DRAWBOT_RectF32* rect) {
    if (const SPErr err = surfaceCall(s, "PaintRect")) return err;
    if (!color || !rect) return kDrawbotErr;
    DrawbotSim& sim = DrawbotSim::current();
    DrawbotSim::Object brush;
    brush.kind = "DRAWBOT_Brush";
    brush.color = colorOf(color);
    DrawbotSim::Object path;
    path.kind = "DRAWBOT_Path";
    PathSegment seg;
    seg.kind = PathSegment::Rect;
    seg.v[0] = rect->left, seg.v[1] = rect->top, seg.v[2] = rect->width, seg.v[3] = rect->height;
    path.path.push_back(seg);
    sim.fill(brush, path, kDRAWBOT_FillType_Default);
    return 0;
}
SPErr AE_CALLBACK suFillPath(DRAWBOT_SurfaceRef s, DRAWBOT_BrushRef brushRef, DRAWBOT_PathRef pathRef,
                             DRAWBOT_FillType type) {
    if (const SPErr err = surfaceCall(s, "FillPath")) return err;
    DrawbotSim& sim = DrawbotSim::current();
    std::lock_guard<std::recursive_mutex> lock(sim.mutex());
    const DrawbotSim::Object* brush = sim.find(brushRef, "DRAWBOT_Brush", "FillPath");
    const DrawbotSim::Object* path = sim.find(pathRef, "DRAWBOT_Path", "FillPath");
    if (!brush || !path) return kDrawbotErr;
    if (type != kDRAWBOT_FillType_EvenOdd && type != kDRAWBOT_FillType_Winding) {
        Host::current().violation("FillPath with fill type " + std::to_string(type));
        return kDrawbotErr;
    }
    sim.fill(*brush, *path, type);
    return 0;
}
SPErr AE_CALLBACK suStrokePath(DRAWBOT_SurfaceRef s, DRAWBOT_PenRef penRef, DRAWBOT_PathRef pathRef) {
    if (const SPErr err = surfaceCall(s, "StrokePath")) return err;
    DrawbotSim& sim = DrawbotSim::current();
    std::lock_guard<std::recursive_mutex> lock(sim.mutex());
    const DrawbotSim::Object* pen = sim.find(penRef, "DRAWBOT_Pen", "StrokePath");
    const DrawbotSim::Object* path = sim.find(pathRef, "DRAWBOT_Path", "StrokePath");
    if (!pen || !path) return kDrawbotErr;
    sim.stroke(*pen, *path);
    return 0;
}
SPErr AE_CALLBACK suClip(DRAWBOT_SurfaceRef s, DRAWBOT_SupplierRef, const DRAWBOT_Rect32*) {
    return surfaceCall(s, "Clip");
}
SPErr AE_CALLBACK suGetClipBounds(DRAWBOT_SurfaceRef s, DRAWBOT_Rect32* out) {
    if (const SPErr err = surfaceCall(s, "GetClipBounds")) return err;
    if (!out) return kDrawbotErr;
    *out = DRAWBOT_Rect32{0, 0, 0, 0};
    return 0;
}
SPErr AE_CALLBACK suIsWithinClipBounds(DRAWBOT_SurfaceRef s, const DRAWBOT_Rect32*, DRAWBOT_Boolean* out) {
    if (const SPErr err = surfaceCall(s, "IsWithinClipBounds")) return err;
    if (!out) return kDrawbotErr;
    *out = 1;
    return 0;
}
SPErr AE_CALLBACK suTransform(DRAWBOT_SurfaceRef s, const DRAWBOT_MatrixF32*) {
    surfaceCall(s, "Transform");
    return kDrawbotErr;  // not offered by this surface
}
SPErr AE_CALLBACK suDrawString(DRAWBOT_SurfaceRef s, DRAWBOT_BrushRef, DRAWBOT_FontRef, const DRAWBOT_UTF16Char*,
                               const DRAWBOT_PointF32*, DRAWBOT_TextAlignment, DRAWBOT_TextTruncation, float) {
    surfaceCall(s, "DrawString");
    return kDrawbotErr;  // no text on this surface
}
SPErr AE_CALLBACK suDrawImage(DRAWBOT_SurfaceRef s, DRAWBOT_ImageRef imageRef, const DRAWBOT_PointF32* origin,
                              float alpha) {
    if (const SPErr err = surfaceCall(s, "DrawImage")) return err;
    DrawbotSim& sim = DrawbotSim::current();
    std::lock_guard<std::recursive_mutex> lock(sim.mutex());
    const DrawbotSim::Object* image = sim.find(imageRef, "DRAWBOT_Image", "DrawImage");
    if (!image || !origin) return kDrawbotErr;
    sim.image(*image, origin->x, origin->y, alpha);
    return 0;
}
SPErr AE_CALLBACK suSetInterpolation(DRAWBOT_SurfaceRef s, DRAWBOT_InterpolationPolicy) {
    return surfaceCall(s, "SetInterpolationPolicy");
}
SPErr AE_CALLBACK suGetInterpolation(DRAWBOT_SurfaceRef s, DRAWBOT_InterpolationPolicy* out) {
    if (const SPErr err = surfaceCall(s, "GetInterpolationPolicy")) return err;
    if (out) *out = 0;
    return 0;
}
SPErr AE_CALLBACK suSetAntiAlias(DRAWBOT_SurfaceRef s, DRAWBOT_AntiAliasPolicy) {
    return surfaceCall(s, "SetAntiAliasPolicy");
}
SPErr AE_CALLBACK suGetAntiAlias(DRAWBOT_SurfaceRef s, DRAWBOT_AntiAliasPolicy* out) {
    if (const SPErr err = surfaceCall(s, "GetAntiAliasPolicy")) return err;
    if (out) *out = 0;
    return 0;
}
SPErr AE_CALLBACK suFlush(DRAWBOT_SurfaceRef s) { return surfaceCall(s, "Flush"); }
SPErr AE_CALLBACK suGetScale(DRAWBOT_SurfaceRef s, float* out) {
    if (const SPErr err = surfaceCall(s, "GetTransformToScreenScale")) return err;
    if (!out) return kDrawbotErr;
    *out = static_cast<float>(DrawbotSim::current().zoom());
    return 0;
}
const DRAWBOT_SurfaceSuite2 kSurfaceSuite = {
    suPushState,        suPopState,         suPaintRect,    suFillPath,          suStrokePath,   suClip,
    suGetClipBounds,    suIsWithinClipBounds, suTransform,  suDrawString,        suDrawImage,    suSetInterpolation,
    suGetInterpolation, suSetAntiAlias,     suGetAntiAlias, suFlush,             suGetScale};

// ---- PF Effect Custom UI Suite ------------------------------------------------------------------
PF_Err AE_CALLBACK cuGetDrawingReference(const PF_ContextH context, DRAWBOT_DrawRef* reference) {
    return DrawbotSim::current().drawingReference(context, reference);
}
const PF_EffectCustomUISuite1 kCustomUiSuite = {cuGetDrawingReference};

}  // namespace

// ---- DrawbotSim --------------------------------------------------------------------------------------
DrawbotSim::DrawbotSim(Host& host) : host_(host) {
    gDrawbot = this;
    setSurface(300, 110, 1);
}

DrawbotSim::~DrawbotSim() {
    if (gDrawbot == this) gDrawbot = nullptr;
}

DrawbotSim& DrawbotSim::current() {
    if (!gDrawbot) {
        std::fprintf(stderr, "Drawbot call with no simulated host alive\n");
        std::abort();
    }
    return *gDrawbot;
}

void DrawbotSim::setSurface(int width, int height, int zoom) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    width_ = width;
    height_ = height;
    zoom_ = zoom < 1 ? 1 : zoom;
    raster_ = makeDrawbotRaster(width_, height_, zoom_);
    if (raster_) raster_->clear(kPanelGrey, kPanelGrey, kPanelGrey);
}

Rgba8Image DrawbotSim::pixels() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return raster_ ? raster_->read() : Rgba8Image{};
}

void DrawbotSim::beginEvent(PF_ContextH context, PF_EventType type, const PF_Rect& frame, PF_EventInFlags inFlags) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    eventContext_ = context;
    dontDraw_ = type == PF_Event_DRAW && (inFlags & PF_EI_DONT_DRAW) != 0;
    drawing_ = type == PF_Event_DRAW && !dontDraw_;
    if (!drawing_) return;
    operations_.clear();
    if (raster_) {
        raster_->setClip(0, 0, width_, height_);
        raster_->clear(kPanelGrey, kPanelGrey, kPanelGrey);
        raster_->setClip(frame.left, frame.top, frame.right, frame.bottom);
    }
}

void DrawbotSim::endEvent() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    eventContext_ = nullptr;
    drawing_ = false;
    dontDraw_ = false;
}

std::vector<DrawOp> DrawbotSim::operations() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return operations_;
}

int DrawbotSim::calls(const std::string& function) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto found = calls_.find(function);
    return found == calls_.end() ? 0 : found->second;
}

void DrawbotSim::resetCalls() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    calls_.clear();
}

void DrawbotSim::failCall(const std::string& function, SPErr code, int nth, int times) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    failures_[function] = Failure{code, nth < 1 ? 0 : nth - 1, times};
}

void DrawbotSim::clearFailures() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    failures_.clear();
}

void DrawbotSim::releaseRefused(DRAWBOT_ObjectRef ref) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    refusedReleases_.push_back(ref);
}

int DrawbotSim::collectRefusedReleases() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    int collected = 0;
    for (const void* ref : refusedReleases_) {
        auto found = objects_.find(ref);
        if (found == objects_.end()) continue;  // released after all
        host_.objectReleased(found->second->kind);
        objects_.erase(found);
        ++collected;
    }
    refusedReleases_.clear();
    return collected;
}

SPErr DrawbotSim::enter(const char* function) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    ++calls_[function];
    auto found = failures_.find(function);
    if (found == failures_.end()) return 0;
    Failure& f = found->second;
    if (f.skip > 0) {
        --f.skip;
        return 0;
    }
    if (f.times == 0) return 0;
    if (f.times > 0) --f.times;
    return f.code;
}

PF_Err DrawbotSim::drawingReference(PF_ContextH context, DRAWBOT_DrawRef* reference) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (const SPErr err = enter("PF_GetDrawingReference")) return err;
    if (!reference) {
        host_.violation("PF_GetDrawingReference with no place for the reference");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (!context || context != eventContext_) {
        host_.violation("PF_GetDrawingReference with a context that is not the event's");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (dontDraw_) {
        host_.violation("PF_GetDrawingReference in a draw event marked PF_EI_DONT_DRAW");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (!drawing_) {
        host_.violation("PF_GetDrawingReference outside a draw event");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    *reference = reinterpret_cast<DRAWBOT_DrawRef>(&drawToken_);
    return PF_Err_NONE;
}

bool DrawbotSim::validDraw(DRAWBOT_DrawRef ref, const char* who) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (drawing_ && ref == reinterpret_cast<DRAWBOT_DrawRef>(&drawToken_)) return true;
    host_.violation(std::string(who) + " with a drawing reference that is not valid now");
    return false;
}

bool DrawbotSim::validSupplier(DRAWBOT_SupplierRef ref, const char* who) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (drawing_ && ref == reinterpret_cast<DRAWBOT_SupplierRef>(&supplierToken_)) return true;
    host_.violation(std::string(who) + " with a supplier that is not valid now");
    return false;
}

bool DrawbotSim::validSurface(DRAWBOT_SurfaceRef ref, const char* who) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (drawing_ && ref == reinterpret_cast<DRAWBOT_SurfaceRef>(&surfaceToken_)) return true;
    host_.violation(std::string(who) + " with a surface that is not valid now");
    return false;
}

DRAWBOT_SupplierRef DrawbotSim::supplierRef() { return reinterpret_cast<DRAWBOT_SupplierRef>(&supplierToken_); }
DRAWBOT_SurfaceRef DrawbotSim::surfaceRef() { return reinterpret_cast<DRAWBOT_SurfaceRef>(&surfaceToken_); }

DRAWBOT_ObjectRef DrawbotSim::make(std::unique_ptr<Object> object) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const std::string kind = object->kind;
    auto ref = reinterpret_cast<DRAWBOT_ObjectRef>(object.get());
    objects_[object.get()] = std::move(object);
    host_.objectMade(kind);
    return ref;
}

DrawbotSim::Object* DrawbotSim::find(DRAWBOT_ObjectRef ref, const char* kind, const char* who) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto found = objects_.find(ref);
    if (found == objects_.end()) {
        host_.violation(std::string(who) + " with a " + kind + " that is not alive");
        return nullptr;
    }
    if (found->second->kind != kind) {
        host_.violation(std::string(who) + " with a " + found->second->kind + " where a " + kind + " belongs");
        return nullptr;
    }
    return found->second.get();
}

SPErr DrawbotSim::retain(DRAWBOT_ObjectRef ref) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto found = objects_.find(ref);
    if (found == objects_.end()) {
        host_.violation("RetainObject of an object that is not alive");
        return kDrawbotErr;
    }
    ++found->second->references;
    return 0;
}

SPErr DrawbotSim::release(DRAWBOT_ObjectRef ref) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto found = objects_.find(ref);
    if (found == objects_.end()) {
        host_.violation("ReleaseObject of an object that is not alive");
        return kDrawbotErr;
    }
    if (--found->second->references > 0) return 0;
    host_.objectReleased(found->second->kind);
    objects_.erase(found);
    return 0;
}

void DrawbotSim::stroke(const Object& pen, const Object& path) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    DrawOp op;
    op.kind = DrawOp::Stroke;
    op.path = path.path;
    op.color = pen.color;
    op.penSize = pen.size;
    operations_.push_back(op);
    if (raster_) raster_->stroke(path.path, pen.color, pen.size);
}

void DrawbotSim::fill(const Object& brush, const Object& path, DRAWBOT_FillType type) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    DrawOp op;
    op.kind = DrawOp::Fill;
    op.path = path.path;
    op.color = brush.color;
    op.fillType = type;
    operations_.push_back(op);
    if (raster_) raster_->fill(path.path, brush.color, type == kDRAWBOT_FillType_Winding);
}

void DrawbotSim::image(const Object& image, float x, float y, float opacity) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    DrawOp op;
    op.kind = DrawOp::Image;
    op.image = image.image;
    op.imageWidth = image.image ? image.image->width : 0;
    op.imageHeight = image.image ? image.image->height : 0;
    op.x = x;
    op.y = y;
    op.opacity = opacity;
    operations_.push_back(op);
    if (raster_ && image.image) raster_->image(*image.image, x, y, opacity);
}

void installDrawbotServices(Host& host) {
    auto sim = std::make_shared<DrawbotSim>(host);
    host.keepService(sim);
    host.provideSuite(kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1, &kDrawSuite);
    host.provideSuite(kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1, &kSupplierSuite);
    host.provideSuite(kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version2, &kSurfaceSuite);
    host.provideSuite(kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1, &kPathSuite);
    host.provideSuite(kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1, &kCustomUiSuite);
}

}  // namespace hostsim
