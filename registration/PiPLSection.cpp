// Places the registration record in an ELF section of its own, where a host can
// read it from the file without running any of the module's code.
#include <cstdint>

#include "registration/ZanthLevelsPiPL.h"

#if !defined(_WIN32)
extern "C" __attribute__((section("zanth_pipl"), used, aligned(4))) const uint16_t kZanthLevelsPiPL[] = {
    ZANTH_PIPL_WORDS};
static_assert(sizeof(kZanthLevelsPiPL) == ZANTH_PIPL_SIZE, "registration record size");
#endif
