#include "gl/OpenglRenderTarget.h"

#include "gl/ExactTexture.h"

#include <glbinding/gl33core/gl.h>

#include <algorithm>

#include "gl/AEOpenGLContext.h"
#include "gl/ContextRegistry.h"
#include "gl/PerContext.h"
#include "gl/PrintMessage.h"

using namespace gl33core;

namespace Ombrix::Levels {
namespace {

constexpr GLint kSamples = 8;

// 8 samples, or as many as the implementation offers when that is fewer
// (more than it offers leaves the layer without storage).
GLsizei sampleCount() {
    GLint offered = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &offered);
    return std::max<GLint>(1, std::min(kSamples, offered));
}

PerContext<OpenglRenderTarget>& targets() {
    static PerContext<OpenglRenderTarget> store;
    return store;
}

// A texture of RGBA storage (GL_RGBA8 or GL_RGBA32F) read texel for texel
// (the programs fetch exact texels), left bound.
GlTexture makeTexture(int width, int height, GLenum internalFormat) {
    const GLenum type = internalFormat == GL_RGBA8 ? GL_UNSIGNED_BYTE : GL_FLOAT;
    GlTexture texture = makeExactTexture(internalFormat, width, height, GL_RGBA, type);
    glBindTexture(GL_TEXTURE_2D, texture.get());
    return texture;
}

// Storage for a renderbuffer bound to GL_RENDERBUFFER.
void renderbufferStorage(bool multisampled, GLenum format, int width, int height) {
    if (multisampled) {
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, sampleCount(), format, width, height);
    } else {
        glRenderbufferStorage(GL_RENDERBUFFER, format, width, height);
    }
}

}  // namespace

OpenglRenderTarget& OpenglRenderTarget::forContext(const AEOpenGLContext& context) { return targets().get(context); }

void OpenglRenderTarget::releaseAll() {
    // The kept layers and textures are deleted in the context that drew into
    // or sampled them: Mesa holds per-context objects for them, which deleting
    // them in another context leaks. A context that cannot be made current
    // leaves them to the root.
    targets().forEachWithContext([](const AEOpenGLContext& context, OpenglRenderTarget& target) {
        try {
            context.makeCurrent();
            target.deleteKept();
        } catch (const AESDK_OpenGL_Fault&) {
        }
    });
    try {
        if (AEOpenGLContext* root = rootContext()) root->makeCurrent();
    } catch (const AESDK_OpenGL_Fault&) {
        // The last context made current shares the objects: they go from there.
    }
    targets().forEach([](OpenglRenderTarget& target) { target.releaseShared(); });
    targets().forgetAll();
}

void OpenglRenderTarget::forgetAll() { targets().forgetAll(); }

std::size_t OpenglRenderTarget::count() { return targets().size(); }

void OpenglRenderTarget::prepare(int width, int height, bool multisampled, OutputPrecision precision) {
    if (!pixelOrderProgram_ || pixelOrderProgram_->bgarOrder() != multisampled) {
        pixelOrderProgram_ = std::make_unique<PixelOrderProgram>(multisampled);
    }
    if (width <= 0 || height <= 0) {
        deleteBuffers();
        width_ = height_ = 0;
        multisampled_ = multisampled;
        return;
    }
    if (mainFramebuffer_ && width == width_ && height == height_ && multisampled == multisampled_ &&
        precision == precision_) {
        return;
    }

    deleteBuffers();
    width_ = width;
    height_ = height;
    multisampled_ = multisampled;
    precision_ = precision;
    mainFramebuffer_ = GlFramebuffer::make();
    if (multisampled_) {
        resolveFramebuffer_ = GlFramebuffer::make();
        multisampleFramebuffer_ = GlFramebuffer::make();
    }
    outputRenderbuffer_ = GlRenderbuffer::make();
    glBindRenderbuffer(GL_RENDERBUFFER, outputRenderbuffer_.get());
    glRenderbufferStorage(GL_RENDERBUFFER, precision_ == OutputPrecision::Bytes8 ? GL_RGBA8 : GL_RGBA32F, width_,
                          height_);
}

void OpenglRenderTarget::begin(bool withDepth, bool withStencil) {
    if (!mainFramebuffer_) return;  // nothing to draw into
    // The draw buffer is framebuffer state: select it on the layer's framebuffer.
    glBindFramebuffer(GL_FRAMEBUFFER, layerFramebuffer());
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glDisable(GL_BLEND);
    if (multisampled_) glEnable(GL_MULTISAMPLE);
    pushLayer(withDepth, withStencil);
    glViewport(0, 0, width_, height_);
}

