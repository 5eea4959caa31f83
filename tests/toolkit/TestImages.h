#pragma once
// Writes small images for the bitmap loader into a scratch Resources folder.
#include <cairo.h>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace toolkit_test {

// A scratch folder, removed when the object goes.
struct ScratchFolder {
    std::filesystem::path path;
    explicit ScratchFolder(const std::string& name)
        : path(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid())))
    {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder() { std::filesystem::remove_all(path); }
    std::string file(const std::string& name) const { return (path / name).string(); }
};

// Pixel (x, y) of the test pattern: distinct red and green per position, blue by band.
inline uint32_t patternPixel(int x, int y) { return uint32_t((x * 7) & 0xFF) << 16 | uint32_t((y * 5) & 0xFF) << 8 | uint32_t(y < 10 ? 40 : 200); }

// Writes a PNG of the pattern; with alpha, the first column is half transparent.
inline void writePatternPng(const std::string& path, int width, int height, bool alpha)
{
    cairo_surface_t* surface = cairo_image_surface_create(alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, width, height);
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t pixel = 0xFF000000u | patternPixel(x, y);
            if (alpha && x == 0)
                pixel = 0x80000000u | 0x00400000u; // premultiplied half-transparent dark red
            reinterpret_cast<uint32_t*>(data + y * stride)[x] = pixel;
        }
    cairo_surface_mark_dirty(surface);
    cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
}

// Writes a 24-bit bottom-up BMP filled with one colour.
inline void writeSolidBmp(const std::string& path, int width, int height, uint8_t r, uint8_t g, uint8_t b)
{
    const int rowBytes = (width * 3 + 3) & ~3;
    const uint32_t dataSize = uint32_t(rowBytes * height);
    std::vector<uint8_t> file(54 + dataSize, 0);
    auto put32 = [&](size_t at, uint32_t v) { for (int k = 0; k < 4; ++k) file[at + k] = uint8_t(v >> (8 * k)); };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, uint32_t(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(width));
    put32(22, uint32_t(height));
    file[26] = 1;
    file[28] = 24;
    put32(34, dataSize);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &file[54 + size_t(y * rowBytes + x * 3)];
            p[0] = b;
            p[1] = g;
            p[2] = r;
        }
    FILE* out = std::fopen(path.c_str(), "wb");
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);
}

// The pixel at (x, y) of an image surface, as 0xAARRGGBB (premultiplied).
inline uint32_t pixelAt(cairo_surface_t* surface, int x, int y)
{
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    return reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(surface))[x];
}

} // namespace toolkit_test
