// The Drawbot raster over Cairo.
#include <cairo.h>

#include <cstring>
#include <stdexcept>

#include "hostsim/DrawbotRaster.h"

namespace hostsim {
namespace {

class CairoRaster : public DrawbotRaster {
public:
    CairoRaster(int width, int height, int zoom)
        : zoom_(zoom), clip_{0, 0, width, height},
          surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width * zoom, height * zoom)) {
        if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(surface_);
            throw std::runtime_error("cannot make a Cairo surface");
        }
    }
    ~CairoRaster() override { cairo_surface_destroy(surface_); }
    CairoRaster(const CairoRaster&) = delete;
    CairoRaster& operator=(const CairoRaster&) = delete;

    void clear(uint8_t red, uint8_t green, uint8_t blue) override {
        cairo_t* cr = cairo_create(surface_);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_rgb(cr, red / 255.0, green / 255.0, blue / 255.0);
        cairo_paint(cr);
        cairo_destroy(cr);
    }

    void setClip(int left, int top, int right, int bottom) override {
        clip_[0] = left;
        clip_[1] = top;
        clip_[2] = right;
        clip_[3] = bottom;
    }

    void stroke(const std::vector<PathSegment>& path, const DrawbotColor& color, float width) override {
        cairo_t* cr = pathContext(path);
        cairo_set_source_rgba(cr, color.red, color.green, color.blue, color.alpha);
        cairo_set_line_width(cr, width);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
        cairo_stroke(cr);
        cairo_destroy(cr);
    }

    void fill(const std::vector<PathSegment>& path, const DrawbotColor& color, bool winding) override {
        cairo_t* cr = pathContext(path);
        cairo_set_source_rgba(cr, color.red, color.green, color.blue, color.alpha);
        cairo_set_fill_rule(cr, winding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
        cairo_fill(cr);
        cairo_destroy(cr);
    }

    void image(const PremultipliedImage& image, float x, float y, float opacity) override {
        if (image.width <= 0 || image.height <= 0) return;
        const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, image.width);
        std::vector<uint8_t> pixels(static_cast<size_t>(stride) * static_cast<size_t>(image.height));
        for (int row = 0; row < image.height; ++row) {
            std::memcpy(&pixels[static_cast<size_t>(row) * stride], &image.bgra[static_cast<size_t>(row) * image.width * 4],
                        static_cast<size_t>(image.width) * 4);
        }
        // Cairo's ARGB32 is a native-endian 32-bit word: bytes B, G, R, A here.
        cairo_surface_t* source = cairo_image_surface_create_for_data(pixels.data(), CAIRO_FORMAT_ARGB32, image.width,
                                                                      image.height, stride);
        cairo_t* cr = context();
        cairo_set_source_surface(cr, source, x, y);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        cairo_paint_with_alpha(cr, opacity);
        cairo_destroy(cr);
        cairo_surface_destroy(source);
    }

    Rgba8Image read() const override {
        cairo_surface_flush(surface_);
        Rgba8Image out;
        out.width = cairo_image_surface_get_width(surface_);
        out.height = cairo_image_surface_get_height(surface_);
        out.rgba.resize(static_cast<size_t>(out.width) * out.height * 4);
        const uint8_t* data = cairo_image_surface_get_data(surface_);
        const int stride = cairo_image_surface_get_stride(surface_);
        for (int y = 0; y < out.height; ++y) {
            for (int x = 0; x < out.width; ++x) {
                const uint8_t* p = data + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 4;
                uint8_t* q = &out.rgba[(static_cast<size_t>(y) * out.width + x) * 4];
                const int a = p[3];
                const auto straight = [a](int c) { return a == 0 ? 0 : (c * 255 + a / 2) / a; };
                q[0] = static_cast<uint8_t>(straight(p[2]));
                q[1] = static_cast<uint8_t>(straight(p[1]));
                q[2] = static_cast<uint8_t>(straight(p[0]));
                q[3] = static_cast<uint8_t>(a);
            }
        }
        return out;
    }

private:
    // A context in control coordinates, clipped to the clip rectangle.
    cairo_t* context() const {
        cairo_t* cr = cairo_create(surface_);
        cairo_scale(cr, zoom_, zoom_);
        cairo_rectangle(cr, clip_[0], clip_[1], clip_[2] - clip_[0], clip_[3] - clip_[1]);
        cairo_clip(cr);
        return cr;
    }

    // A context holding the path, shifted so that pixel centres lie on whole coordinates.
    cairo_t* pathContext(const std::vector<PathSegment>& path) const {
        cairo_t* cr = context();
        cairo_translate(cr, 0.5, 0.5);
        cairo_new_path(cr);
        for (const PathSegment& s : path) {
            switch (s.kind) {
                case PathSegment::Move: cairo_move_to(cr, s.v[0], s.v[1]); break;
                case PathSegment::Line: cairo_line_to(cr, s.v[0], s.v[1]); break;
                case PathSegment::Bezier: cairo_curve_to(cr, s.v[0], s.v[1], s.v[2], s.v[3], s.v[4], s.v[5]); break;
                case PathSegment::Rect: cairo_rectangle(cr, s.v[0], s.v[1], s.v[2], s.v[3]); break;
                case PathSegment::Close: cairo_close_path(cr); break;
            }
        }
        return cr;
    }

    int zoom_;
    int clip_[4];
    cairo_surface_t* surface_;
};

}  // namespace

std::unique_ptr<DrawbotRaster> makeDrawbotRaster(int width, int height, int zoom) {
    return std::make_unique<CairoRaster>(width, height, zoom);
}

}  // namespace hostsim
