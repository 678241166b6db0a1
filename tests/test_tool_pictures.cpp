// The pictures zanth-levels reads: every kind the render command takes also
// as the editor's input, damaged or cut-short files refused before memory is
// given to them, a render holding no more than its input and output frames,
// OpenEXR files without plain R, G, B, and the 16-bit PNG conversion's rounding.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/ScratchFolder.h"
#include "tests/ToolRunner.h"
#include "tool/DeepConversion.h"
#include "tool/ExrIO.h"
#include "tool/PngIO.h"
#include "tool/TestPicture.h"
#include "tool/ToolCommon.h"

#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#if defined(ZANTH_HAVE_OPENEXR)
#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>
#include <ImfMultiPartOutputFile.h>
#include <ImfOutputFile.h>
#include <ImfOutputPart.h>
#include <ImfPartType.h>
#endif

namespace {

using zanth_test::runTool;
using zanth_test::ScratchFolder;
using zanth_test::slurp;

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// The exact conversions, in double: host = round(png x 32768 / 65535),
// png = round(host x 65535 / 32768), halves up. Every value is a multiple of
// a power-of-two fraction far above double's resolution, so floor(x + 0.5)
// is exact.
TEST(DeepConversion, RoundsBothWaysAtEveryValue) {
    for (uint32_t host = 0; host <= 32768; ++host) {
        const double png = std::floor(host * 65535.0 / 32768.0 + 0.5);
        ASSERT_EQ(zanth::png16FromHost(static_cast<uint16_t>(host)), png) << "host code " << host;
        ASSERT_EQ(zanth::hostFromPng16(static_cast<uint16_t>(png)), host) << "host code " << host;
    }
    for (uint32_t png = 0; png <= 65535; ++png) {
        const double host = std::floor(png * 32768.0 / 65535.0 + 0.5);
        ASSERT_EQ(zanth::hostFromPng16(static_cast<uint16_t>(png)), host) << "PNG value " << png;
    }
    EXPECT_EQ(zanth::png16FromHost(40000), 65535) << "codes above white are white";
}

// The editor takes the pictures render takes, at their depth.
TEST(EditorInput, SixteenBitAndFloatPicturesAreTheLayer) {
    ScratchFolder folder("editor-input");
    const std::string deep = folder / "deep.png";
    const std::string flat = folder / "flat.png";
    const std::string exr = folder / "picture.exr";
    ASSERT_EQ(runTool("testpicture " + quoted(deep) + " --depth 16 --size 64x20").exitCode, 0);
    ASSERT_EQ(runTool("testpicture " + quoted(flat) + " --size 64x20").exitCode, 0);
    std::vector<std::string> inputs = {deep, flat};
#if defined(ZANTH_HAVE_OPENEXR)
    ASSERT_EQ(runTool("testpicture " + quoted(exr) + " --depth 32 --size 64x20").exitCode, 0);
    inputs.push_back(exr);
#endif
    for (const std::string& input : inputs) {
        const std::string out = folder / "editor.png";
        const auto r = runTool("editor " + quoted(out) + " --input " + quoted(input) + " --force");
#if defined(ZANTH_DRAWBOT_RASTER)
        ASSERT_EQ(r.exitCode, 0) << input << ": " << r.err;
        EXPECT_NE(r.out.find("display=colour"), std::string::npos) << r.out;
        EXPECT_EQ(zanth::readPng(out).width, 300);
#else
        // This build's simulator draws no pixels: the picture is still read,
        // rendered and drawn, and the tool says why it writes no file.
        EXPECT_EQ(r.exitCode, 1) << input << ": " << r.err;
        EXPECT_NE(r.err.find("draws no pixels"), std::string::npos) << r.err;
#endif
    }
}

// ---- damaged files -------------------------------------------------------------------

uint32_t crc(const std::string& bytes) {
    uint32_t c = 0xffffffffu;
    for (unsigned char b : bytes) {
        c ^= b;
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xedb88320u & (0u - (c & 1u)));
    }
    return c ^ 0xffffffffu;
}

std::string bigEndian(uint32_t v) {
    return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                       static_cast<char>(v)};
}

std::string chunk(const std::string& type, const std::string& data) {
    return bigEndian(static_cast<uint32_t>(data.size())) + type + data + bigEndian(crc(type + data));
}

