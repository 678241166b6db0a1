// The histogram panel of the editor: the 255 x 70 histogram image with its frame
// lines, the vertical-scale slider to its right and the two display-mode buttons,
// where the editor's layout puts them.
#pragma once

#include "host/ae_effect.h"
#include "render/ChannelHistograms.h"
#include "ui/EditorLayout.h"
#include "ui/HistogramImage.h"

namespace Ombrix::Levels {

class EffectCanvas;

struct HistogramView {
    int channel = 0;                 // "Channel" popup value at the last draw
    bool combinedView = false;       // display mode at the last draw
    float histogramScale = 0.25f;    // vertical scale of the image, 0 to 1
    PF_Rect scaleTrack{0, 0, 0, 0};  // the slider's track at the last draw
    PF_Rect scaleThumb{0, 0, 0, 0};  // the slider's thumb at the last draw

    // Draws the panel and records the slider's rectangles.
    void drawPanel(EffectCanvas& canvas, const EditorLayout& layout, const ChannelHistograms& histograms,
                   HistogramLook look, PF_ParamDef* params[]);
};

}  // namespace Ombrix::Levels
