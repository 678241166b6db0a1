// The histogram panel of the editor: the histogram image with its frame
// lines, the vertical-scale slider to its right and the two display-mode buttons,
// where the editor's layout puts them.
#pragma once

#include "histogram/ChannelHistograms.h"
#include "host/ae_effect.h"
#include "ui/EditorDisplay.h"
#include "ui/EditorLayout.h"
#include "ui/HistogramImage.h"

namespace Ombrix::Levels {

class EffectCanvas;

struct HistogramView {
    int channel = 0;                 // "Channel" popup value at the last draw
    PF_Rect scaleTrack{0, 0, 0, 0};  // the slider's track at the last draw
    PF_Rect scaleThumb{0, 0, 0, 0};  // the slider's thumb at the last draw

    // Draws the panel in `display`'s mode and scale, and records the slider's rectangles.
    void drawPanel(EffectCanvas& canvas, const EditorLayout& layout, const ChannelHistograms& histograms,
                   HistogramLook look, PF_ParamDef* params[], const EditorDisplay& display);
};

}  // namespace Ombrix::Levels