// A PNG whose header claims width x height (8-bit RGBA) and whose image data
// is one small, complete zlib stream of 4 zero bytes.
std::string claimingPng(uint32_t width, uint32_t height, int depth) {
    std::string ihdr = bigEndian(width) + bigEndian(height);
    ihdr += static_cast<char>(depth);
    ihdr += std::string("\x06\x00\x00\x00", 4);
    const std::string zlibOfFourZeros("\x78\x9c\x63\x60\x60\x60\x00\x00\x00\x04\x00\x01", 12);
    return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) + chunk("IDAT", zlibOfFourZeros) +
           chunk("IEND", "");
}

#if !defined(_WIN32)
// Runs the tool as runTool does, from a child process of its own, and gives
// its result with the tool's peak resident size in bytes (the largest that
// the child waited for: the shell's and the tool's).
struct MeasuredRun {
    zanth_test::ToolResult result;
    long long peakBytes = 0;
};
MeasuredRun measuredRun(const std::string& args) {
    const std::string report = ::testing::TempDir() + "zanth-peak-" + std::to_string(getpid());
    const pid_t child = fork();
    if (child == 0) {
        const zanth_test::ToolResult r = runTool(args);
        struct rusage usage;
        getrusage(RUSAGE_CHILDREN, &usage);
        std::ofstream out(report, std::ios::binary);
        out << r.exitCode << " " << usage.ru_maxrss << "\n" << r.err;
        out.close();
        _exit(0);
    }
    MeasuredRun run;
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return run;
    std::ifstream in(report, std::ios::binary);
    long long kilobytes = 0;
    in >> run.result.exitCode >> kilobytes;
    in.get();
    std::ostringstream err;
    err << in.rdbuf();
    run.result.err = err.str();
    run.peakBytes = kilobytes * 1024;
    std::remove(report.c_str());
    return run;
}
#endif

// A file that claims a large picture but holds little is refused from its
// structure, before memory is given to the picture (16384 x 16384 would be
// 1 GiB at 8 bits, 2 GiB at 16).
TEST(DamagedPictures, AreRefusedBeforeTheirPicturesMemory) {
    ScratchFolder folder("damaged");
    struct Case {
        std::string name;
        std::string bytes;
        std::string says;
    };
    std::vector<Case> cases = {
        {"claims.png", claimingPng(16384, 16384, 8), "ends before the last row"},
        {"claims16.png", claimingPng(16384, 16384, 16), "ends before the last row"},
    };
    zanth::RgbaImage picture = zanth::generateTestPicture(300, 200);
    const std::vector<uint8_t> good = zanth::encodePng(picture);
    const std::string whole(good.begin(), good.end());
    cases.push_back({"cut.png", whole.substr(0, whole.size() / 2), "ends early"});
    std::string damaged = whole;
    const size_t idat = whole.find("IDAT");
    const size_t length = (static_cast<size_t>(static_cast<unsigned char>(whole[idat - 4])) << 24) |
                          (static_cast<size_t>(static_cast<unsigned char>(whole[idat - 3])) << 16) |
                          (static_cast<size_t>(static_cast<unsigned char>(whole[idat - 2])) << 8) |
                          static_cast<unsigned char>(whole[idat - 1]);
    damaged[idat + 4 + length] ^= 0x55;  // the image data's CRC
    cases.push_back({"crc.png", damaged, "CRC"});
    damaged = whole;
    damaged[idat + 4 + length / 2] ^= 0x55;  // inside the image data: it no longer inflates, or its CRC fails
    cases.push_back({"data.png", damaged, "is not a readable PNG picture"});
#if !defined(_WIN32)
    // What refusing a file costs the tool at all (its libraries; more under a sanitizer).
    writeBytes(folder / "small.png", claimingPng(16, 16, 8));
    const long long base = measuredRun("render " + quoted(folder / "small.png") + " " + quoted(folder / "out.png")).peakBytes;
#endif
    for (const Case& c : cases) {
        writeBytes(folder / c.name, c.bytes);
        const std::string args = "render " + quoted(folder / c.name) + " " + quoted(folder / "out.png");
#if !defined(_WIN32)
        const MeasuredRun run = measuredRun(args);
        const zanth_test::ToolResult& r = run.result;
        EXPECT_LT(run.peakBytes, base + (64LL << 20)) << c.name << ": a refused file took the memory of its picture";
#else
        const zanth_test::ToolResult r = runTool(args);
#endif
        EXPECT_EQ(r.exitCode, 2) << c.name << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.name << ": " << r.err;
        EXPECT_THROW(zanth::decodePng(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size(), c.name),
                     zanth::UsageError)
            << c.name;
    }
}

