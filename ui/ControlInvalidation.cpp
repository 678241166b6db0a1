#include "ui/ControlInvalidation.h"

#include <cstdint>
#include <initializer_list>

#include "host/ae_suites.h"
#include "hostaccess/SuiteScope.h"

namespace Ombrix::Levels {

void invalidateControl(const PF_InData* in_data, const PF_EventExtra* event_extra) {
    for (const int32_t version : {kPFAppSuiteVersion6, kPFAppSuiteVersion5}) {
        try {
            SuiteScope<PFAppSuite6> app(in_data, kPFAppSuite, version);
            // Its result changes nothing: the control is drawn again or it is not.
            app->PF_InvalidateRect(event_extra->contextH, &event_extra->effect_win.current_frame);
            return;
        } catch (int code) {
            if (version == kPFAppSuiteVersion5) throw code;
        }
    }
}

}  // namespace Ombrix::Levels
