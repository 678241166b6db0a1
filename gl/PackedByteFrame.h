// GPU storage for a frame of 8-bit pixels kept in packed form: each host
// pixel (4 bytes) is one 32-bit unsigned integer, as it lies in memory, so a
// pass can treat a pixel's bytes as one word and an RGBA32UI texel carries
// four pixels. Fewer, wider fragments cost far less than one per pixel on a
// software rasteriser.
//
// A row of `width` pixels is split into two parts, each with an input texture,
// an output renderbuffer of the same integer format and a framebuffer holding
// that output:
//  - the body, the first width / 4 * 4 pixels of every row, four to a texel
//    (GL_RGBA32UI, width / 4 texels wide);
//  - the tail, the last width % 4 pixels of every row, one to a texel
//    (GL_R32UI, width % 4 texels wide).
// A part with no pixels has no objects. Texel rows are frame rows, row 0 the
// host's first row. Input and output together take exactly 8 bytes a pixel.
//
// Framebuffers belong to the context that made them: a frame is used in one
// context only (the 8-bit pass keeps one per context). Every operation but
// forget() and forgetFramebuffers() needs that context current.
#pragma once

#include "gl/Framebuffer.h"
#include "gl/GlName.h"

namespace Ombrix::Levels {

class PackedByteFrame {
public:
    // One part of every row: `columns` pixels starting at `firstColumn`,
    // `pixelsPerTexel` to a texel.
    struct Part {
        int firstColumn = 0;
        int columns = 0;
        int pixelsPerTexel = 1;
        int texelsWide() const { return columns / pixelsPerTexel; }
        GlTexture input;
        GlRenderbuffer output;
        Framebuffer framebuffer;  // output at colour attachment 0
    };
    static constexpr int kBody = 0;
    static constexpr int kTail = 1;
    static constexpr int kPartCount = 2;

    PackedByteFrame() = default;
    PackedByteFrame(const PackedByteFrame&) = delete;
    PackedByteFrame& operator=(const PackedByteFrame&) = delete;

    // Makes the objects for frames of this size, unless they exist already;
    // making them leaves a framebuffer and a renderbuffer bound. A size of 0
    // leaves none. False when a framebuffer is not complete; the frame is
    // released then.
    bool resize(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    const Part& part(int index) const { return parts_[index]; }

    // Deletes every object; the size becomes 0.
    void release();
    // Gives up every GL name without a GL call; the size becomes 0.
    void forget();
    // Gives up the framebuffers only, which die with their context (for a
    // release from another context of the share group).
    void forgetFramebuffers();

private:
    int width_ = 0;
    int height_ = 0;
    Part parts_[kPartCount];
};

}  // namespace Ombrix::Levels