#if defined(ZANTH_HAVE_OPENEXR) && !defined(_WIN32)
TEST(DamagedPictures, ACutOpenExrFileIsRefusedBeforeItsPicturesMemory) {
    ScratchFolder folder("damaged-exr");
    const std::string whole = folder / "whole.exr";
    zanth::writeExr(whole, zanth::generateFloatTestPicture(2048, 2048));  // here: no child's memory
    const std::string bytes = slurp(whole);
    // What refusing a file costs the tool at all (its libraries; more under a sanitizer).
    const std::string small = folder / "small.exr";
    zanth::writeExr(small, zanth::generateFloatTestPicture(16, 16));
    const std::string smallBytes = slurp(small);
    writeBytes(small, smallBytes.substr(0, smallBytes.size() / 2));
    const long long base = measuredRun("render " + quoted(small) + " " + quoted(folder / "out.exr")).peakBytes;
    for (const size_t keep : {bytes.size() / 2, static_cast<size_t>(20000)}) {
        writeBytes(folder / "cut.exr", bytes.substr(0, keep));
        const MeasuredRun run = measuredRun("render " + quoted(folder / "cut.exr") + " " + quoted(folder / "out.exr"));
        EXPECT_EQ(run.result.exitCode, 2) << keep << ": " << run.result.err;
        EXPECT_NE(run.result.err.find("ends early"), std::string::npos) << run.result.err;
        // The whole picture would be 64 MiB in the host's float world.
        EXPECT_LT(run.peakBytes, base + (32LL << 20)) << keep << ": a refused file took the memory of its picture";
    }
    EXPECT_FALSE(std::ifstream(folder / "out.exr").good());
}
#endif

#if !defined(_WIN32)
// A render holds the input and the output frame and little else: decoding
// and encoding go row by row (PNG) or chunk by chunk (OpenEXR) between the
// files and the host's worlds. Measured as the tool's peak resident size
// over that of a render of a tiny picture (the libraries, the effect).
TEST(RenderMemory, IsTwoFramesBesideTheDecodersRows) {
    ScratchFolder folder("memory");
    setenv("ZANTH_LEVELS_RENDERER", "cpu", 1);  // no GL driver's memory in the figures
    struct Case {
        std::string name;
        std::string depth;
        long long frameBytes;
    };
    std::vector<Case> cases = {{"deep.png", "16", 2048LL * 2048 * 8}};
#if defined(ZANTH_HAVE_OPENEXR)
    cases.push_back({"float.exr", "32", 1536LL * 1536 * 16});
#endif
    for (const Case& c : cases) {
        const std::string extension = c.name.substr(c.name.find('.'));
        const std::string tiny = folder / ("tiny" + extension);
        const std::string big = folder / c.name;
        // Written here, so that no child's memory but the renders' is counted.
        if (c.depth == "16") {
            zanth::writePng(tiny, zanth::generateTestPicture16(8, 8));
            zanth::writePng(big, zanth::generateTestPicture16(2048, 2048));
        } else {
            zanth::writeExr(tiny, zanth::generateFloatTestPicture(8, 8));
            zanth::writeExr(big, zanth::generateFloatTestPicture(1536, 1536));
        }
        const MeasuredRun small = measuredRun("render " + quoted(tiny) + " " + quoted(folder / ("tiny-out" + extension)));
        ASSERT_EQ(small.result.exitCode, 0) << small.result.err;
        const long long base = small.peakBytes;
        const MeasuredRun large = measuredRun("render " + quoted(big) + " " + quoted(folder / ("out" + extension)));
        ASSERT_EQ(large.result.exitCode, 0) << large.result.err;
        const long long peak = large.peakBytes;
        EXPECT_LT(peak, base + 2 * c.frameBytes + c.frameBytes / 2)
            << c.name << ": peak " << (peak >> 20) << " MiB, base " << (base >> 20) << " MiB, frame "
            << (c.frameBytes >> 20) << " MiB";
    }
    unsetenv("ZANTH_LEVELS_RENDERER");
}
#endif

// ---- OpenEXR channels ------------------------------------------------------------------
#if defined(ZANTH_HAVE_OPENEXR)

struct Channel {
    std::string name;
    std::vector<float> values;
};

