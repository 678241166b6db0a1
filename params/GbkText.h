// Byte-string helpers for the host's GBK (code page 936) texts.
#pragma once

#include <cstddef>

namespace Ombrix::Levels {

// Length of the longest prefix of `text` (zero-terminated) that has at most
// `maxBytes` bytes and does not end inside a two-byte GBK character. A lead
// byte is 0x81..0xFE; a lead byte whose trail byte is missing counts as one
// broken character and is dropped at a cut.
size_t gbkPrefixLength(const char* text, size_t maxBytes);

// Copies at most `capacity - 1` bytes of `text` into `dst`, cut on a character
// boundary, and terminates it. `capacity` must be at least 1.
void copyGbkTruncated(char* dst, size_t capacity, const char* text);

}  // namespace Ombrix::Levels
