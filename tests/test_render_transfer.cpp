// The pixel transfer at its three depths: a world uploaded into a texture and
// read back into another world comes back exactly, padded rows included, and
// the transfer needs nothing of the host: no suite, no callback.
#include <gtest/gtest.h>

#include <glbinding/gl33core/gl.h>

#include <cstring>
#include <memory>
#include <random>

#include "gl/GlName.h"
#include "hostsim/Host.h"
#include "hostsim/RenderServices.h"
#include "hostsim/World.h"
#include "render/PixelTransfer.h"
#include "tests/GlContextFixture.h"
#include "tests/RenderFixture.h"

namespace {

using namespace Ombrix::Levels;
using namespace gl33core;

struct Depth {
    const char* name;
    PixelFormatCode code;
    PF_PixelFormat world;
};

std::ostream& operator<<(std::ostream& out, const Depth& d) { return out << d.name; }

// Random host pixels in each depth's channel range.
void fillRandom(hostsim::World& world, uint32_t seed) {
    std::mt19937 random(seed);
    for (int y = 0; y < world.height(); ++y) {
        for (int x = 0; x < world.width(); ++x) {
            switch (world.format()) {
                case PF_PixelFormat_ARGB32: {
                    PF_Pixel8& p = world.pixel8(x, y);
                    p = {A_u_char(random()), A_u_char(random()), A_u_char(random()), A_u_char(random())};
                    break;
                }
                case PF_PixelFormat_ARGB64: {
                    PF_Pixel16& p = world.pixel16(x, y);
                    p = {A_u_short(random() % 32769), A_u_short(random() % 32769), A_u_short(random() % 32769),
                         A_u_short(random() % 32769)};
                    break;
                }
                default: {
                    std::uniform_real_distribution<float> value(-0.5f, 1.5f);  // float worlds may hold any value
                    world.pixelFloat(x, y) = {value(random), value(random), value(random), value(random)};
                    break;
                }
            }
        }
    }
}

class Transfer : public zanth_test::GlContextTest, public ::testing::WithParamInterface<Depth> {
protected:
    void SetUp() override {
        zanth_test::GlContextTest::SetUp();
        host = std::make_unique<hostsim::Host>(ZANTH_MODULE_PATH);
    }
    void TearDown() override {
        framebuffer.reset();
        host.reset();
        zanth_test::GlContextTest::TearDown();
    }
    // Uploads `input` and leaves its texture bound for reading as colour attachment 0.
    GlTexture uploadAndAttach(hostsim::World& input, TransferFormat& format) {
        GlTexture texture = uploadWorld(GetParam().code, input.def(), format);
        framebuffer = GlFramebuffer::make();
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer.get());
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture.get(), 0);
        return texture;
    }

    std::unique_ptr<hostsim::Host> host;
    GlFramebuffer framebuffer;
};

TEST_P(Transfer, ARoundTripGivesBackEveryPixel) {
    const int bpp = hostsim::World::bytesPerPixel(GetParam().world);
    // The last padding leaves rows no whole number of pixels apart (but channel-aligned, as any host's are).
    for (int padding : {0, bpp, 3 * bpp, bpp / 4 * 3}) {
        hostsim::World input(37, 11, GetParam().world, padding);
        fillRandom(input, 17u + padding);
        hostsim::World output(37, 11, GetParam().world, 2 * bpp);
        zanth_test::fillBytes(output, 0x5A);
        TransferFormat format;
        GlTexture texture = uploadAndAttach(input, format);
        readBackWorld(37, 11, output.def(), GetParam().code, format);
        for (int y = 0; y < 11; ++y) {
            ASSERT_EQ(std::memcmp(input.row(y), output.row(y), 37 * bpp), 0) << "row " << y << ", padding " << padding;
            for (int b = 37 * bpp; b < output.rowbytes(); ++b) ASSERT_EQ(output.row(y)[b], 0x5A) << "padding";
        }
        EXPECT_HOST_CLEAN(*host);
    }
}

TEST_P(Transfer, TheFormatTellsTheDepth) {
    hostsim::World input(2, 2, GetParam().world);
    TransferFormat format;
    GlTexture texture = uploadAndAttach(input, format);
    const int bpp = hostsim::World::bytesPerPixel(GetParam().world);
    EXPECT_EQ(format.bytesPerPixel, bpp);
    const GLenum expectedType = bpp == 4 ? GL_UNSIGNED_BYTE : bpp == 8 ? GL_UNSIGNED_SHORT : GL_FLOAT;
    EXPECT_EQ(format.pixelType, expectedType);
    const float expectedMultiplier = bpp == 8 ? 65535.0f / 32768.0f : 1.0f;
    EXPECT_EQ(format.multiplier, expectedMultiplier);
    GLint internal = 0;
    glBindTexture(GL_TEXTURE_2D, texture.get());
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
    EXPECT_EQ(internal, static_cast<GLint>(GL_RGBA32F));
}

