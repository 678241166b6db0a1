// Host worlds (images) as the simulated host makes them: alpha-first pixels of
// 8, 16 or 32-bit float channels, rows `rowbytes` apart (padded when asked).
#pragma once

#include <cstdint>
#include <vector>

#include "host/ae_effect.h"

namespace hostsim {

class Host;

class World {
public:
    // `rowPadding` extra bytes follow every row; pixels start cleared (all 0).
    World(int width, int height, PF_PixelFormat format = PF_PixelFormat_ARGB32, int rowPadding = 0);
    World(World&& other) noexcept;
    World& operator=(World&& other) noexcept;
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    PF_EffectWorld* def() { return &def_; }
    const PF_EffectWorld* def() const { return &def_; }
    int width() const { return def_.width; }
    int height() const { return def_.height; }
    int rowbytes() const { return def_.rowbytes; }
    PF_PixelFormat format() const { return info_.format; }

    uint8_t* row(int y) { return memory_.data() + static_cast<size_t>(y) * static_cast<size_t>(def_.rowbytes); }
    const uint8_t* row(int y) const {
        return memory_.data() + static_cast<size_t>(y) * static_cast<size_t>(def_.rowbytes);
    }
    PF_Pixel8& pixel8(int x, int y) { return reinterpret_cast<PF_Pixel8*>(row(y))[x]; }
    PF_Pixel16& pixel16(int x, int y) { return reinterpret_cast<PF_Pixel16*>(row(y))[x]; }
    PF_PixelFloat& pixelFloat(int x, int y) { return reinterpret_cast<PF_PixelFloat*>(row(y))[x]; }
    std::vector<uint8_t>& memory() { return memory_; }

    static int bytesPerPixel(PF_PixelFormat format);

    // What the host keeps behind `reserved0` to recognise its own worlds.
    struct Info {
        uint32_t magic;
        PF_PixelFormat format;
    };

private:
    void bind();

    std::vector<uint8_t> memory_;
    Info info_{};
    PF_EffectWorld def_{};
};

// The format of a world the simulated host made, or PF_PixelFormat_INVALID for
// a record it does not know (a forged or disposed world).
PF_PixelFormat worldFormat(const PF_EffectWorld* world);

// "PF World Suite" v2 (new and dispose, counted as
// objects of kind "PF_EffectWorld").
void installWorldServices(Host& host);

}  // namespace hostsim
