#include "hostsim/World.h"

#include <map>
#include <memory>
#include <mutex>

#include "host/ae_suites.h"
#include "hostsim/Host.h"
#include "hostsim/HostError.h"

namespace hostsim {
namespace {

constexpr uint32_t kWorldMagic = 0x574F524C;  // 'WORL'
constexpr int kNewWorldRowAlign = 32;         // worlds the host makes have padded rows

std::mutex gWorldsMutex;
std::map<PF_EffectWorld*, std::unique_ptr<World>>& suiteWorlds() {
    static std::map<PF_EffectWorld*, std::unique_ptr<World>> worlds;
    return worlds;
}

PF_Err AE_CALLBACK newWorld(PF_ProgPtr ref, A_long width, A_long height, PF_Boolean /*clear*/, PF_PixelFormat format,
                            PF_EffectWorld* worldP) {
    Host& host = Host::current();
    if (!worldP || !host.validRef(ref, "PF_NewWorld")) return PF_Err_BAD_CALLBACK_PARAM;
    if (width < 0 || height < 0 || width > 30000 || height > 30000) return PF_Err_BAD_CALLBACK_PARAM;
    if (World::bytesPerPixel(format) == 0) return PF_Err_BAD_CALLBACK_PARAM;
    const int bpp = World::bytesPerPixel(format);
    const int packed = width * bpp;
    const int padding = (packed + kNewWorldRowAlign - 1) / kNewWorldRowAlign * kNewWorldRowAlign - packed + kNewWorldRowAlign;
    auto world = std::make_unique<World>(width, height, format, padding);  // always cleared
    // A world with a side of 0 is made, as a host may make it, but has no
    // pixels; it is still a live world that the effect must dispose of.
    if (width == 0 || height == 0) world->def()->data = nullptr;
    *worldP = *world->def();
    {
        std::lock_guard<std::mutex> lock(gWorldsMutex);
        suiteWorlds()[world->def()] = std::move(world);
    }
    host.objectMade("PF_EffectWorld");
    return PF_Err_NONE;
}

PF_Err AE_CALLBACK disposeWorld(PF_ProgPtr ref, PF_EffectWorld* worldP) {
    Host& host = Host::current();
    if (!worldP || !host.validRef(ref, "PF_DisposeWorld")) return PF_Err_BAD_CALLBACK_PARAM;
    std::unique_ptr<World> owned;
    {
        std::lock_guard<std::mutex> lock(gWorldsMutex);
        for (auto it = suiteWorlds().begin(); it != suiteWorlds().end(); ++it) {
            if (it->first->data == worldP->data && it->first->reserved0 == worldP->reserved0) {
                owned = std::move(it->second);
                suiteWorlds().erase(it);
                break;
            }
        }
    }
    if (!owned) {
        host.violation("PF_DisposeWorld on a world the host did not make (or made and disposed already)");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    host.objectReleased("PF_EffectWorld");
    *worldP = PF_EffectWorld{};
    return PF_Err_NONE;
}

PF_Err AE_CALLBACK getPixelFormat(const PF_EffectWorld* worldP, PF_PixelFormat* formatP) {
    if (!worldP || !formatP) return PF_Err_BAD_CALLBACK_PARAM;
    *formatP = worldFormat(worldP);
    return *formatP == PF_PixelFormat_INVALID ? PF_Err_BAD_CALLBACK_PARAM : PF_Err_NONE;
}

const PF_WorldSuite2 kWorldSuite = {newWorld, disposeWorld, getPixelFormat};

}  // namespace

int World::bytesPerPixel(PF_PixelFormat format) {
    switch (format) {
        case PF_PixelFormat_ARGB32: return 4;
        case PF_PixelFormat_ARGB64: return 8;
        case PF_PixelFormat_ARGB128: return 16;
        default: return 0;
    }
}

World::World(int width, int height, PF_PixelFormat format, int rowPadding) {
    const int bpp = bytesPerPixel(format);
    if (bpp == 0 || width < 0 || height < 0 || rowPadding < 0) throw HostError("bad world description");
    info_ = {kWorldMagic, format};
    def_.width = width;
    def_.height = height;
    def_.rowbytes = width * bpp + rowPadding;
    def_.world_flags = PF_WorldFlag_WRITEABLE | (format != PF_PixelFormat_ARGB32 ? PF_WorldFlag_DEEP : 0);
    def_.extent_hint = {0, 0, width, height};
    def_.pix_aspect_ratio = PF_RationalScale{1, 1};
    memory_.assign(static_cast<size_t>(def_.rowbytes) * static_cast<size_t>(height) + 1, 0);
    bind();
}

World::World(World&& other) noexcept
    : memory_(std::move(other.memory_)), info_(other.info_), def_(other.def_) {
    bind();
    other.def_ = PF_EffectWorld{};
}

World& World::operator=(World&& other) noexcept {
    memory_ = std::move(other.memory_);
    info_ = other.info_;
    def_ = other.def_;
    bind();
    other.def_ = PF_EffectWorld{};
    return *this;
}

void World::bind() {
    def_.reserved0 = &info_;
    def_.data = reinterpret_cast<PF_PixelPtr>(memory_.data());
}

PF_PixelFormat worldFormat(const PF_EffectWorld* world) {
    if (!world || !world->reserved0 || !world->data) return PF_PixelFormat_INVALID;
    const auto* info = static_cast<const World::Info*>(world->reserved0);
    return info->magic == kWorldMagic ? info->format : PF_PixelFormat_INVALID;
}

void installWorldServices(Host& host) {
    host.provideSuite(kPFWorldSuite, kPFWorldSuiteVersion2, &kWorldSuite);
}

}  // namespace hostsim
