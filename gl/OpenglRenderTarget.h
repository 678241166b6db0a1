// The off-screen framebuffer set that the passes draw into: a stack of colour
// layers (renderbuffers, the top one being drawn) and one output renderbuffer
// that the pixel-order program fills and the render command reads back.
//
// Framebuffers and vertex arrays are not shared between GL contexts, so every
// context has its own target (forContext), with its own pixel-order program
// kept from frame to frame. A frame asks its target, in order, to size itself
// (prepare), to open a layer (begin) and, after the levels pass has drawn, to
// move the layer through the pixel-order program into the output
// (drawToOutput). 8-bit frames of the render command take another route: the
// target keeps their packed storage (packedFrame, see PackedByteFrame) in
// place of the framebuffers and the output. Every operation needs the
// target's context current.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "gl/GlName.h"
#include "gl/PackedByteFrame.h"
#include "gl/PixelOrderProgram.h"

namespace Ombrix::Levels {

class AEOpenGLContext;

// The output renderbuffer's storage. Float32 (GL_RGBA32F) serves read-backs
// of any depth. Output read back as bytes can use Bytes8 (GL_RGBA8): the layers
// hold 8 bits a channel, so the bytes are the same, and reading them takes a
// fraction of the time that converting float storage to bytes takes.
enum class OutputPrecision { Float32, Bytes8 };

class OpenglRenderTarget {
public:
    // The target of `context`, made (with no GL call) on first use. Only
    // under the registry lock (GlWorkLock).
    static OpenglRenderTarget& forContext(const AEOpenGLContext& context);
    // Global set-down, with the root current: deletes every target's shared
    // objects (renderbuffers, textures, programs, buffers) and drops the
    // targets; their framebuffers and vertex arrays die with their contexts.
    // Kept layers and textures are deleted in their own context first; the
    // root is current again on return.
    static void releaseAll();
    // The same with no context current: every GL name is only given up.
    static void forgetAll();
    // Number of targets (one per context that has rendered).
    static std::size_t count();

    OpenglRenderTarget() = default;
    OpenglRenderTarget(const OpenglRenderTarget&) = delete;
    OpenglRenderTarget& operator=(const OpenglRenderTarget&) = delete;

    // Sizes the target: the framebuffers and the output renderbuffer are
    // (re-)made when the size, the mode or the output precision changes or
    // they do not exist. The pixel-order program (bgar order when
    // multisampled, else argb) is kept while its order stays the same. A size
    // of 0 leaves no framebuffers.
    void prepare(int width, int height, bool multisampled, OutputPrecision precision = OutputPrecision::Float32);

    // Opens a new cleared layer for drawing (blending off) and sets the
    // viewport to the full size.
    void begin(bool withDepth, bool withStencil);
    // Binds the main framebuffer with the output renderbuffer at colour
    // attachment 0 for drawing and reading (blending off, full-size viewport),
    // for a pass that writes the output directly, in the host's order. No
    // layer is opened and nothing is cleared. False when the target has no size.
    bool beginOutput();
    // The layer-opening part of begin.
    void pushLayer(bool withDepth, bool withStencil);

    // A new 2-D texture holding the top layer (32-bit float RGBA in
    // single-sample mode), which is closed; an empty handle when no layer is
    // open. Drawing continues in the layer below, if any.
    GlTexture popLayerToTexture();

    // Pops the top layer and draws it through the pixel-order program into
    // the output renderbuffer; the main framebuffer stays bound with the
    // output at colour attachment 0, ready for reading. Nothing happens when
    // no layer is open. Returns whether the output was drawn. In single-sample
    // mode the layer is copied into a texture the target keeps for its size.
    bool drawToOutput(float multiplier);

    // A 2-D texture of the target's size (RGBA of the output precision:
    // 8 bits or 32-bit float a channel; nearest filtering, clamped) for the
    // frame's input, kept from frame to frame while the size stays; made on
    // first use. 0 when the target has no size.
    unsigned int inputTexture();

    // The packed storage for 8-bit frames of this size (see PackedByteFrame),
    // kept from frame to frame while the size stays. A target keeps either
    // this or the buffers of prepare: asking for one deletes the other.
    PackedByteFrame& packedFrame(int width, int height);

    // Host memory for pixel rows that cannot go straight between a host
    // world and GL (see PixelTransfer), kept with the target.
    std::vector<unsigned char>& transferScratch() { return transferScratch_; }

    // GPU memory the target keeps between frames, in bytes: the output, the
    // kept input texture and layer copy, the spare layers and the packed frame.
    std::size_t keptBytes() const;

    // Closes every open layer (a frame left early); they are deleted.
    void discardLayers();
    // Deletes the framebuffers, renderbuffers and kept textures, the packed
    // frame's included; size and mode are kept.
    void deleteBuffers();
    // deleteBuffers and the pixel-order program.
    void release();
    // Gives up every GL name without a GL call.
    void forget();

    int width() const { return width_; }
    int height() const { return height_; }
    bool multisampled() const { return multisampled_; }
    OutputPrecision outputPrecision() const { return precision_; }
    unsigned int mainFramebuffer() const { return mainFramebuffer_.get(); }
    unsigned int outputRenderbuffer() const { return outputRenderbuffer_.get(); }
    std::size_t layerCount() const { return layers_.size(); }
    const PixelOrderProgram* pixelOrderProgram() const { return pixelOrderProgram_.get(); }

private:
    struct Layer {
        GlRenderbuffer colour;
        // Companions, when asked for. Depth with stencil is one packed
        // depth-stencil renderbuffer (held in `depth`): separate depth and
        // stencil buffers make a framebuffer that implementations may refuse.
        GlRenderbuffer depth;
        GlRenderbuffer stencil;
        bool hasDepth = false;
        bool hasStencil = false;
    };

    // Deletes the objects that other contexts share; forgets the rest.
    void releaseShared();
    // Deletes the spare layers and the kept textures.
    void deleteKept();
    unsigned int layerFramebuffer() const;
    void attachTopLayer();
    // Attaches the layer's depth and stencil companions (none where it has
    // none) to the bound framebuffer.
    void attachCompanions(const Layer& layer);
    // Closes the top layer, keeping its renderbuffers for the next pushLayer.
    void closeTopLayer();
    // The kept texture that drawToOutput copies a single-sample layer into.
    unsigned int layerCopyTexture();

    GlFramebuffer resolveFramebuffer_;      // multisampled mode: draw target of the resolve blit
    GlFramebuffer mainFramebuffer_;         // the layer (single-sample) and the output
    GlFramebuffer multisampleFramebuffer_;  // multisampled mode: the layer
    GlRenderbuffer outputRenderbuffer_;     // width x height, of the output precision
    OutputPrecision precision_ = OutputPrecision::Float32;
    bool multisampled_ = true;
    int width_ = 0;
    int height_ = 0;
    std::vector<Layer> layers_;
    std::vector<Layer> spareLayers_;  // closed layers of this size, reused by pushLayer
    GlTexture inputTexture_;          // width x height, see inputTexture()
    GlTexture layerCopyTexture_;      // width x height, see drawToOutput()
    PackedByteFrame packedFrame_;     // see packedFrame()
    std::unique_ptr<PixelOrderProgram> pixelOrderProgram_;
    std::vector<unsigned char> transferScratch_;
};

}  // namespace Ombrix::Levels
