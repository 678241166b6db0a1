#include "tool/PictureWorld.h"

#include <cstdint>
#include <vector>

#include "tool/DeepConversion.h"
#include "tool/OutputFile.h"
#include "tool/PngIO.h"

namespace zanth {
namespace {

PictureWorld readPngWorld(const std::string& path, int rowPadding) {
    PngFileSource file(path);
    const PngLayout layout = readPngLayout(file);
    const bool deep = layout.bitDepth == 16;
    PictureWorld picture{deep ? PictureKind::Png16 : PictureKind::Png8,
                         hostsim::World(static_cast<int>(layout.width), static_cast<int>(layout.height),
                                        deep ? PF_PixelFormat_ARGB64 : PF_PixelFormat_ARGB32, rowPadding),
                         ExrLayout()};
    hostsim::World& world = picture.world;
    std::vector<uint8_t*> rows(static_cast<size_t>(world.height()));
    for (int y = 0; y < world.height(); ++y) rows[static_cast<size_t>(y)] = world.row(y);
    decodePngRows(file, path, layout, rows.data(), PngChannelOrder::Argb);  // the host's channel order
    if (deep) {
        for (int y = 0; y < world.height(); ++y) {
            for (int x = 0; x < world.width(); ++x) {
                PF_Pixel16& p = world.pixel16(x, y);
                p = PF_Pixel16{hostFromPng16(p.alpha), hostFromPng16(p.red), hostFromPng16(p.green), hostFromPng16(p.blue)};
            }
        }
    }
    return picture;
}

void writePngWorld(const std::string& path, hostsim::World& world, bool deep, bool force) {
    OutputFile out(path, force);
    encodePngRows(
        world.width(), world.height(), deep,
        [&](int y, uint8_t* scratch) -> const uint8_t* {
            if (deep) {
                auto* q = reinterpret_cast<uint16_t*>(scratch);
                for (int x = 0; x < world.width(); ++x, q += 4) {
                    const PF_Pixel16& p = world.pixel16(x, y);
                    q[0] = png16FromHost(p.red);
                    q[1] = png16FromHost(p.green);
                    q[2] = png16FromHost(p.blue);
                    q[3] = png16FromHost(p.alpha);
                }
            } else {
                uint8_t* q = scratch;
                for (int x = 0; x < world.width(); ++x, q += 4) {
                    const PF_Pixel8& p = world.pixel8(x, y);
                    q[0] = p.red;
                    q[1] = p.green;
                    q[2] = p.blue;
                    q[3] = p.alpha;
                }
            }
            return scratch;
        },
        [&](const uint8_t* data, size_t size) { out.write(data, size); });
    out.commit();
}

}  // namespace

PictureWorld readPictureWorld(const std::string& path, int rowPadding) {
    if (isExrFile(path)) {
        ExrLayout layout;
        hostsim::World world = readExrWorld(path, rowPadding, layout);
        return PictureWorld{PictureKind::Exr, std::move(world), layout};
    }
    return readPngWorld(path, rowPadding);
}

void writePictureWorld(const std::string& path, const PictureWorld& input, hostsim::World& world, bool force) {
    switch (input.kind) {
        case PictureKind::Exr: writeExrWorld(path, input.exr, world, force); break;
        case PictureKind::Png16: writePngWorld(path, world, true, force); break;
        case PictureKind::Png8: writePngWorld(path, world, false, force); break;
    }
}

}  // namespace zanth
