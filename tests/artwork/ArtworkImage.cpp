#include "ArtworkImage.h"

#include <cstdint>

std::string ArtworkImage::pathOf(int number, const std::string& size)
{
    return std::string(KESTRUNE_ARTWORK_DIR) + "/" + std::to_string(number) + size + ".png";
}

ArtworkImage::ArtworkImage(int number, const std::string& size)
    : m_surface(cairo_image_surface_create_from_png(pathOf(number, size).c_str()))
{
    m_loaded = cairo_surface_status(m_surface) == CAIRO_STATUS_SUCCESS;
    if (m_loaded) {
        cairo_surface_flush(m_surface);
        m_width = cairo_image_surface_get_width(m_surface);
        m_height = cairo_image_surface_get_height(m_surface);
    }
}

ArtworkImage::~ArtworkImage() { cairo_surface_destroy(m_surface); }

Pixel ArtworkImage::pixel(int x, int y) const
{
    if (!m_loaded || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return {0, 0, 0, 0};
    const unsigned char* row = cairo_image_surface_get_data(m_surface) + y * cairo_image_surface_get_stride(m_surface);
    const uint32_t word = reinterpret_cast<const uint32_t*>(row)[x];
    const bool hasAlpha = cairo_image_surface_get_format(m_surface) == CAIRO_FORMAT_ARGB32;
    const int a = hasAlpha ? static_cast<int>(word >> 24) : 255;
    auto channel = [a](uint32_t premultiplied) {
        return a == 0 ? 0 : static_cast<int>((premultiplied * 255 + a / 2) / static_cast<uint32_t>(a));
    };
    return {channel((word >> 16) & 0xFF), channel((word >> 8) & 0xFF), channel(word & 0xFF), a};
}

double ArtworkImage::meanLuminance(int x0, int y0, int x1, int y1) const
{
    double sum = 0;
    int count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x, ++count)
            sum += pixel(x, y).luminance();
    return count ? sum / count : 0.0;
}
