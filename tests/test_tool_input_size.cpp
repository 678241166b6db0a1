// Pictures the effect cannot render are refused from their PNG header, before
// they are decoded or the module is loaded: exit code 2, a message naming the
// size and the limit, and no output file.
#include <gtest/gtest.h>

#include <zlib.h>

#include <string>
#include <vector>

#include "tests/ScratchFolder.h"
#include "tests/ToolRunner.h"
#include "tool/PictureLimits.h"
#include "tool/PngIO.h"
#include "tool/ToolCommon.h"

namespace {

using zanth_test::runTool;
using zanth_test::ScratchFolder;

void putBigEndian(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void putChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    putBigEndian(out, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    putBigEndian(out, static_cast<uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

// A small PNG file whose header claims a width x height RGBA picture, with a
// few bytes of image data: what a damaged or hostile file looks like.
std::vector<uint8_t> claimingPng(uint32_t width, uint32_t height) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    putBigEndian(ihdr, width);
    putBigEndian(ihdr, height);
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    putChunk(png, "IHDR", ihdr);
    putChunk(png, "IDAT", {0x78, 0x9C, 0x63, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01});
    putChunk(png, "IEND", {});
    return png;
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct Size {
    uint32_t width;
    uint32_t height;
};

void PrintTo(const Size& size, std::ostream* out) { *out << size.width << " x " << size.height; }

class RefusedSize : public ::testing::TestWithParam<Size> {};

TEST_P(RefusedSize, TheToolRefusesItAtOnce) {
    ScratchFolder folder("size");
    const Size size = GetParam();
    const std::string in = folder / "claims.png";
    writeBytes(in, claimingPng(size.width, size.height));
    const std::string expected = std::to_string(size.width) + " x " + std::to_string(size.height) + " pixels";
    for (const std::string& command : {"render \"" + in + "\" \"" + (folder / "out.png") + "\"",
                                       "editor \"" + (folder / "out.png") + "\" --input \"" + in + "\""}) {
        const auto r = runTool(command);
        EXPECT_EQ(r.exitCode, 2) << command << "\n" << r.err;
        EXPECT_NE(r.err.find(expected), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("16384 x 16384"), std::string::npos) << r.err;
        EXPECT_EQ(folder.names(), std::vector<std::string>{"claims.png"});
    }
}

INSTANTIATE_TEST_SUITE_P(Tool, RefusedSize,
                         ::testing::Values(Size{29999, 29999}, Size{20000, 20000}, Size{16385, 1}, Size{1, 16385},
                                           Size{0, 5}, Size{7, 0}, Size{0x7FFFFFFF, 1}, Size{0xFFFFFFFF, 0xFFFFFFFF}),
                         [](const ::testing::TestParamInfo<Size>& info) {
                             return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

TEST(PictureSize, TheLargestSideIsRenderedAndOneMoreIsRefused) {
    ScratchFolder folder("size");
    const std::string in = folder / "wide.png";
    zanth::RgbaImage wide;
    wide.width = zanth::kMaxPictureSide;
    wide.height = 2;
    wide.rgba.assign(static_cast<size_t>(wide.width) * 2 * 4, 200);
    zanth::writePng(in, wide);
    const auto r = runTool("render \"" + in + "\" \"" + (folder / "out.png") + "\" --set \"Output White=100\"");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const zanth::RgbaImage out = zanth::readPng(folder / "out.png");
    ASSERT_EQ(out.width, zanth::kMaxPictureSide);
    EXPECT_EQ(out.rgba[static_cast<size_t>(out.width - 1) * 4], 78);  // lrint(200 / 255 * 100)

    wide.width = zanth::kMaxPictureSide + 1;
    wide.rgba.assign(static_cast<size_t>(wide.width) * 2 * 4, 200);
    const std::vector<uint8_t> bytes = zanth::encodePng(wide);
    EXPECT_THROW(zanth::decodePng(bytes.data(), bytes.size(), "wide"), zanth::UsageError);
}

TEST(PictureSize, TheHeaderIsReadOnItsOwn) {
    const std::vector<uint8_t> png = claimingPng(640, 480);
    const zanth::PngSize size = zanth::readPngSize(png.data(), zanth::kPngHeaderSize, "claims");
    EXPECT_EQ(size.width, 640u);
    EXPECT_EQ(size.height, 480u);
    EXPECT_THROW(zanth::readPngSize(png.data(), 20, "short"), zanth::UsageError);
    std::vector<uint8_t> damaged = png;
    damaged[13] = 'X';  // no IHDR chunk first
    EXPECT_THROW(zanth::readPngSize(damaged.data(), damaged.size(), "damaged"), zanth::UsageError);
    EXPECT_NO_THROW(zanth::checkPictureSize({1, 1}, "smallest"));
    EXPECT_NO_THROW(zanth::checkPictureSize({16384, 16384}, "largest"));
}

}  // namespace
