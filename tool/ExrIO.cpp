#include "tool/ExrIO.h"

#include <cstdio>

#include "tool/ToolCommon.h"

#if defined(ZANTH_HAVE_OPENEXR)
#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfIO.h>
#include <ImfInputPart.h>
#include <ImfMultiPartInputFile.h>
#include <ImfOutputFile.h>
#include <ImfPartType.h>
#endif

#include <cstdio>
#include <cstring>
#include <new>
#include <set>
#include <stdexcept>

#include "tool/ExrStructure.h"
#include "tool/OutputFile.h"
#include "tool/PngIO.h"
#include "tool/ToolCommon.h"

namespace zanth {
#if defined(ZANTH_HAVE_OPENEXR)
namespace {

// The encoded file, in memory, until it is complete.
class MemoryOutput : public Imf::OStream {
public:
    MemoryOutput() : Imf::OStream("memory") {}
    void write(const char c[], int n) override {
        const size_t end = at_ + static_cast<size_t>(n);
        if (bytes_.size() < end) bytes_.resize(end);
        std::memcpy(bytes_.data() + at_, c, static_cast<size_t>(n));
        at_ = end;
    }
    uint64_t tellp() override { return at_; }
    void seekp(uint64_t pos) override { at_ = static_cast<size_t>(pos); }
    const std::vector<char>& bytes() const { return bytes_; }

private:
    std::vector<char> bytes_;
    size_t at_ = 0;
};

}  // namespace

#endif

bool isExrFile(const std::string& path) {
    unsigned char magic[4] = {0, 0, 0, 0};
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    const size_t n = std::fread(magic, 1, sizeof(magic), file);
    std::fclose(file);
    return n == 4 && magic[0] == 0x76 && magic[1] == 0x2f && magic[2] == 0x31 && magic[3] == 0x01;
}

std::string ExrLayout::description() const {
    return "the channels " + channels + (part.empty() ? std::string() : " of " + part);
}

#if defined(ZANTH_HAVE_OPENEXR)
namespace {

// The encoded file, straight into a temporary output file that can be
// written anywhere again (OpenEXR writes its chunk table last).
class FileOutput : public Imf::OStream {
public:
    explicit FileOutput(OutputFile& file) : Imf::OStream("output"), file_(file) {}
    void write(const char c[], int n) override {
        file_.write(c, static_cast<size_t>(n));
        at_ += static_cast<uint64_t>(n);
    }
    uint64_t tellp() override { return at_; }
    void seekp(uint64_t pos) override {
        file_.seek(pos);
        at_ = pos;
    }

private:
    OutputFile& file_;
    uint64_t at_ = 0;
};

// The channels chosen from a file.
struct Choice {
    int part = -1;
    std::string prefix;  // "" or "layer."
    bool luminance = false;
};

bool isDeep(const Imf::Header& header) {
    return header.hasType() && (header.type() == Imf::DEEPSCANLINE || header.type() == Imf::DEEPTILE);
}

Choice chooseChannels(const Imf::MultiPartInputFile& file, const std::string& path) {
    std::string present;
    for (int i = 0; i < file.parts(); ++i) {
        const Imf::Header& header = file.header(i);
        const Imf::ChannelList& channels = header.channels();
        for (Imf::ChannelList::ConstIterator c = channels.begin(); c != channels.end(); ++c) {
            present += (present.empty() ? "" : ", ") + std::string(c.name());
        }
        if (isDeep(header)) continue;
        const auto has = [&](const std::string& name) { return channels.findChannel(name) != nullptr; };
        if (has("R") || has("G") || has("B")) return Choice{i, "", false};
        std::set<std::string> layers;
        channels.layers(layers);
        for (const std::string& layer : layers) {
            const std::string prefix = layer + ".";
            if (has(prefix + "R") || has(prefix + "G") || has(prefix + "B")) return Choice{i, prefix, false};
        }
        if (has("Y")) {
            // Luminance with chroma (RY, BY) is colour: read as grey it would lose it.
            if (has("RY") || has("BY")) {
                throw UsageError(path + " holds luminance and chroma channels (Y, RY, BY), which are not read");
            }
            return Choice{i, "", true};
        }
    }
    throw UsageError(path + " has no colour channels to render (R, G, B, a layer's R, G, B, or Y); it has " +
                     (present.empty() ? std::string("no channels") : present));
}

void copyBox(const Imath::Box2i& box, int out[4]) {
    out[0] = box.min.x;
    out[1] = box.min.y;
    out[2] = box.max.x;
    out[3] = box.max.y;
}

// Where pixel (0, 0) of the data window's coordinates would lie: OpenEXR
// addresses a slice's pixels from there.
char* sliceBase(hostsim::World& world, int minX, int minY) {
    return reinterpret_cast<char*>(world.row(0)) -
           (static_cast<ptrdiff_t>(minX) * 16 + static_cast<ptrdiff_t>(minY) * world.rowbytes());
}

// Byte offsets of the channels in the host's float pixel (alpha first).
constexpr size_t kAlphaAt = 0, kRedAt = 4, kGreenAt = 8, kBlueAt = 12;

}  // namespace

hostsim::World readExrWorld(const std::string& path, int rowPadding, ExrLayout& layout) {
    try {
        Imf::MultiPartInputFile file(path.c_str());
        const Choice choice = chooseChannels(file, path);
        const Imf::Header& header = file.header(choice.part);
        const Imath::Box2i window = header.dataWindow();
        const long long width = static_cast<long long>(window.max.x) - window.min.x + 1;
        const long long height = static_cast<long long>(window.max.y) - window.min.y + 1;
        PngSize size;
        size.width = width > 0 && width < (1LL << 31) ? static_cast<uint32_t>(width) : 0;
        size.height = height > 0 && height < (1LL << 31) ? static_cast<uint32_t>(height) : 0;
        checkPictureSize(size, path);
        // Before any memory is given to the picture: every chunk of the part
        // must be there.
        checkExrChunks(path, choice.part);
        const Imf::ChannelList& channels = header.channels();
        struct Wanted {
            std::string name;
            size_t at;
            double fill;
        };
        std::vector<Wanted> wanted;
        if (choice.luminance) {
            wanted.push_back({"Y", kRedAt, 0.0});
        } else {
            wanted.push_back({choice.prefix + "R", kRedAt, 0.0});
            wanted.push_back({choice.prefix + "G", kGreenAt, 0.0});
            wanted.push_back({choice.prefix + "B", kBlueAt, 0.0});
        }
        wanted.push_back({choice.prefix + "A", kAlphaAt, 1.0});
        layout = ExrLayout();
        for (const Wanted& w : wanted) {
            const Imf::Channel* channel = channels.findChannel(w.name);
            if (!channel) continue;
            if (channel->xSampling != 1 || channel->ySampling != 1) {
                throw UsageError(path + ": channel " + w.name + " is stored at less than full resolution, which is not read");
            }
            layout.channels += (layout.channels.empty() ? "" : ", ") + w.name;
        }
        layout.luminance = choice.luminance;
        layout.alpha = channels.findChannel(choice.prefix + "A") != nullptr;
        if (file.parts() > 1) {
            layout.part = "part " + std::to_string(choice.part) +
                          (header.hasName() ? " (\"" + header.name() + "\")" : std::string());
        }
        copyBox(window, layout.dataWindow);
        copyBox(header.displayWindow(), layout.displayWindow);
        layout.pixelAspectRatio = header.pixelAspectRatio();
        layout.screenWindowCenter[0] = header.screenWindowCenter().x;
        layout.screenWindowCenter[1] = header.screenWindowCenter().y;
        layout.screenWindowWidth = header.screenWindowWidth();

        hostsim::World world(static_cast<int>(width), static_cast<int>(height), PF_PixelFormat_ARGB128, rowPadding);
        char* base = sliceBase(world, window.min.x, window.min.y);
        Imf::FrameBuffer frame;
        for (const Wanted& w : wanted) {
            frame.insert(w.name, Imf::Slice(Imf::FLOAT, base + w.at, 16, static_cast<size_t>(world.rowbytes()), 1, 1, w.fill));
        }
        Imf::InputPart part(file, choice.part);
        part.setFrameBuffer(frame);
        part.readPixels(window.min.y, window.max.y);
        if (choice.luminance) {
            for (int y = 0; y < world.height(); ++y) {
                for (int x = 0; x < world.width(); ++x) {
                    PF_PixelFloat& p = world.pixelFloat(x, y);
                    p.green = p.blue = p.red;
                }
            }
        }
        return world;
    } catch (const UsageError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        throw UsageError(path + " is not a readable OpenEXR picture (" + e.what() + ")");
    }
}

FloatImage readExr(const std::string& path) {
    ExrLayout layout;
    hostsim::World world = readExrWorld(path, 0, layout);
    FloatImage image;
    image.width = world.width();
    image.height = world.height();
    image.rgba.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const PF_PixelFloat& p = world.pixelFloat(x, y);
            float* q = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
            q[0] = p.red;
            q[1] = p.green;
            q[2] = p.blue;
            q[3] = p.alpha;
        }
    }
    return image;
}

