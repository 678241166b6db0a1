// GL diagnostics: printf-style text on the process's standard output, flushed
// at once. Nothing goes to the host.
#pragma once

namespace Ombrix::Levels {

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void printMessage(const char* format, ...);

}  // namespace Ombrix::Levels
