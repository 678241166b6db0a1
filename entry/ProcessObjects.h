// Process-wide objects owned by the entry point between global set-up and
// set-down. They are reached only from the host's command calls.
#pragma once

namespace Ombrix::Levels {

class NameTable;
class LevelsPass;

// Built at global set-up from the host language, destroyed at set-down.
extern NameTable* gNameTable;

// Made when the module is loaded (no GL call), destroyed at global set-down
// and made again by a later global set-up.
extern LevelsPass* gLevelsPass;

}  // namespace Ombrix::Levels
