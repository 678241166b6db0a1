#include "ui/EditorDisplay.h"

namespace Ombrix::Levels {

EditorDisplay& editorDisplay() {
    static EditorDisplay display;
    return display;
}

}  // namespace Ombrix::Levels
