#include "params/GbkText.h"

#include <cstring>

namespace Ombrix::Levels {

size_t gbkPrefixLength(const char* text, size_t maxBytes) {
    size_t pos = 0;
    while (text[pos] != '\0') {
        const unsigned char lead = static_cast<unsigned char>(text[pos]);
        size_t width = 1;
        if (lead >= 0x81 && lead <= 0xFE && text[pos + 1] != '\0') width = 2;
        if (pos + width > maxBytes) break;
        pos += width;
    }
    return pos;
}

void copyGbkTruncated(char* dst, size_t capacity, const char* text) {
    const size_t n = gbkPrefixLength(text, capacity - 1);
    std::memcpy(dst, text, n);
    dst[n] = '\0';
}

}  // namespace Ombrix::Levels
