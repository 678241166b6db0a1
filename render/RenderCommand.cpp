#include "render/RenderCommand.h"

namespace Ombrix::Levels {

PF_Err renderCommand(PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*) { return PF_Err_NONE; }

}  // namespace Ombrix::Levels
