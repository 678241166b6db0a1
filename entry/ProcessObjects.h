// Process-wide objects owned by the entry point between global set-up and
// set-down. They are reached only from the host's command calls.
#pragma once

namespace Ombrix::Levels {

class NameTable;

// Built at global set-up from the host language, destroyed at set-down.
extern NameTable* gNameTable;

}  // namespace Ombrix::Levels