void OpenglRenderTarget::pushLayer(bool withDepth, bool withStencil) {
    if (!mainFramebuffer_) return;
    // A closed layer with the same companions is used again (it has this size).
    Layer layer;
    const auto spare = std::find_if(spareLayers_.begin(), spareLayers_.end(), [&](const Layer& l) {
        return l.hasDepth == withDepth && l.hasStencil == withStencil;
    });
    const bool reused = spare != spareLayers_.end();
    // A new renderbuffer of the layer's size and mode, in the given format.
    const auto newRenderbuffer = [this](GLenum format) {
        GlRenderbuffer buffer = GlRenderbuffer::make();
        glBindRenderbuffer(GL_RENDERBUFFER, buffer.get());
        renderbufferStorage(multisampled_, format, width_, height_);
        return buffer;
    };
    if (reused) {
        layer = std::move(*spare);
        spareLayers_.erase(spare);
    } else {
        layer.colour = newRenderbuffer(GL_RGBA);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, layerFramebuffer());
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, layer.colour.get());
    layer.hasDepth = withDepth;
    layer.hasStencil = withStencil;
    if (!reused) {
        if (withDepth && withStencil) {
            layer.depth = newRenderbuffer(GL_DEPTH24_STENCIL8);
        } else if (withStencil) {
            layer.stencil = newRenderbuffer(GL_STENCIL_INDEX8);
        } else if (withDepth) {
            layer.depth = newRenderbuffer(GL_DEPTH_COMPONENT24);
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, layerFramebuffer());
    attachCompanions(layer);  // in place of the companions of the layer below
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) printMessage("framebuffer incomplete:%d", static_cast<int>(layerFramebuffer()));
    layers_.push_back(std::move(layer));

    ClearBufferMask mask = GL_COLOR_BUFFER_BIT;
    if (withDepth) mask |= GL_DEPTH_BUFFER_BIT;
    if (withStencil) mask |= GL_STENCIL_BUFFER_BIT;
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(mask);
}

GlTexture OpenglRenderTarget::popLayerToTexture() {
    if (layers_.empty()) return GlTexture();
    GlTexture texture = GlTexture::make();
    glBindTexture(GL_TEXTURE_2D, texture.get());
    setExactSampling();
    if (multisampled_) {
        // The resolve blit needs storage to write into; it is defined without data.
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_RGBA), width_, height_, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     nullptr);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, multisampleFramebuffer_.get());
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolveFramebuffer_.get());
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture.get(), 0);
        glBlitFramebuffer(0, 0, width_, height_, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        // The resolve framebuffer lets go of the texture, which its caller deletes.
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    } else {
        // The main framebuffer is bound for reading with the top layer at colour
        // attachment 0; the copy defines the texture as 32-bit float RGBA.
        glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, 0, 0, width_, height_, 0);
    }
    closeTopLayer();
    return texture;
}

bool OpenglRenderTarget::drawToOutput(float multiplier) {
    if (layers_.empty()) return false;
    GlTexture popped;  // multisampled mode: the resolved layer, deleted on return
    unsigned int texture = 0;
    if (multisampled_) {
        popped = popLayerToTexture();
        texture = popped.get();
    } else {
        // The main framebuffer is bound for reading with the top layer at
        // colour attachment 0; the kept texture already has float storage.
        texture = layerCopyTexture();
        glBindTexture(GL_TEXTURE_2D, texture);
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width_, height_);
        closeTopLayer();
    }
    glBindFramebuffer(GL_FRAMEBUFFER, mainFramebuffer_.get());
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, outputRenderbuffer_.get());
    glDisable(GL_BLEND);
    glDisable(GL_MULTISAMPLE);
    glClear(GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT);
    const bool drawn = pixelOrderProgram_->draw(texture, multiplier);
    glBindTexture(GL_TEXTURE_2D, 0);  // a kept texture stays bound nowhere between frames
    return drawn;
}

bool OpenglRenderTarget::beginOutput() {
    if (!mainFramebuffer_) return false;
    glBindFramebuffer(GL_FRAMEBUFFER, mainFramebuffer_.get());
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, outputRenderbuffer_.get());
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glDisable(GL_BLEND);
    glDisable(GL_MULTISAMPLE);
    glViewport(0, 0, width_, height_);
    return true;
}

