#pragma once
// A generated panel bitmap read back from the bundle's Resources folder.
#include <cairo.h>

#include <string>

struct Pixel {
    int r, g, b, a; // 0 to 255, not premultiplied

    double luminance() const { return 0.2126 * r + 0.7152 * g + 0.0722 * b; }
};

class ArtworkImage {
public:
    // The 100 % bitmap, or with size "@1.5x" or "@2x" the one for that panel size.
    explicit ArtworkImage(int number, const std::string& size = "");
    ~ArtworkImage();
    ArtworkImage(const ArtworkImage&) = delete;
    ArtworkImage& operator=(const ArtworkImage&) = delete;

    bool loaded() const { return m_loaded; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    Pixel pixel(int x, int y) const;
    // Mean luminance of the block [x0, x1) x [y0, y1).
    double meanLuminance(int x0, int y0, int x1, int y1) const;

    static std::string pathOf(int number, const std::string& size = "");

private:
    cairo_surface_t* m_surface = nullptr;
    bool m_loaded = false;
    int m_width = 0;
    int m_height = 0;
};
