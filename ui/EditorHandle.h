// One triangular handle of the editor: apex at the anchor, base 10 pixels wide
// and 5 pixels below it.
#pragma once

#include "ui/CanvasColor.h"
#include "ui/CanvasPoint.h"

namespace Ombrix::Levels {

class EffectCanvas;

struct EditorHandle {
    CanvasPoint anchor;
    CanvasColor outlineColor;
    CanvasColor fillColor;

    // Strokes the triangle with a 1-pixel pen of the outline colour, then fills it.
    void drawHandle(EffectCanvas& canvas) const;
    // Whether (x, y) lies in the box that holds the triangle, edges included.
    bool contains(double x, double y) const;
};

}  // namespace Ombrix::Levels
