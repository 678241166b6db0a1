#include "gl/PrintMessage.h"

#include <cstdarg>
#include <cstdio>

namespace Ombrix::Levels {

void printMessage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
    std::fflush(stdout);
}

}  // namespace Ombrix::Levels
