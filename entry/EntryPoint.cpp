// The module's only export: the host's command dispatch.
#include <new>

#include "adjust/UserChangedParam.h"
#include "entry/Commands.h"
#include "entry/ParamsPresent.h"
#include "entry/ThrownCode.h"
#include "entry/ProcessObjects.h"
#include "host/entry_point.h"
#include "params/ParameterSet.h"
#include "render/RenderCommand.h"
#include "render/SmartRender.h"
#include "ui/EditorInstances.h"

using namespace Ombrix::Levels;

namespace {

PF_Err dispatch(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output,
                void* extra) {
    switch (cmd) {
        case PF_Cmd_ABOUT: return about(in_data, out_data);
        case PF_Cmd_GLOBAL_SETUP: return globalSetup(in_data, out_data);
        case PF_Cmd_GLOBAL_SETDOWN: return globalSetdown(in_data, out_data);
        case PF_Cmd_PARAMS_SETUP: return setupParameters(in_data, out_data, params, output, gNameTable);
        case PF_Cmd_RENDER: {
            if (const PF_Err missing = renderParamsPresent(in_data, params)) return missing;
            return renderCommand(in_data, out_data, params, output, gLevelsPass);
        }
        case PF_Cmd_SMART_PRE_RENDER: return smartPreRender(in_data, static_cast<PF_PreRenderExtra*>(extra));
        case PF_Cmd_SMART_RENDER: return smartRender(in_data, static_cast<PF_SmartRenderExtra*>(extra), gLevelsPass);
        case PF_Cmd_UPDATE_PARAMS_UI: return updateParamsUI(in_data);
        case PF_Cmd_USER_CHANGED_PARAM: {
            if (const PF_Err missing = eventParamsPresent(in_data, params)) return missing;
            return userChangedParam(in_data, params, static_cast<const PF_UserChangedParamExtra*>(extra));
        }
        case PF_Cmd_EVENT: {
            if (const PF_Err missing = eventParamsPresent(in_data, params)) return missing;
            // Each instance's control hit-tests against its own last draw.
            return editorInstances().editorFor(in_data->effect_ref).handleEvent(in_data, out_data, params, output,
                                                                                static_cast<PF_EventExtra*>(extra));
        }
        default: return PF_Err_NONE;  // sequence, frame, dialog and unknown commands
    }
}

}  // namespace

PF_EXPORT PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                                PF_LayerDef* output, void* extra) {
    if (cmd < PF_Cmd_ABOUT || (cmd > PF_Cmd_EVENT && cmd != PF_Cmd_SMART_PRE_RENDER && cmd != PF_Cmd_SMART_RENDER)) {
        return PF_Err_NONE;
    }
    if (!in_data || !out_data) return PF_Err_BAD_CALLBACK_PARAM;
    // Nothing may unwind into the host: a thrown host code, a GL or Drawbot
    // failure or anything else becomes a host error code.
    try {
        return dispatch(cmd, in_data, out_data, params, output, extra);
    } catch (int code) {
        return hostCodeForThrown(code);
    } catch (const std::bad_alloc&) {
        return PF_Err_OUT_OF_MEMORY;
    } catch (...) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
}
