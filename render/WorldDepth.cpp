#include "render/WorldDepth.h"

#include <cstdint>
#include <cstdlib>

#include "host/ae_suites.h"

namespace Ombrix::Levels {
namespace {

[[noreturn]] void refuse() { throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM); }

// The host's answer, or PF_PixelFormat_INVALID when it gives none. The suite
// is acquired and released here without throwing: a host without it still
// renders by the world's flags.
PF_PixelFormat askHost(const PF_InData* in_data, const PF_EffectWorld& world) {
    const SPBasicSuite* basic = in_data ? in_data->pica_basicP : nullptr;
    if (!basic) return PF_PixelFormat_INVALID;
    const void* table = nullptr;
    if (basic->AcquireSuite(kPFWorldSuite, kPFWorldSuiteVersion2, &table) != 0) return PF_PixelFormat_INVALID;
    PF_PixelFormat format = PF_PixelFormat_INVALID;
    if (table) {
        const auto* suite = static_cast<const PF_WorldSuite2*>(table);
        if (!suite->PF_GetPixelFormat || suite->PF_GetPixelFormat(&world, &format) != PF_Err_NONE) {
            format = PF_PixelFormat_INVALID;
        }
    }
    basic->ReleaseSuite(kPFWorldSuite, kPFWorldSuiteVersion2);
    return format;
}

}  // namespace

int bytesPerPixel(PixelFormatCode depth) {
    switch (depth) {
        case kPixelFormat8: return 4;
        case kPixelFormat16: return 8;
        case kPixelFormat32: return 16;
    }
    refuse();
}

PixelFormatCode worldDepth(const PF_InData* in_data, const PF_EffectWorld& world, PixelFormatCode deepDepth) {
    PixelFormatCode depth;
    switch (askHost(in_data, world)) {
        case PF_PixelFormat_ARGB32: depth = kPixelFormat8; break;
        case PF_PixelFormat_ARGB64: depth = kPixelFormat16; break;
        case PF_PixelFormat_ARGB128: depth = kPixelFormat32; break;
        default: depth = (world.world_flags & PF_WorldFlag_DEEP) ? deepDepth : kPixelFormat8; break;
    }
    if (world.width < 0 || world.height < 0) refuse();
    const long long rowbytes = std::llabs(static_cast<long long>(world.rowbytes));
    if (world.height > 0 && rowbytes < static_cast<long long>(world.width) * bytesPerPixel(depth)) refuse();
    // Deep channels are read in place as 16-bit integers or floats: their
    // pixels and rows must start at a whole channel. A host never hands out
    // anything else; a forged world is refused rather than read misaligned.
    const int channelBytes = bytesPerPixel(depth) / 4;
    if (reinterpret_cast<uintptr_t>(world.data) % channelBytes != 0 || rowbytes % channelBytes != 0) refuse();
    return depth;
}

PixelFormatCode frameDepth(const PF_InData* in_data, const PF_EffectWorld& input, const PF_EffectWorld& output,
                           const PixelFormatCode* expected) {
    const PixelFormatCode deep = expected ? *expected : kPixelFormat16;
    const PixelFormatCode in = worldDepth(in_data, input, deep);
    const PixelFormatCode out = worldDepth(in_data, output, deep);
    if (in != out) refuse();  // the host never hands different depths: a forged call
    if (expected ? in != *expected : in == kPixelFormat32) refuse();
    return in;
}

}  // namespace Ombrix::Levels
