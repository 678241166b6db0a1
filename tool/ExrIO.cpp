#include "tool/ExrIO.h"

#include <cstdio>

#include "tool/ToolCommon.h"

#if defined(ZANTH_HAVE_OPENEXR)
#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfIO.h>
#include <ImfInputFile.h>
#include <ImfOutputFile.h>
#endif

#include <cstdio>
#include <cstring>
#include <stdexcept>

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

#if defined(ZANTH_HAVE_OPENEXR)
FloatImage readExr(const std::string& path) {
    FloatImage image;
    try {
        Imf::InputFile file(path.c_str());
        const Imath::Box2i window = file.header().dataWindow();
        const long long width = static_cast<long long>(window.max.x) - window.min.x + 1;
        const long long height = static_cast<long long>(window.max.y) - window.min.y + 1;
        PngSize size;
        size.width = width > 0 && width < (1LL << 31) ? static_cast<uint32_t>(width) : 0;
        size.height = height > 0 && height < (1LL << 31) ? static_cast<uint32_t>(height) : 0;
        checkPictureSize(size, path);
        image.width = static_cast<int>(width);
        image.height = static_cast<int>(height);
        image.rgba.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0.0f);
        // Slices addressed as the data window says: pixel (min.x, min.y) is element 0.
        char* base = reinterpret_cast<char*>(image.rgba.data()) -
                     (static_cast<ptrdiff_t>(window.min.x) + static_cast<ptrdiff_t>(window.min.y) * width) * 16;
        Imf::FrameBuffer frame;
        const char* names[4] = {"R", "G", "B", "A"};
        for (int c = 0; c < 4; ++c) {
            frame.insert(names[c], Imf::Slice(Imf::FLOAT, base + c * 4, 16, static_cast<size_t>(width) * 16, 1, 1,
                                              c == 3 ? 1.0 : 0.0));
        }
        file.setFrameBuffer(frame);
        file.readPixels(window.min.y, window.max.y);
    } catch (const UsageError&) {
        throw;
    } catch (const std::exception& e) {
        throw UsageError(path + " is not a readable OpenEXR picture (" + e.what() + ")");
    }
    return image;
}

void writeExr(const std::string& path, const FloatImage& image) {
    MemoryOutput memory;
    {
        Imf::Header header(image.width, image.height);
        header.compression() = Imf::ZIP_COMPRESSION;
        const char* names[4] = {"R", "G", "B", "A"};
        for (const char* name : names) header.channels().insert(name, Imf::Channel(Imf::FLOAT));
        Imf::OutputFile file(memory, header);
        Imf::FrameBuffer frame;
        char* base = reinterpret_cast<char*>(const_cast<float*>(image.rgba.data()));
        for (int c = 0; c < 4; ++c) {
            frame.insert(names[c], Imf::Slice(Imf::FLOAT, base + c * 4, 16, static_cast<size_t>(image.width) * 16));
        }
        file.setFrameBuffer(frame);
        file.writePixels(image.height);
    }
    const std::vector<char>& bytes = memory.bytes();
    writeOutputFile(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

#else
FloatImage readExr(const std::string& path) {
    throw UsageError("cannot read " + path + ": this build of the tool has no OpenEXR support");
}
void writeExr(const std::string& path, const FloatImage&) {
    throw UsageError("cannot write " + path + ": this build of the tool has no OpenEXR support");
}
#endif

}  // namespace zanth
