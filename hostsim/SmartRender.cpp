// Smart rendering as the host plays it: PF_Cmd_SMART_PRE_RENDER with its
// checkout of the input layer, PF_Cmd_SMART_RENDER with the layer's pixels
// and the output checked out, and the host's rules enforced as violations:
// checkout ids positive and each made once, each id's pixels checked out at
// most once per render, the output only after an input, nothing left checked
// out when the render returns, a result within the request, and
// pre_render_data freed through the effect's delete function.
#include <algorithm>
#include <cstring>

#include "hostsim/Host.h"
#include "hostsim/Poison.h"
#include "hostsim/Traps.h"
#include "hostsim/World.h"

namespace hostsim {
namespace {

PF_Err AE_CALLBACK cbCheckoutLayer(PF_ProgPtr ref, A_long index, A_long id, const PF_RenderRequest* req,
                                   A_long time, A_long step, A_u_long scale, PF_CheckoutResult* result) {
    return Host::current().checkoutLayer(ref, index, id, req, time, step, scale, result);
}
PF_Err AE_CALLBACK cbCheckoutLayerPixels(PF_ProgPtr ref, A_long id, PF_EffectWorld** pixels) {
    return Host::current().checkoutLayerPixels(ref, id, pixels);
}
PF_Err AE_CALLBACK cbCheckinLayerPixels(PF_ProgPtr ref, A_long id) {
    return Host::current().checkinLayerPixels(ref, id);
}
PF_Err AE_CALLBACK cbCheckoutOutput(PF_ProgPtr ref, PF_EffectWorld** output) {
    return Host::current().checkoutOutput(ref, output);
}

// The known slots, then slots a later host may have: traps.
struct PreRenderCallbackTable {
    PF_PreRenderCallbacks known;
    PF_UnknownCallback more[7];
};
struct SmartRenderCallbackTable {
    PF_SmartRenderCallbacks known;
    PF_UnknownCallback more[5];
};
PreRenderCallbackTable makePreRenderCallbacks() {
    PreRenderCallbackTable table;
    fillWithTraps(table, "PF_PreRenderCallbacks");
    table.known.checkout_layer = cbCheckoutLayer;
    return table;
}
SmartRenderCallbackTable makeSmartRenderCallbacks() {
    SmartRenderCallbackTable table;
    fillWithTraps(table, "PF_SmartRenderCallbacks");
    table.known.checkout_layer_pixels = cbCheckoutLayerPixels;
    table.known.checkin_layer_pixels = cbCheckinLayerPixels;
    table.known.checkout_output = cbCheckoutOutput;
    return table;
}
PreRenderCallbackTable gPreRenderCallbacks = makePreRenderCallbacks();
SmartRenderCallbackTable gSmartRenderCallbacks = makeSmartRenderCallbacks();

bool emptyRect(const PF_LRect& r) { return r.right <= r.left || r.bottom <= r.top; }
PF_LRect intersect(const PF_LRect& a, const PF_LRect& b) {
    PF_LRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
    return emptyRect(r) ? PF_LRect{0, 0, 0, 0} : r;
}
bool within(const PF_LRect& inner, const PF_LRect& outer) {
    return emptyRect(inner) || (inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
                                inner.bottom <= outer.bottom);
}
std::string rectText(const PF_LRect& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + ")";
}

void poisonRequest(PoisonedMembers& poisoned, const char* prefix, PF_RenderRequest& request) {
    poisoned.poison((std::string(prefix) == "pre" ? "PF_PreRenderInput.output_request.unused"
                                                  : "PF_SmartRenderInput.output_request.unused"),
                    request.unused, sizeof(request.unused));
    poisoned.poison((std::string(prefix) == "pre" ? "PF_PreRenderInput.output_request.reserved"
                                                  : "PF_SmartRenderInput.output_request.reserved"),
                    request.reserved, sizeof(request.reserved));
}

}  // namespace

PF_RenderRequest Host::fullRequest(int width, int height) {
    PF_RenderRequest request{};
    request.rect = PF_LRect{0, 0, width, height};
    request.field = PF_Field_FRAME;
    request.channel_mask = PF_ChannelMask_ARGB;
    return request;
}

void Host::refuseLayerCheckout(PF_Err code) { refuseLayerCheckout_ = code; }
void Host::refuseLayerPixels(PF_Err code) { refuseLayerPixels_ = code; }
void Host::refuseOutput(PF_Err code) { refuseOutput_ = code; }
void Host::trimLayerCheckout(const PF_LRect* rect) {
    trimmed_ = rect != nullptr;
    if (rect) trim_ = *rect;
}
int Host::preRenderDataFreed() const { return preRenderDataFreed_; }
PF_PreRenderOutput Host::preRenderOutput() const { return lastPreRenderOutput_; }

int Host::layerPixelsCheckedOut() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    int n = 0;
    for (const auto& entry : pixelsOut_) n += entry.second ? 1 : 0;
    return n;
}