void writeExrWorld(const std::string& path, const ExrLayout& layout, hostsim::World& world, bool force) {
    // A grey input stays grey unless the render coloured it; its alpha is
    // written when it had one or the render made one.
    bool grey = layout.luminance;
    bool alpha = !layout.luminance || layout.alpha;
    for (int y = 0; y < world.height() && (grey || !alpha); ++y) {
        for (int x = 0; x < world.width(); ++x) {
            const PF_PixelFloat& p = world.pixelFloat(x, y);
            if (std::memcmp(&p.red, &p.green, sizeof(float)) != 0 || std::memcmp(&p.red, &p.blue, sizeof(float)) != 0) {
                grey = false;
            }
            const float one = 1.0f;
            if (std::memcmp(&p.alpha, &one, sizeof(float)) != 0) alpha = true;
        }
    }
    const Imath::Box2i display(Imath::V2i(layout.displayWindow[0], layout.displayWindow[1]),
                               Imath::V2i(layout.displayWindow[2], layout.displayWindow[3]));
    const Imath::Box2i data(Imath::V2i(layout.dataWindow[0], layout.dataWindow[1]),
                            Imath::V2i(layout.dataWindow[2], layout.dataWindow[3]));
    Imf::Header header(display, data, layout.pixelAspectRatio,
                       Imath::V2f(layout.screenWindowCenter[0], layout.screenWindowCenter[1]), layout.screenWindowWidth,
                       Imf::INCREASING_Y, Imf::ZIP_COMPRESSION);
    struct Written {
        const char* name;
        size_t at;
    };
    std::vector<Written> written;
    if (grey) {
        written.push_back({"Y", kRedAt});
    } else {
        written.push_back({"R", kRedAt});
        written.push_back({"G", kGreenAt});
        written.push_back({"B", kBlueAt});
    }
    if (alpha) written.push_back({"A", kAlphaAt});
    for (const Written& w : written) header.channels().insert(w.name, Imf::Channel(Imf::FLOAT));
    Imf::FrameBuffer frame;
    char* base = sliceBase(world, layout.dataWindow[0], layout.dataWindow[1]);
    for (const Written& w : written) {
        frame.insert(w.name, Imf::Slice(Imf::FLOAT, base + w.at, 16, static_cast<size_t>(world.rowbytes())));
    }
    OutputFile out(path, force);
    try {
        if (out.seekable()) {
            FileOutput stream(out);
            {
                Imf::OutputFile file(stream, header);
                file.setFrameBuffer(frame);
                file.writePixels(world.height());
            }
        } else {
            // A pipe or a device cannot be written out of order: the encoded
            // file is made in memory first.
            MemoryOutput memory;
            {
                Imf::OutputFile file(memory, header);
                file.setFrameBuffer(frame);
                file.writePixels(world.height());
            }
            out.write(memory.bytes().data(), memory.bytes().size());
        }
    } catch (const std::runtime_error&) {
        throw;
    } catch (const std::exception& e) {
        throw std::runtime_error("cannot write " + path + ": " + e.what());
    }
    out.commit();
}

void writeExr(const std::string& path, const FloatImage& image, bool force) {
    hostsim::World world(image.width, image.height, PF_PixelFormat_ARGB128);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const float* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
            world.pixelFloat(x, y) = PF_PixelFloat{p[3], p[0], p[1], p[2]};
        }
    }
    ExrLayout layout;
    layout.dataWindow[2] = layout.displayWindow[2] = image.width - 1;
    layout.dataWindow[3] = layout.displayWindow[3] = image.height - 1;
    writeExrWorld(path, layout, world, force);
}

#else
hostsim::World readExrWorld(const std::string& path, int, ExrLayout&) {
    throw UsageError("cannot read " + path + ": this build of the tool has no OpenEXR support");
}
FloatImage readExr(const std::string& path) {
    throw UsageError("cannot read " + path + ": this build of the tool has no OpenEXR support");
}
void writeExrWorld(const std::string& path, const ExrLayout&, hostsim::World&, bool) {
    throw UsageError("cannot write " + path + ": this build of the tool has no OpenEXR support");
}
void writeExr(const std::string& path, const FloatImage&, bool) {
    throw UsageError("cannot write " + path + ": this build of the tool has no OpenEXR support");
}
#endif

}  // namespace zanth
