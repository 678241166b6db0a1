#include "render/SmartRender.h"

#include <algorithm>
#include <cstdint>

#include "histogram/FrameHistogram.h"
#include "params/LiveCount.h"
#include "params/ParamIndices.h"
#include "render/LevelsSettingsReader.h"
#include "render/RenderCommand.h"
#include "render/WorldDepth.h"
#include "render/cpu/CpuLevelsRenderer.h"

namespace Ombrix::Levels {
namespace {

constexpr uint32_t kPreRenderMagic = 0x5A4C5052;  // 'ZLPR'

// What pre-render hands to smart render through the host.
struct PreRenderData {
    uint32_t magic = kPreRenderMagic;
    A_long checkoutId = kInputCheckoutId;
    PF_LRect inputRect{};   // where the checked-out input lies in the layer
    PF_LRect resultRect{};  // where the output lies in the layer
    A_long layerWidth = 0;  // the whole layer, for the histogram's grid
    A_long layerHeight = 0;
    LiveCount<PreRenderData> counted;
};

void deletePreRenderData(void* data) {
    auto* record = static_cast<PreRenderData*>(data);
    if (record && record->magic == kPreRenderMagic) {
        record->magic = 0;
        delete record;
    }
}

[[noreturn]] void refuse() { throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM); }

bool isEmpty(const PF_LRect& r) { return r.right <= r.left || r.bottom <= r.top; }

PF_LRect intersection(const PF_LRect& a, const PF_LRect& b) {
    PF_LRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
    if (isEmpty(r)) r = PF_LRect{0, 0, 0, 0};
    return r;
}

PF_LRect unionOf(const PF_LRect& a, const PF_LRect& b) {
    if (isEmpty(a)) return b;
    if (isEmpty(b)) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

bool depthOfBits(A_short bits, PixelFormatCode& depth) {
    switch (bits) {
        case 8: depth = kPixelFormat8; return true;
        case 16: depth = kPixelFormat16; return true;
        case 32: depth = kPixelFormat32; return true;
        default: return false;
    }
}

// Checks the input's pixels back in however the render ends.
class CheckedOutPixels {
public:
    CheckedOutPixels(PF_SmartRenderCallbacks* cb, PF_ProgPtr ref, A_long id) : cb_(cb), ref_(ref), id_(id) {}
    ~CheckedOutPixels() {
        if (held_) cb_->checkin_layer_pixels(ref_, id_);  // its result cannot change anything now
    }
    CheckedOutPixels(const CheckedOutPixels&) = delete;
    CheckedOutPixels& operator=(const CheckedOutPixels&) = delete;
    PF_Err checkOut(PF_EffectWorld** world) {
        const PF_Err err = cb_->checkout_layer_pixels(ref_, id_, world);
        held_ = err == PF_Err_NONE;
        return err;
    }

private:
    PF_SmartRenderCallbacks* cb_;
    PF_ProgPtr ref_;
    A_long id_;
    bool held_ = false;
};

// The part of `world` at (x, y), width x height pixels, as a world of its own.
PF_EffectWorld part(const PF_EffectWorld& world, int x, int y, int width, int height, int pixelBytes) {
    PF_EffectWorld view = world;
    view.data = reinterpret_cast<PF_PixelPtr>(reinterpret_cast<char*>(world.data) +
                                              static_cast<ptrdiff_t>(y) * world.rowbytes +
                                              static_cast<ptrdiff_t>(x) * pixelBytes);
    view.width = width;
    view.height = height;
    return view;
}

// What a transparent black pixel maps to, at `depth` (its first
// bytesPerPixel(depth) bytes).
struct MappedTransparent {
    alignas(16) unsigned char bytes[16] = {};
};
MappedTransparent mapTransparent(const SanitisedSettings& settings, PixelFormatCode depth) {
    alignas(16) unsigned char zero[16] = {};
    MappedTransparent mapped;
    PF_EffectWorld from{};
    from.data = reinterpret_cast<PF_PixelPtr>(zero);
    from.width = from.height = 1;
    from.rowbytes = sizeof(zero);
    PF_EffectWorld to = from;
    to.data = reinterpret_cast<PF_PixelPtr>(mapped.bytes);
    switch (depth) {
        case kPixelFormat8: renderLevels8(settings, from, to); break;
        case kPixelFormat16: renderLevels16(settings, from, to); break;
        case kPixelFormat32: renderLevelsFloat(settings, from, to); break;
    }
    return mapped;
}

// The pixels of `output` within width x height, but for the block `skip`
// (output coordinates, may be empty), set to `mapped`.
void fillAround(PF_EffectWorld& output, int width, int height, const PF_LRect& skip, const MappedTransparent& mapped,
                int pixelBytes) {
    for (int y = 0; y < height; ++y) {
        char* row = reinterpret_cast<char*>(output.data) + static_cast<ptrdiff_t>(y) * output.rowbytes;
        const bool skipRow = y >= skip.top && y < skip.bottom;
        for (int x = 0; x < width; ++x) {
            if (skipRow && x >= skip.left && x < skip.right) continue;
            std::copy(mapped.bytes, mapped.bytes + pixelBytes, row + static_cast<ptrdiff_t>(x) * pixelBytes);
        }
    }
}

// The output of a smart render from its checked-out input.
PF_Err renderResult(PF_InData* in_data, const SanitisedSettings& settings, const PreRenderData& record,
                    PF_EffectWorld& inputWorld, PF_EffectWorld& outputWorld, PixelFormatCode depth, LevelsPass* pass,
                    GridCounting* counting) {
    PF_EffectWorld* input = &inputWorld;
    PF_EffectWorld* output = &outputWorld;
    const PF_LRect& in = record.inputRect;
    const PF_LRect& out = record.resultRect;
    if (in.left == out.left && in.top == out.top && in.right == out.right && in.bottom == out.bottom) {
        return renderFrame(in_data, settings, *input, *output, depth, pass, counting);
    }
    // The output reaches past the input: transparent there, as it maps. Only
    // the result rectangle is written, however large the host's world is.
    const int resultWidth = std::min<int>(out.right - out.left, output->width);
    const int resultHeight = std::min<int>(out.bottom - out.top, output->height);
    if (isEmpty(out) || resultWidth <= 0 || resultHeight <= 0) return PF_Err_NONE;
    const MappedTransparent mapped = mapTransparent(settings, depth);
    const int pixelBytes = bytesPerPixel(depth);
    const PF_LRect both = intersection(in, out);
    const int width = std::min<int>(both.right - both.left,
                                    std::min(input->width - (both.left - in.left), resultWidth - (both.left - out.left)));
    const int height = std::min<int>(both.bottom - both.top, std::min(input->height - (both.top - in.top),
                                                                      resultHeight - (both.top - out.top)));
    PF_LRect rendered{0, 0, 0, 0};
    if (!isEmpty(both) && width > 0 && height > 0) {
        // The input's part first: a refusal there leaves the output untouched.
        PF_EffectWorld from = part(*input, both.left - in.left, both.top - in.top, width, height, pixelBytes);
        PF_EffectWorld to = part(*output, both.left - out.left, both.top - out.top, width, height, pixelBytes);
        const PF_Err drawn = renderFrame(in_data, settings, from, to, depth, pass, counting);
        if (drawn != PF_Err_NONE) return drawn;
        rendered = PF_LRect{both.left - out.left, both.top - out.top, both.left - out.left + width,
                            both.top - out.top + height};
    }
    fillAround(*output, resultWidth, resultHeight, rendered, mapped, pixelBytes);
    return PF_Err_NONE;
}

}  // namespace

int livePreRenderRecords() { return LiveCount<PreRenderData>::live(); }

PF_Err smartPreRender(PF_InData* in_data, PF_PreRenderExtra* extra) {
    if (!extra || !extra->input || !extra->output || !extra->cb || !extra->cb->checkout_layer) refuse();
    PixelFormatCode depth{};
    if (!depthOfBits(extra->input->bitdepth, depth)) refuse();

    // The host writes the checkout's result; it gets more room than the
    // members known here.
    alignas(8) unsigned char buffer[kCheckoutResultBufferBytes] = {};
    auto* checkout = reinterpret_cast<PF_CheckoutResult*>(buffer);
    const PF_Err err = extra->cb->checkout_layer(in_data->effect_ref, kParamInput, kInputCheckoutId,
                                                 &extra->input->output_request, in_data->current_time,
                                                 in_data->time_step, in_data->time_scale, checkout);
    if (err != PF_Err_NONE) return err;

    const SanitisedSettings settings = readLevelsSettings(in_data);
    const bool revealsTransparent =
        mappedAlpha(0.0f, settings) > 0.0f;

    auto record = new PreRenderData;
    record->inputRect = checkout->result_rect;
    PF_PreRenderOutput& out = *extra->output;
    out.result_rect = checkout->result_rect;
    out.max_result_rect = checkout->max_result_rect;
    if (revealsTransparent) {
        const PF_LRect layer{0, 0, checkout->ref_width, checkout->ref_height};
        out.max_result_rect = unionOf(checkout->max_result_rect, layer);
        out.result_rect = intersection(extra->input->output_request.rect, out.max_result_rect);
    }
    record->resultRect = out.result_rect;
    record->layerWidth = checkout->ref_width;
    record->layerHeight = checkout->ref_height;
    out.pre_render_data = record;
    out.delete_pre_render_data_func = deletePreRenderData;
    return PF_Err_NONE;
}

PF_Err smartRender(PF_InData* in_data, PF_SmartRenderExtra* extra, LevelsPass* pass) {
    if (!extra || !extra->input || !extra->cb || !extra->cb->checkout_layer_pixels ||
        !extra->cb->checkin_layer_pixels || !extra->cb->checkout_output) {
        refuse();
    }
    const auto* record = static_cast<const PreRenderData*>(extra->input->pre_render_data);
    if (!record || record->magic != kPreRenderMagic) refuse();  // no pre-render of this effect
    PixelFormatCode depth{};
    if (!depthOfBits(extra->input->bitdepth, depth)) refuse();

    CheckedOutPixels pixels(extra->cb, in_data->effect_ref, record->checkoutId);
    PF_EffectWorld* input = nullptr;
    PF_Err err = pixels.checkOut(&input);
    if (err != PF_Err_NONE) return err;
    if (!input) refuse();
    PF_EffectWorld* output = nullptr;
    err = extra->cb->checkout_output(in_data->effect_ref, &output);
    if (err != PF_Err_NONE) return err;
    if (!output) refuse();
    frameDepth(in_data, *input, *output, &depth);  // refuses before anything is written

    // The settings, once for the frame: a refused parameter fails it before
    // anything is written.
    const SanitisedSettings settings = readLevelsSettings(in_data);
    // A host that did not say how large the layer is gives no grid to count on.
    if (record->layerWidth <= 0 || record->layerHeight <= 0) {
        return renderResult(in_data, settings, *record, *input, *output, depth, pass, nullptr);
    }
    FrameHistogram histogram(in_data, record->layerWidth, record->layerHeight);
    return histogram.render(*input, depth, record->inputRect.left, record->inputRect.top,
                            [&](GridCounting* counting) {
                                return renderResult(in_data, settings, *record, *input, *output, depth, pass, counting);
                            });
}

}  // namespace Ombrix::Levels
