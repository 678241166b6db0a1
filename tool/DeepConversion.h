// 16-bit PNG values (0..65535) and the host's 16-bit codes (0..32768, white
// 32768): host = round(png x 32768 / 65535), png = round(host x 65535 / 32768),
// halves rounded up. PNG white is host white and back; every host code
// survives host -> PNG -> host exactly (a PNG value moves a host code by at
// most half a PNG step, a quarter of a host step), while PNG values are
// reduced to the host's 32769 levels.
#pragma once

#include <cstdint>

namespace zanth {

inline uint16_t hostFromPng16(uint16_t png) {
    return static_cast<uint16_t>((static_cast<uint32_t>(png) * 32768u * 2u + 65535u) / (2u * 65535u));
}

inline uint16_t png16FromHost(uint16_t host) {
    const uint32_t code = host > 32768u ? 32768u : host;
    return static_cast<uint16_t>((code * 65535u * 2u + 32768u) / (2u * 32768u));
}

}  // namespace zanth