// A file of FLOAT channels over the data window (x0, y0) .. (x0 + w - 1, y0 + h - 1).
void writeChannels(const std::string& path, int x0, int y0, int w, int h, std::vector<Channel>& channels) {
    const Imath::Box2i data(Imath::V2i(x0, y0), Imath::V2i(x0 + w - 1, y0 + h - 1));
    const Imath::Box2i display(Imath::V2i(0, 0), Imath::V2i(x0 + w + 3, y0 + h + 5));
    Imf::Header header(display, data);
    for (const Channel& c : channels) header.channels().insert(c.name, Imf::Channel(Imf::FLOAT));
    Imf::OutputFile file(path.c_str(), header);
    Imf::FrameBuffer frame;
    for (Channel& c : channels) {
        char* base = reinterpret_cast<char*>(c.values.data()) - (static_cast<ptrdiff_t>(x0) + static_cast<ptrdiff_t>(y0) * w) * 4;
        frame.insert(c.name, Imf::Slice(Imf::FLOAT, base, 4, static_cast<size_t>(w) * 4));
    }
    file.setFrameBuffer(frame);
    file.writePixels(h);
}

std::vector<float> ramp(int n, float from, float step) {
    std::vector<float> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) v[static_cast<size_t>(i)] = from + step * static_cast<float>(i);
    return v;
}

std::vector<std::string> channelNames(const std::string& path) {
    Imf::InputFile file(path.c_str());
    std::vector<std::string> names;
    for (auto c = file.header().channels().begin(); c != file.header().channels().end(); ++c) names.push_back(c.name());
    return names;
}

// The channels of a Y file as a render with defaults and clips off gives
// them back: the values as they were.
TEST(ExrChannels, ALuminanceFileIsRenderedAsGreyAndWrittenBackAsItCame) {
    ScratchFolder folder("exr-y");
    const int w = 7, h = 3;
    for (const bool alpha : {false, true}) {
        std::vector<Channel> channels = {{"Y", ramp(w * h, -0.25f, 0.125f)}};
        if (alpha) channels.push_back({"A", ramp(w * h, 0.0f, 0.05f)});
        const std::string in = folder / "y.exr";
        const std::string out = folder / "out.exr";
        writeChannels(in, 5, -2, w, h, channels);
        const auto r = runTool("render " + quoted(in) + " " + quoted(out) +
                               " --force --set \"Clip To Output Black=0\" --set \"Clip To Output White=0\" --verbose");
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.err.find("the channels Y"), std::string::npos) << r.err;
        EXPECT_EQ(channelNames(out), alpha ? (std::vector<std::string>{"A", "Y"}) : std::vector<std::string>{"Y"});
        Imf::InputFile file(out.c_str());
        EXPECT_EQ(file.header().dataWindow(), Imath::Box2i(Imath::V2i(5, -2), Imath::V2i(5 + w - 1, -2 + h - 1)));
        EXPECT_EQ(file.header().displayWindow(), Imath::Box2i(Imath::V2i(0, 0), Imath::V2i(5 + w + 3, -2 + h + 5)));
        const zanth::FloatImage read = zanth::readExr(in);
        const zanth::FloatImage rendered = zanth::readExr(out);
        ASSERT_EQ(rendered.rgba.size(), static_cast<size_t>(w * h * 4));
        for (int i = 0; i < w * h; ++i) {
            const float y = channels[0].values[static_cast<size_t>(i)];
            EXPECT_EQ(read.rgba[static_cast<size_t>(i) * 4 + 0], y);
            EXPECT_EQ(read.rgba[static_cast<size_t>(i) * 4 + 1], y);
            EXPECT_EQ(read.rgba[static_cast<size_t>(i) * 4 + 2], y);
            EXPECT_NEAR(rendered.rgba[static_cast<size_t>(i) * 4 + 1], y, 1e-6f) << i;
        }
        // A render that colours the grey writes the colour.
        const auto coloured = runTool("render " + quoted(in) + " " + quoted(out) + " --force --set \"Red Gamma=2\"");
        ASSERT_EQ(coloured.exitCode, 0) << coloured.err;
        const std::vector<std::string> names = channelNames(out);
        EXPECT_NE(std::find(names.begin(), names.end(), "R"), names.end());
    }
}

