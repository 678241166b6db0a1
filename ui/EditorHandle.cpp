#include "ui/EditorHandle.h"

#include "ui/EffectCanvas.h"

namespace Ombrix::Levels {

void EditorHandle::drawHandle(EffectCanvas& canvas) const {
    const float px = static_cast<float>(anchor.x);
    const float py = static_cast<float>(anchor.y);
    std::unique_ptr<DRAWBOT_PathP> path = canvas.newPath();
    canvas.moveTo(*path, px, py);
    canvas.lineTo(*path, px - 5.0f, py + 5.0f);
    canvas.lineTo(*path, px + 5.0f, py + 5.0f);
    canvas.closePath(*path);
    std::unique_ptr<DRAWBOT_PenP> pen = canvas.newPen(outlineColor.toDrawbot(), 1.0f);
    canvas.strokePath(*pen, *path);
    canvas.fillPath(fillColor.toDrawbot(), *path);
    canvas.releaseObject(pen);
    canvas.releaseObject(path);
}

bool EditorHandle::contains(double x, double y) const {
    return anchor.x - 5.0 <= x && x <= anchor.x + 5.0 && anchor.y <= y && y <= anchor.y + 5.0;
}

}  // namespace Ombrix::Levels
