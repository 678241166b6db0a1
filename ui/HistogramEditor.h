// The histogram editor of the "Histogram" custom control.
#pragma once

#include "host/ae_event.h"

namespace Ombrix::Levels {

class HistogramEditor {
public:
    virtual ~HistogramEditor() = default;
    PF_Err handleEvent(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output,
                       PF_EventExtra* event_extra);
};

// The process-wide editor, alive from module load to unload.
HistogramEditor& histogramEditor();

}  // namespace Ombrix::Levels
