#include "gl/OpenglRenderTarget.h"

#include <glbinding/gl33core/gl.h>

#include <algorithm>

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
    Layer layer;
    layer.colour = GlRenderbuffer::make();
    glBindRenderbuffer(GL_RENDERBUFFER, layer.colour.get());
    renderbufferStorage(multisampled_, GL_RGBA, width_, height_);
    glBindFramebuffer(GL_FRAMEBUFFER, layerFramebuffer());
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, layer.colour.get());
    if (withStencil) {
        layer.stencil = GlRenderbuffer::make();
        glBindRenderbuffer(GL_RENDERBUFFER, layer.stencil.get());
        renderbufferStorage(multisampled_, GL_STENCIL_INDEX8, width_, height_);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, layer.stencil.get());
    }
    if (withDepth) {
        layer.depth = GlRenderbuffer::make();
        glBindRenderbuffer(GL_RENDERBUFFER, layer.depth.get());
        renderbufferStorage(multisampled_, GL_DEPTH_COMPONENT24, width_, height_);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, layer.depth.get());
    }
    if (multisampled_) {
        const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
        if (status != GL_FRAMEBUFFER_COMPLETE) {
            printMessage("framebuffer incomplete:%d", static_cast<int>(multisampleFramebuffer_.get()));
        }
    }
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
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(GL_LINEAR));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(GL_LINEAR));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(GL_CLAMP_TO_EDGE));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(GL_CLAMP_TO_EDGE));
    if (multisampled_) {
        // The resolve blit needs storage to write into; it is defined without data.
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_RGBA), width_, height_, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     nullptr);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, multisampleFramebuffer_.get());
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolveFramebuffer_.get());
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture.get(), 0);
        glBlitFramebuffer(0, 0, width_, height_, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    } else {
        // The main framebuffer is bound for reading with the top layer at colour
        // attachment 0; the copy defines the texture as 32-bit float RGBA.
        glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, 0, 0, width_, height_, 0);
    }
    layers_.pop_back();  // the layer and its companions are deleted
    if (!layers_.empty()) attachTopLayer();
    return texture;
}

bool OpenglRenderTarget::drawToOutput(float multiplier) {
    GlTexture texture = popLayerToTexture();
    if (!texture) return false;
    glBindFramebuffer(GL_FRAMEBUFFER, mainFramebuffer_.get());
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, outputRenderbuffer_.get());
    glDisable(GL_BLEND);
    glDisable(GL_MULTISAMPLE);
    glClear(GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT);
    return pixelOrderProgram_->draw(texture.get(), multiplier);
}  // the intermediate texture is deleted here

void OpenglRenderTarget::discardLayers() { layers_.clear(); }

void OpenglRenderTarget::deleteBuffers() {
    resolveFramebuffer_.reset();
    mainFramebuffer_.reset();
    multisampleFramebuffer_.reset();
    outputRenderbuffer_.reset();
    layers_.clear();
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
    release();
}

void OpenglRenderTarget::forget() {
    resolveFramebuffer_.forget();
    mainFramebuffer_.forget();
    multisampleFramebuffer_.forget();
    outputRenderbuffer_.forget();
    for (Layer& layer : layers_) {
        layer.colour.forget();
        layer.depth.forget();
        layer.stencil.forget();
    }
    layers_.clear();
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
}

}  // namespace Ombrix::Levels