void Host::freePending(PendingFrame& frame) {
    if (frame.output.pre_render_data) {
        if (frame.output.delete_pre_render_data_func) {
            frame.output.delete_pre_render_data_func(frame.output.pre_render_data);
            ++preRenderDataFreed_;
        }
        frame.output.pre_render_data = nullptr;
    }
}

void Host::discardPreRender() {
    if (!pending_) return;
    freePending(*pending_);
    pending_.reset();
}

PF_Err Host::smartPreRender(const PF_RenderRequest& request, A_short bitdepth) {
    discardPreRender();  // a new pre-render replaces one that was not rendered
    PF_PreRenderInput input{};
    input.output_request = request;
    input.bitdepth = bitdepth;
    input.what_gpu = PF_GPU_Framework_NONE;
    PF_PreRenderOutput output{};
    PF_PreRenderExtra extra{&input, &output, &gPreRenderCallbacks.known};

    PoisonedMembers poisoned;
    poisonRequest(poisoned, "pre", input.output_request);
    poisoned.poison("PF_PreRenderOutput.reserved", &output.reserved, sizeof(output.reserved));
    poisoned.keep("PF_PreRenderInput", &input, sizeof(input));
    poisoned.keep("PF_PreRenderExtra", &extra, sizeof(extra));

    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        checkingOut_ = std::make_unique<PendingFrame>();
        checkingOut_->request = input.output_request;
        checkingOut_->bitdepth = bitdepth;
    }
    const PF_Err err = send(PF_Cmd_SMART_PRE_RENDER, nullptr, &extra);
    for (const std::string& member : poisoned.changed()) {
        violation("pre-render changed " + member + ", which the effect has no business writing");
    }
    std::unique_ptr<PendingFrame> frame;
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        frame = std::move(checkingOut_);
    }
    frame->output = output;
    lastPreRenderOutput_ = output;
    if (output.pre_render_data && !output.delete_pre_render_data_func) {
        violation("pre-render left pre_render_data without a delete function: it can never be freed");
    }
    if (err != PF_Err_NONE) {
        freePending(*frame);  // a failed pre-render is not rendered; what it left is freed
        return err;
    }
    if (!within(output.result_rect, request.rect)) {
        violation("pre-render result " + rectText(output.result_rect) + " exceeds the request " +
                  rectText(request.rect));
    }
    if (!within(output.result_rect, output.max_result_rect)) {
        violation("pre-render result " + rectText(output.result_rect) + " exceeds its maximum " +
                  rectText(output.max_result_rect));
    }
    pending_ = std::move(frame);
    return err;
}

PF_Err Host::smartRender(PF_EffectWorld* output, A_short bitdepthWithoutPreRender) {
    std::unique_ptr<PendingFrame> frame = std::move(pending_);
    PF_SmartRenderInput input{};
    if (frame) {
        input.output_request = frame->request;
        input.bitdepth = frame->bitdepth;
        input.pre_render_data = frame->output.pre_render_data;
    } else {
        input.output_request = fullRequest(param(0).u.ld.width, param(0).u.ld.height);
        input.bitdepth = bitdepthWithoutPreRender;
    }
    input.what_gpu = PF_GPU_Framework_NONE;
    PF_SmartRenderExtra extra{&input, &gSmartRenderCallbacks.known};

    PoisonedMembers poisoned;
    poisonRequest(poisoned, "smart", input.output_request);
    poisoned.keep("PF_SmartRenderInput", &input, sizeof(input));
    poisoned.keep("PF_SmartRenderExtra", &extra, sizeof(extra));
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        pixelViews_.clear();
        pixelsOut_.clear();
        outputCheckedOut_ = false;
        smartOutput_ = output;
        // The input's pixels for every checkout the pre-render made: the layer
        // cut to the checkout's rectangle.
        const PF_EffectWorld& layer = params_[0].def.u.ld;
        const int pixelBytes = World::bytesPerPixel(worldFormat(&layer));
        if (frame) {
            for (const auto& checkout : frame->checkouts) {
                PF_EffectWorld view = layer;
                const PF_LRect& r = checkout.second;
                if (layer.data && pixelBytes > 0 && !emptyRect(r)) {
                    view.data = reinterpret_cast<PF_PixelPtr>(reinterpret_cast<char*>(layer.data) +
                                                              static_cast<ptrdiff_t>(r.top) * layer.rowbytes +
                                                              static_cast<ptrdiff_t>(r.left) * pixelBytes);
                }
                view.width = r.right - r.left;
                view.height = r.bottom - r.top;
                view.origin_x = r.left;
                view.origin_y = r.top;
                view.extent_hint = PF_LRect{0, 0, view.width, view.height};
                PF_EffectWorld& stored = pixelViews_[checkout.first];
                stored = view;
                HOSTSIM_POISON_WORLD(poisoned, "checked-out input", stored);
            }
        }
    }
    if (output) HOSTSIM_POISON_WORLD(poisoned, "smart render output", *output);

    const PF_Err err = send(PF_Cmd_SMART_RENDER, nullptr, &extra);
    for (const std::string& member : poisoned.changed()) {
        violation("smart render changed " + member + ", which the effect has no business writing");
    }
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        for (const auto& entry : pixelsOut_) {
            if (entry.second) {
                violation("smart render returned with the pixels of checkout " + std::to_string(entry.first) +
                          " still checked out");
            }
        }
        pixelsOut_.clear();
        pixelViews_.clear();
        smartOutput_ = nullptr;
        outputCheckedOut_ = false;
    }
    if (frame) freePending(*frame);
    return err;
}