// Layer-prefixed channels and a multi-part file whose first part has no
// colour: the first layer or part that has them is rendered, and --verbose
// says which. A file with no colour at all is refused with its channels named.
TEST(ExrChannels, LayersAndPartsGiveTheirColourAndAFileWithoutIsRefused) {
    ScratchFolder folder("exr-layers");
    const int w = 4, h = 2;
    std::vector<Channel> layered = {{"depth.Z", ramp(w * h, 9.0f, 1.0f)},
                                    {"diffuse.R", ramp(w * h, 0.1f, 0.1f)},
                                    {"diffuse.G", ramp(w * h, 0.2f, 0.1f)},
                                    {"diffuse.B", ramp(w * h, 0.3f, 0.1f)},
                                    {"diffuse.A", ramp(w * h, 1.0f, 0.0f)}};
    writeChannels(folder / "layered.exr", 0, 0, w, h, layered);
    auto r = runTool("render " + quoted(folder / "layered.exr") + " " + quoted(folder / "out.exr") + " --verbose");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("diffuse.R, diffuse.G, diffuse.B, diffuse.A"), std::string::npos) << r.err;
    zanth::FloatImage out = zanth::readExr(folder / "out.exr");
    EXPECT_NEAR(out.rgba[4 * 3 + 0], 0.4f, 1e-6f);
    EXPECT_NEAR(out.rgba[4 * 3 + 2], 0.6f, 1e-6f);

    // Two parts: depth only, then colour.
    {
        const Imath::Box2i window(Imath::V2i(0, 0), Imath::V2i(w - 1, h - 1));
        Imf::Header first(window, window);
        first.setName("depth");
        first.setType(Imf::SCANLINEIMAGE);
        first.channels().insert("Z", Imf::Channel(Imf::FLOAT));
        Imf::Header second(window, window);
        second.setName("beauty");
        second.setType(Imf::SCANLINEIMAGE);
        for (const char* c : {"R", "G", "B"}) second.channels().insert(c, Imf::Channel(Imf::FLOAT));
        const std::vector<Imf::Header> headers = {first, second};
        Imf::MultiPartOutputFile file((folder / "parts.exr").c_str(), headers.data(), 2);
        std::vector<float> z = ramp(w * h, 5.0f, 1.0f), red = ramp(w * h, 0.5f, 0.0f), green = ramp(w * h, 0.25f, 0.0f),
                           blue = ramp(w * h, 0.125f, 0.0f);
        Imf::OutputPart zPart(file, 0);
        Imf::FrameBuffer zFrame;
        zFrame.insert("Z", Imf::Slice(Imf::FLOAT, reinterpret_cast<char*>(z.data()), 4, w * 4));
        zPart.setFrameBuffer(zFrame);
        zPart.writePixels(h);
        Imf::OutputPart colour(file, 1);
        Imf::FrameBuffer colourFrame;
        colourFrame.insert("R", Imf::Slice(Imf::FLOAT, reinterpret_cast<char*>(red.data()), 4, w * 4));
        colourFrame.insert("G", Imf::Slice(Imf::FLOAT, reinterpret_cast<char*>(green.data()), 4, w * 4));
        colourFrame.insert("B", Imf::Slice(Imf::FLOAT, reinterpret_cast<char*>(blue.data()), 4, w * 4));
        colour.setFrameBuffer(colourFrame);
        colour.writePixels(h);
    }
    r = runTool("render " + quoted(folder / "parts.exr") + " " + quoted(folder / "out.exr") + " --force --verbose");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("part 1 (\"beauty\")"), std::string::npos) << r.err;
    out = zanth::readExr(folder / "out.exr");
    EXPECT_NEAR(out.rgba[0], 0.5f, 1e-6f);
    EXPECT_NEAR(out.rgba[1], 0.25f, 1e-6f);
    EXPECT_NEAR(out.rgba[2], 0.125f, 1e-6f);
    EXPECT_NEAR(out.rgba[3], 1.0f, 1e-6f);

    std::vector<Channel> none = {{"Z", ramp(w * h, 1.0f, 1.0f)}, {"velocity.X", ramp(w * h, 0.0f, 1.0f)}};
    writeChannels(folder / "none.exr", 0, 0, w, h, none);
    r = runTool("render " + quoted(folder / "none.exr") + " " + quoted(folder / "none-out.exr"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("it has Z, velocity.X"), std::string::npos) << r.err;
    EXPECT_FALSE(std::ifstream(folder / "none-out.exr").good());

    // Luminance with chroma is colour: refused rather than rendered grey.
    std::vector<Channel> chroma = {{"BY", ramp(w * h, 0.0f, 0.1f)}, {"RY", ramp(w * h, 0.0f, 0.1f)},
                                   {"Y", ramp(w * h, 0.5f, 0.0f)}};
    writeChannels(folder / "chroma.exr", 0, 0, w, h, chroma);
    r = runTool("render " + quoted(folder / "chroma.exr") + " " + quoted(folder / "chroma-out.exr"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("luminance and chroma"), std::string::npos) << r.err;
}

#endif  // ZANTH_HAVE_OPENEXR

}  // namespace
