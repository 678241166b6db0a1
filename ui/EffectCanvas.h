// The drawing surface of one custom-UI draw event: finds the event's Drawbot
// surface and offers the few drawing operations the histogram editor uses.
#pragma once

#include <memory>

#include "host/ae_suites.h"
#include "ui/CanvasRect.h"
#include "ui/DrawbotBrush.h"
#include "ui/DrawbotImage.h"
#include "ui/DrawbotPath.h"
#include "ui/DrawbotPen.h"
#include "ui/HeldDrawbotSuites.h"

namespace Ombrix::Levels {

class EffectCanvas {
public:
    // Acquires the four Drawbot suites and the event's drawing reference, supplier
    // and surface. Throws an int host code when a suite is refused or the host
    // hands out no drawing reference, and DRAWBOT_Exception when the drawing
    // reference yields no supplier or surface; nothing stays acquired then.
    EffectCanvas(PF_InData* in_data, PF_OutData* out_data, PF_EventExtra* event_extra);
    ~EffectCanvas();  // gives the Drawbot suites back
    EffectCanvas(const EffectCanvas&) = delete;
    EffectCanvas& operator=(const EffectCanvas&) = delete;

    // The event's effect_win.current_frame as x, y, width, height.
    CanvasRect frameRect() const;

    // Drawing objects; each must be released before the canvas ends.
    std::unique_ptr<DRAWBOT_PathP> newPath();
    std::unique_ptr<DRAWBOT_PenP> newPen(const DRAWBOT_ColorRGBA& color, float size);
    std::unique_ptr<DRAWBOT_ImageP> newImage(int width, int height, int rowBytes, DRAWBOT_PixelLayout layout,
                                             const void* pixels);
    // Deletes the wrapper, which gives its object back; an empty pointer is ignored.
    template <typename T>
    void releaseObject(std::unique_ptr<T>& object) {
        object.reset();
    }

    // Path building; each returns the path suite's result.
    SPErr moveTo(DRAWBOT_PathP& path, float x, float y);
    SPErr lineTo(DRAWBOT_PathP& path, float x, float y);
    SPErr closePath(DRAWBOT_PathP& path);
    // An ellipse of four cubic quarter arcs from its left-most point; returns the
    // result of the closing call.
    SPErr addEllipse(DRAWBOT_PathP& path, float cx, float cy, float rx, float ry);

    // Drawing; each returns the host's result of its main call.
    SPErr strokePath(const DRAWBOT_PenP& pen, const DRAWBOT_PathP& path);
    SPErr fillPath(const DRAWBOT_ColorRGBA& color, const DRAWBOT_PathP& path);
    SPErr drawLine(const DRAWBOT_PenP& pen, const PF_Point& from, const PF_Point& to);
    SPErr strokeRect(const DRAWBOT_PenP& pen, const PF_Rect& rect);
    SPErr fillRect(const DRAWBOT_ColorRGBA& color, const PF_Rect& rect);
    SPErr drawImage(const DRAWBOT_ImageP& image, float x, float y, float alpha);

private:
    PF_InData* inData;
    PF_EventExtra* eventExtra;
    HeldDrawbotSuites suites;
    DRAWBOT_DrawRef drawRef = nullptr;
    DRAWBOT_SupplierRef supplierRef = nullptr;
    DRAWBOT_SurfaceRef surfaceRef = nullptr;
};

}  // namespace Ombrix::Levels
