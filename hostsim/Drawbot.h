// The host's Drawbot drawing suites as the simulated host offers them to custom
// UI: "DRAWBOT Draw Suite" v1, "DRAWBOT Supplier Suite" v1, "DRAWBOT Surface
// Suite" v2 and "DRAWBOT Path Suite" v1, plus "PF Effect Custom UI Suite" v1,
// which hands out the drawing reference of an event's context.
//
// Every drawing object (pen, brush, path, image) is counted through
// Host::objectMade/objectReleased under the kinds "DRAWBOT_Pen",
// "DRAWBOT_Brush", "DRAWBOT_Path" and "DRAWBOT_Image", so host.leaks() names
// any that the effect keeps. Every call is counted by function name, every
// stroke, fill and image of the current draw is recorded, and where the build
// has a raster (DrawbotRaster.h) it is drawn for real.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/ae_suites.h"
#include "hostsim/DrawbotRaster.h"

namespace hostsim {

class Host;

// One drawing operation of a draw event, as the surface received it.
struct DrawOp {
    enum Kind { Stroke, Fill, Image };
    Kind kind = Stroke;
    std::vector<PathSegment> path;  // Stroke, Fill
    DrawbotColor color;             // pen or brush colour
    float penSize = 0;              // Stroke
    DRAWBOT_FillType fillType = kDRAWBOT_FillType_Default;  // Fill
    int imageWidth = 0, imageHeight = 0;                     // Image
    float x = 0, y = 0, opacity = 0;                         // Image origin and opacity
    std::shared_ptr<const PremultipliedImage> image;         // Image pixels
};

class DrawbotSim {
public:
    explicit DrawbotSim(Host& host);
    ~DrawbotSim();
    DrawbotSim(const DrawbotSim&) = delete;
    DrawbotSim& operator=(const DrawbotSim&) = delete;

    // The Drawbot of the live host.
    static DrawbotSim& current();

    // ---- the panel surface -----------------------------------------------------
    // A surface of width x height control pixels, drawn at `zoom` device pixels per
    // control pixel (a new raster; the old pixels are gone).
    void setSurface(int width, int height, int zoom = 1);
    int zoom() const { return zoom_; }
    bool hasRaster() const { return raster_ != nullptr; }
    // The surface's pixels (empty where the build has no raster).
    Rgba8Image pixels() const;

    // ---- events, as the host's event code opens and closes them -------------------
    // From here until endEvent, `context` is the event's context. For a draw event
    // the panel background is painted first, drawing is clipped to `frame`, the
    // record of operations starts afresh and the drawing reference is valid,
    // unless `inFlags` holds PF_EI_DONT_DRAW: then nothing may be drawn, and
    // asking for the drawing reference is a violation.
    void beginEvent(PF_ContextH context, PF_EventType type, const PF_Rect& frame, PF_EventInFlags inFlags = PF_EI_NONE);
    void endEvent();
    // Operations of the latest draw event, in order.
    std::vector<DrawOp> operations() const;

    // ---- calls and failures ----------------------------------------------------------
    // How often a suite function (by its name, e.g. "NewPen") was called.
    int calls(const std::string& function) const;
    void resetCalls();
    // The `nth` call of `function` from now on (1-based) and the `times - 1` after
    // it (every later one when `times` < 0) return `code` and do nothing.
    // Functions: PF_GetDrawingReference, GetSupplier, GetSurface, NewPen, NewBrush,
    // NewPath, NewImageFromBuffer, ReleaseObject, StrokePath, FillPath, DrawImage.
    void failCall(const std::string& function, SPErr code, int nth = 1, int times = 1);
    void clearFailures();
    // Objects whose ReleaseObject this host refused stay alive, as the effect
    // cannot know better than to leave them; this is the host cleaning them up
    // later on its own. Returns how many were still alive.
    int collectRefusedReleases();

    // ---- the suites' side (called by the C functions of the suite tables) -------------
    struct Object;
    SPErr enter(const char* function);  // counts the call; the injected failure, or 0
    PF_Err drawingReference(PF_ContextH context, DRAWBOT_DrawRef* reference);
    bool validDraw(DRAWBOT_DrawRef ref, const char* who);
    bool validSupplier(DRAWBOT_SupplierRef ref, const char* who);
    bool validSurface(DRAWBOT_SurfaceRef ref, const char* who);
    DRAWBOT_SupplierRef supplierRef();
    DRAWBOT_SurfaceRef surfaceRef();
    DRAWBOT_ObjectRef make(std::unique_ptr<Object> object);
    Object* find(DRAWBOT_ObjectRef ref, const char* kind, const char* who);
    SPErr retain(DRAWBOT_ObjectRef ref);
    SPErr release(DRAWBOT_ObjectRef ref);
    void releaseRefused(DRAWBOT_ObjectRef ref);
    void stroke(const Object& pen, const Object& path);
    void fill(const Object& brush, const Object& path, DRAWBOT_FillType type);
    void image(const Object& image, float x, float y, float opacity);
    std::recursive_mutex& mutex() const { return mutex_; }

    struct Object {
        std::string kind;  // "DRAWBOT_Pen", "DRAWBOT_Brush", "DRAWBOT_Path", "DRAWBOT_Image"
        int references = 1;
        DrawbotColor color;
        float size = 0;
        std::vector<PathSegment> path;
        std::shared_ptr<const PremultipliedImage> image;
    };

private:
    struct Failure {
        SPErr code = 0;
        int skip = 0;   // calls still to let through
        int times = 0;  // failures still to give; < 0: for ever
    };

    Host& host_;
    mutable std::recursive_mutex mutex_;
    int width_ = 0, height_ = 0, zoom_ = 1;
    std::unique_ptr<DrawbotRaster> raster_;
    PF_ContextH eventContext_ = nullptr;
    bool drawing_ = false;
    bool dontDraw_ = false;  // a draw event the host marked PF_EI_DONT_DRAW
    char drawToken_ = 0, supplierToken_ = 0, surfaceToken_ = 0;
    std::map<const void*, std::unique_ptr<Object>> objects_;
    std::vector<const void*> refusedReleases_;
    std::vector<DrawOp> operations_;
    std::map<std::string, int> calls_;
    std::map<std::string, Failure> failures_;
};

// Provides the four Drawbot suites and "PF Effect Custom UI Suite" v1 to `host`.
void installDrawbotServices(Host& host);

}  // namespace hostsim