TEST_P(Transfer, AnOutputOfAnotherSizeGetsOnlyTheOverlap) {
    const int bpp = hostsim::World::bytesPerPixel(GetParam().world);
    hostsim::World input(20, 6, GetParam().world);
    fillRandom(input, 5);
    for (const auto& size : {std::make_pair(25, 9), std::make_pair(7, 3), std::make_pair(25, 2)}) {
        hostsim::World output(size.first, size.second, GetParam().world, bpp);
        zanth_test::fillBytes(output, 0x5A);
        TransferFormat format;
        GlTexture texture = uploadAndAttach(input, format);
        readBackWorld(20, 6, output.def(), GetParam().code, format);
        for (int y = 0; y < output.height(); ++y) {
            for (int b = 0; b < output.rowbytes(); ++b) {
                const bool inside = y < 6 && b < std::min(20, output.width()) * bpp;
                if (inside) {
                    ASSERT_EQ(output.row(y)[b], input.row(y)[b]) << "byte " << b << " of row " << y;
                } else {
                    ASSERT_EQ(output.row(y)[b], 0x5A) << "byte " << b << " of row " << y;
                }
            }
        }
    }
    EXPECT_HOST_CLEAN(*host);
}

TEST_P(Transfer, NeedsNoHostSuiteAndNoHostCallback) {
    // Every suite the transfer ever used is refused and the pixel accessors
    // are gone: the pixels still go through, from the worlds' own rows.
    host->refuseSuite(kPFHandleSuite, kPFHandleSuiteVersion1);
    host->refuseSuite(kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1);
    const int bpp = hostsim::World::bytesPerPixel(GetParam().world);
    hostsim::World input(9, 5, GetParam().world, bpp);
    fillRandom(input, 3);
    hostsim::World output(9, 5, GetParam().world, 2 * bpp);
    TransferFormat format;
    GlTexture texture = uploadAndAttach(input, format);
    readBackWorld(9, 5, output.def(), GetParam().code, format);
    for (int y = 0; y < 5; ++y) ASSERT_EQ(std::memcmp(input.row(y), output.row(y), 9 * bpp), 0) << "row " << y;
    EXPECT_EQ(host->suiteCounts(kPFHandleSuite, kPFHandleSuiteVersion1).acquired, 0);
    EXPECT_EQ(host->suiteCounts(kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1).acquired, 0);
    EXPECT_HOST_CLEAN(*host);
}

TEST_P(Transfer, RowsNoWholeNumberOfPixelsApartGoThroughTheScratchRows) {
    const int bpp = hostsim::World::bytesPerPixel(GetParam().world);
    const int padding = bpp / 2;  // channel-aligned, as any host's rows are
    hostsim::World input(13, 6, GetParam().world, padding);
    fillRandom(input, 11);
    hostsim::World output(13, 6, GetParam().world, padding);
    zanth_test::fillBytes(output, 0x5A);
    TransferFormat format;
    GlTexture texture = uploadAndAttach(input, format);
    TransferScratch scratch;
    readBackWorld(13, 6, output.def(), GetParam().code, format, scratch);
    for (int y = 0; y < 6; ++y) {
        ASSERT_EQ(std::memcmp(input.row(y), output.row(y), 13 * bpp), 0) << "row " << y;
        for (int b = 13 * bpp; b < output.rowbytes(); ++b) ASSERT_EQ(output.row(y)[b], 0x5A) << "padding";
    }
    EXPECT_EQ(scratch.size(), static_cast<size_t>(13 * 6 * bpp));
}

INSTANTIATE_TEST_SUITE_P(Render, Transfer,
                         ::testing::Values(Depth{"Eight", kPixelFormat8, PF_PixelFormat_ARGB32},
                                           Depth{"Sixteen", kPixelFormat16, PF_PixelFormat_ARGB64},
                                           Depth{"Float", kPixelFormat32, PF_PixelFormat_ARGB128}),
                         [](const ::testing::TestParamInfo<Depth>& info) { return info.param.name; });

TEST(TransferCodes, AnUnknownPixelFormatIsRefused) {
    hostsim::Host host(ZANTH_MODULE_PATH);
    hostsim::World world(2, 2);
    TransferFormat format;
    try {
        uploadWorld(static_cast<PixelFormatCode>(PF_PixelFormat_INVALID), world.def(), format);
        FAIL() << "no code thrown";
    } catch (int code) {
        EXPECT_EQ(code, PF_Err_BAD_CALLBACK_PARAM);
    }
    EXPECT_HOST_CLEAN(host);
}

}  // namespace
