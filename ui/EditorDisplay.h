// How the histogram is shown: the display mode that clicks on the panel switch
// and the vertical scale that the small slider sets. They are not parameters:
// one setting serves every instance of the effect in the process, as a viewing
// preference of the user's.
#pragma once

namespace Ombrix::Levels {

struct EditorDisplay {
    bool combinedView = false;
    float histogramScale = 0.25f;
};

// The process-wide setting, alive from module load to unload.
EditorDisplay& editorDisplay();

}  // namespace Ombrix::Levels