PF_Err Host::checkoutLayer(PF_ProgPtr ref, A_long index, A_long id, const PF_RenderRequest* req, A_long /*time*/,
                           A_long /*step*/, A_u_long scale, PF_CheckoutResult* result) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!validRef(ref, "checkout_layer")) return PF_Err_BAD_CALLBACK_PARAM;
    if (commandInProgress() != PF_Cmd_SMART_PRE_RENDER || !checkingOut_) {
        violation("checkout_layer called outside smart pre-render");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (!req || !result) {
        violation("checkout_layer called with a null request or result");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (scale == 0) violation("checkout_layer called with time scale 0");
    if (index != 0) {
        violation("checkout_layer of parameter " + std::to_string(index) + ", which is no layer");
        return PF_Err_INVALID_INDEX;
    }
    if (id <= 0 || checkingOut_->checkouts.count(id)) {
        violation("checkout_layer with checkout id " + std::to_string(id) +
                  (id <= 0 ? ", which is not positive" : ", which was used already"));
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (refuseLayerCheckout_) return refuseLayerCheckout_;
    const PF_EffectWorld& layer = params_[0].def.u.ld;
    const PF_LRect whole{0, 0, layer.width, layer.height};
    PF_LRect rect = intersect(req->rect, whole);
    PF_LRect max = whole;
    if (trimmed_) {
        rect = intersect(rect, trim_);
        max = intersect(max, trim_);
    }
    // The host writes the record the effect handed over (its known members).
    PF_CheckoutResult written{};
    written.result_rect = rect;
    written.max_result_rect = max;
    written.par = PF_RationalScale{1, 1};
    written.ref_width = layer.width;
    written.ref_height = layer.height;
    std::memcpy(result, &written, sizeof(written));
    checkingOut_->checkouts[id] = rect;
    return PF_Err_NONE;
}

PF_Err Host::checkoutLayerPixels(PF_ProgPtr ref, A_long id, PF_EffectWorld** pixels) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!validRef(ref, "checkout_layer_pixels")) return PF_Err_BAD_CALLBACK_PARAM;
    if (commandInProgress() != PF_Cmd_SMART_RENDER || !pixels) {
        violation("checkout_layer_pixels called outside smart render or with no place for the world");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    auto view = pixelViews_.find(id);
    if (view == pixelViews_.end()) {
        violation("checkout_layer_pixels with checkout id " + std::to_string(id) + ", which pre-render never made");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (pixelsOut_.count(id)) {
        violation("checkout_layer_pixels of checkout " + std::to_string(id) + " a second time");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (refuseLayerPixels_) return refuseLayerPixels_;
    pixelsOut_[id] = true;
    *pixels = &view->second;
    return PF_Err_NONE;
}

PF_Err Host::checkinLayerPixels(PF_ProgPtr ref, A_long id) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!validRef(ref, "checkin_layer_pixels")) return PF_Err_BAD_CALLBACK_PARAM;
    auto out = pixelsOut_.find(id);
    if (out == pixelsOut_.end() || !out->second) {
        violation("checkin_layer_pixels of checkout " + std::to_string(id) + ", which is not checked out");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    out->second = false;
    return PF_Err_NONE;
}

PF_Err Host::checkoutOutput(PF_ProgPtr ref, PF_EffectWorld** output) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!validRef(ref, "checkout_output")) return PF_Err_BAD_CALLBACK_PARAM;
    if (commandInProgress() != PF_Cmd_SMART_RENDER || !output) {
        violation("checkout_output called outside smart render or with no place for the world");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (pixelsOut_.empty()) {
        violation("checkout_output before any input was checked out");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (outputCheckedOut_) {
        violation("checkout_output a second time");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (refuseOutput_) return refuseOutput_;
    if (!smartOutput_) return PF_Err_OUT_OF_MEMORY;
    outputCheckedOut_ = true;
    *output = smartOutput_;
    return PF_Err_NONE;
}

}  // namespace hostsim
