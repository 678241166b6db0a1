#include "ui/HistogramEditor.h"

namespace Ombrix::Levels {

namespace {
HistogramEditor gEditor;
}

HistogramEditor& histogramEditor() { return gEditor; }

PF_Err HistogramEditor::handleEvent(PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, PF_EventExtra*) {
    return PF_Err_NONE;
}

}  // namespace Ombrix::Levels
