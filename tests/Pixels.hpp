#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

// An image surface to render into and probe, in scene points with y up.
struct Pixel {
    int r, g, b, a;
    friend std::ostream& operator<<(std::ostream& os, const Pixel& p)
    {
        return os << "rgba(" << p.r << ", " << p.g << ", " << p.b << ", " << p.a << ')';
    }
};

class Canvas {
public:
    Canvas(int widthPoints, int heightPoints, double pixelScale = 1)
        : scale_(pixelScale), height_(heightPoints),
          surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(widthPoints * pixelScale),
                                              int(heightPoints * pixelScale)),
                   cairo_surface_destroy),
          cr_(cairo_create(surface_.get()), cairo_destroy)
    {
    }

    [[nodiscard]] cairo_t* cr() const { return cr_.get(); }
    [[nodiscard]] double scale() const { return scale_; }

    // The pixel under a scene point (y up), un-premultiplied.
    [[nodiscard]] Pixel at(double x, double y) const
    {
        cairo_surface_flush(surface_.get());
        int px = int(x * scale_), py = int((height_ - y) * scale_);
        int stride = cairo_image_surface_get_stride(surface_.get());
        const unsigned char* data = cairo_image_surface_get_data(surface_.get());
        std::uint32_t v = *reinterpret_cast<const std::uint32_t*>(data + py * stride + px * 4);
        int a = v >> 24;
        auto un = [a](int c) { return a ? (c * 255 + a / 2) / a : 0; };
        return {un((v >> 16) & 0xff), un((v >> 8) & 0xff), un(v & 0xff), a};
    }

    void writePng(const std::string& path) const { cairo_surface_write_to_png(surface_.get(), path.c_str()); }

private:
    double scale_;
    int height_;
    std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> surface_;
    std::unique_ptr<cairo_t, void (*)(cairo_t*)> cr_;
};