unsigned int OpenglRenderTarget::inputTexture() {
    if (!mainFramebuffer_) return 0;
    if (!inputTexture_) {
        inputTexture_ = makeTexture(width_, height_, precision_ == OutputPrecision::Bytes8 ? GL_RGBA8 : GL_RGBA32F);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    return inputTexture_.get();
}

PackedByteFrame& OpenglRenderTarget::packedFrame(int width, int height) {
    if (mainFramebuffer_) deleteBuffers();  // a frame of the other kind came before
    packedFrame_.resize(width, height);
    return packedFrame_;
}

unsigned int OpenglRenderTarget::layerCopyTexture() {
    if (!layerCopyTexture_) layerCopyTexture_ = makeTexture(width_, height_, GL_RGBA32F);
    return layerCopyTexture_.get();
}

std::size_t OpenglRenderTarget::keptBytes() const {
    const std::size_t pixels = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    std::size_t perPixel = 0;
    if (outputRenderbuffer_) perPixel += precision_ == OutputPrecision::Bytes8 ? 4 : 16;
    if (inputTexture_) perPixel += precision_ == OutputPrecision::Bytes8 ? 4 : 16;
    if (layerCopyTexture_) perPixel += 16;
    std::size_t bytes = packedFrame_.keptBytes();
    const std::size_t samples = multisampled_ && !spareLayers_.empty() ? static_cast<std::size_t>(sampleCount()) : 1;
    for (const Layer& layer : spareLayers_) {
        perPixel += samples * (4 + (layer.hasDepth ? 4 : layer.hasStencil ? 1 : 0));
    }
    return bytes + perPixel * pixels;
}

void OpenglRenderTarget::closeTopLayer() {
    Layer layer = std::move(layers_.back());
    layers_.pop_back();
    if (!layers_.empty()) {
        attachTopLayer();
    } else {
        // Detached as deleting it would have done; kept for the next frame.
        glBindFramebuffer(GL_FRAMEBUFFER, layerFramebuffer());
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, 0);
    }
    if (layers_.empty() && (layer.hasDepth || layer.hasStencil)) {
        glBindFramebuffer(GL_FRAMEBUFFER, layerFramebuffer());
        attachCompanions(Layer());
    }
    if (layers_.empty()) {
        // Nothing left open: the main framebuffer stays bound with the output
        // attached, complete and ready for reading, never an empty one.
        glBindFramebuffer(GL_FRAMEBUFFER, mainFramebuffer_.get());
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, outputRenderbuffer_.get());
    }
    spareLayers_.push_back(std::move(layer));
}

void OpenglRenderTarget::discardLayers() {
    if (layers_.empty()) return;
    if (mainFramebuffer_) {
        // Detached first: a framebuffer that is not bound would keep deleted
        // renderbuffers' storage alive.
        glBindFramebuffer(GL_FRAMEBUFFER, layerFramebuffer());
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, mainFramebuffer_.get());
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, outputRenderbuffer_.get());
    }
    layers_.clear();
}

void OpenglRenderTarget::deleteKept() {
    spareLayers_.clear();
    inputTexture_.reset();
    layerCopyTexture_.reset();
    packedFrame_.release();
}

void OpenglRenderTarget::deleteBuffers() {
    resolveFramebuffer_.reset();
    mainFramebuffer_.reset();
    multisampleFramebuffer_.reset();
    outputRenderbuffer_.reset();
    layers_.clear();
    deleteKept();
}

void OpenglRenderTarget::release() {
    deleteBuffers();
    pixelOrderProgram_.reset();
}

void OpenglRenderTarget::releaseShared() {
    resolveFramebuffer_.forget();
    mainFramebuffer_.forget();
    multisampleFramebuffer_.forget();
    if (pixelOrderProgram_) pixelOrderProgram_->forgetVertexArray();
    packedFrame_.forgetFramebuffers();
    release();
}

void OpenglRenderTarget::forget() {
    resolveFramebuffer_.forget();
    mainFramebuffer_.forget();
    multisampleFramebuffer_.forget();
    outputRenderbuffer_.forget();
    for (std::vector<Layer>* list : {&layers_, &spareLayers_}) {
        for (Layer& layer : *list) {
            layer.colour.forget();
            layer.depth.forget();
            layer.stencil.forget();
        }
        list->clear();
    }
    inputTexture_.forget();
    layerCopyTexture_.forget();
    packedFrame_.forget();
    if (pixelOrderProgram_) pixelOrderProgram_->forget();
    pixelOrderProgram_.reset();
}

unsigned int OpenglRenderTarget::layerFramebuffer() const {
    return multisampled_ ? multisampleFramebuffer_.get() : mainFramebuffer_.get();
}

void OpenglRenderTarget::attachTopLayer() {
    glBindRenderbuffer(GL_RENDERBUFFER, layers_.back().colour.get());
    glBindFramebuffer(GL_FRAMEBUFFER, layerFramebuffer());
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, layers_.back().colour.get());
    attachCompanions(layers_.back());
}

void OpenglRenderTarget::attachCompanions(const Layer& layer) {
    // Depth and stencil attachments both set: none may be left from another layer.
    const GLuint depth = layer.hasDepth ? layer.depth.get() : 0;
    const GLuint stencil = layer.hasDepth && layer.hasStencil ? layer.depth.get() : layer.stencil.get();
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, stencil);
}

}  // namespace Ombrix::Levels
