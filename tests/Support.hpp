#pragma once
// What the tests share: a folder of their own, an image surface to render into and probe, and
// the stored pictures that pin looks.

#include "Clock.hpp"
#include "SKView.hpp"
#include "SoundPlayer.hpp"

#include <cairo.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>

// A fresh folder of the test's own, gone with it.
struct TempDir {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        ("tarvenko-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
         std::to_string(getpid()));
    TempDir() { std::filesystem::remove_all(dir), std::filesystem::create_directories(dir); }
    ~TempDir() { std::filesystem::remove_all(dir); }
    void write(const std::string& name, const std::string& text) const { std::ofstream(dir / name) << text; }
};

// A socket listening at FOLDER/NAME (a display's, say), unanswered: its fd.
inline int listeningSocket(const std::filesystem::path& folder, const char* name)
{
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{AF_UNIX, {}};
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s/%s", folder.c_str(), name);
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) + listen(fd, 4), 0);
    return fd;
}

// A view of 800 × 600 points on a manual clock, its sounds recorded: step() is a frame of 1/60 s.
struct ViewStage {
    ManualClock clock{5000};
    RecordingSoundPlayer sound;
    SKView view{{800, 600}, clock, sound};
    void step(int frames = 1, double each = 1.0 / 60)
    {
        for (int i = 0; i < frames; ++i) clock.advance(each), view.tick();
    }
};

// An image surface to render into and probe, in scene points with y up.
struct Pixel { int r, g, b, a; };

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

    [[nodiscard]] cairo_surface_t* surface() const { return surface_.get(); }

    // How many of its pixels differ from another canvas's of the same size.
    [[nodiscard]] long differingPixels(const Canvas& other) const
    {
        cairo_surface_flush(surface_.get()), cairo_surface_flush(other.surface());
        auto* a = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface_.get()));
        auto* b = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(other.surface()));
        long differing = 0;
        for (int i = 0, n = cairo_image_surface_get_stride(surface_.get()) / 4 * int(height_ * scale_); i < n; ++i)
            differing += a[i] != b[i];
        return differing;
    }

private:
    double scale_;
    int height_;
    std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> surface_;
    std::unique_ptr<cairo_t, void (*)(cairo_t*)> cr_;
};

// Whether a drawing matches its stored picture, tests/golden/FILE, within a rounding's worth: at
// most 4 channel values off by more than 24. `make golden` (TARVENKO_WRITE_GOLDEN) stores it
// anew; a mismatch leaves golden-failed-FILE in the working folder.
inline bool matchesGolden(cairo_surface_t* drawn, const std::string& file)
{
    std::string golden = std::string(TARVENKO_GOLDEN_DIR) + "/" + file;
    cairo_surface_flush(drawn);
    if (std::getenv("TARVENKO_WRITE_GOLDEN")) cairo_surface_write_to_png(drawn, golden.c_str());
    cairo_surface_t* expected = cairo_image_surface_create_from_png(golden.c_str());
    int width = cairo_image_surface_get_width(drawn), height = cairo_image_surface_get_height(drawn), off = 0;
    bool same = cairo_surface_status(expected) == CAIRO_STATUS_SUCCESS &&
                cairo_image_surface_get_width(expected) == width && cairo_image_surface_get_height(expected) == height;
    const unsigned char *a = cairo_image_surface_get_data(drawn), *b = cairo_image_surface_get_data(expected);
    int sa = cairo_image_surface_get_stride(drawn), sb = cairo_image_surface_get_stride(expected);
    for (int y = 0; same && y < height; ++y)
        for (int x = 0; x < width * 4; ++x) off += std::abs(a[y * sa + x] - b[y * sb + x]) > 24;
    cairo_surface_destroy(expected);
    if (!same || off > 4) cairo_surface_write_to_png(drawn, ("golden-failed-" + file).c_str());
    return same && off <= 4;
}
