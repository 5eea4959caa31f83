#include "toolkit/ImageLoader.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

namespace VSTGUI {
namespace {

constexpr int kMaxSide = 16384; // refuses absurd headers before allocating

cairo_surface_t* newRgbSurface(int width, int height)
{
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
        return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    return surface;
}

uint32_t rgbPixel(unsigned r, unsigned g, unsigned b) { return 0xFF000000u | (r << 16) | (g << 8) | b; }

struct JpegError {
    jpeg_error_mgr manager;
    jmp_buf jump;
};

void jpegFail(j_common_ptr info)
{
    longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

uint32_t readLe32(const unsigned char* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }
uint16_t readLe16(const unsigned char* p) { return uint16_t(p[0] | (p[1] << 8)); }

} // namespace

cairo_surface_t* ImageLoader::load(const char* path, const char* extension)
{
    if (!path || !extension)
        return nullptr;
    if (std::strcmp(extension, "png") == 0)
        return loadPng(path);
    if (std::strcmp(extension, "jpg") == 0)
        return loadJpeg(path);
    if (std::strcmp(extension, "bmp") == 0)
        return loadBmp(path);
    return nullptr; // PICT has no decoder on this platform
}

cairo_surface_t* ImageLoader::loadPng(const char* path)
{
    cairo_surface_t* surface = cairo_image_surface_create_from_png(path);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return surface;
}

cairo_surface_t* ImageLoader::loadJpeg(const char* path)
{
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return nullptr;
    jpeg_decompress_struct info;
    JpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jpegFail;
    // Declared before setjmp so that a decoding error can release it.
    cairo_surface_t* volatile surface = nullptr;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        std::fclose(file);
        if (surface)
            cairo_surface_destroy(surface);
        return nullptr;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    surface = newRgbSurface(int(info.output_width), int(info.output_height));
    if (!surface || info.output_components != 3) {
        jpeg_destroy_decompress(&info);
        std::fclose(file);
        if (surface)
            cairo_surface_destroy(surface);
        return nullptr;
    }
    std::vector<unsigned char> row(size_t(info.output_width) * 3);
    unsigned char* pixels = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = {row.data()};
        const unsigned y = info.output_scanline;
        jpeg_read_scanlines(&info, rows, 1);
        auto* out = reinterpret_cast<uint32_t*>(pixels + size_t(y) * size_t(stride));
        for (unsigned x = 0; x < info.output_width; ++x)
            out[x] = rgbPixel(row[x * 3], row[x * 3 + 1], row[x * 3 + 2]);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    cairo_surface_mark_dirty(surface);
    return surface;
}

cairo_surface_t* ImageLoader::loadBmp(const char* path)
{
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return nullptr;
    std::vector<unsigned char> data;
    unsigned char chunk[65536];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        data.insert(data.end(), chunk, chunk + got);
    std::fclose(file);

    if (data.size() < 54 || data[0] != 'B' || data[1] != 'M')
        return nullptr;
    const uint32_t pixelOffset = readLe32(&data[10]);
    const int32_t width = int32_t(readLe32(&data[18]));
    const int32_t rawHeight = int32_t(readLe32(&data[22]));
    const uint16_t bits = readLe16(&data[28]);
    const uint32_t compression = readLe32(&data[30]);
    const bool topDown = rawHeight < 0;
    const int64_t height = topDown ? -int64_t(rawHeight) : rawHeight;
    // Only the uncompressed true-colour forms; 32-bit bit fields are taken as BGRX.
    if ((bits != 24 && bits != 32) || !(compression == 0 || (compression == 3 && bits == 32)))
        return nullptr;
    if (height > kMaxSide)
        return nullptr;
    cairo_surface_t* surface = newRgbSurface(width, int(height));
    if (!surface)
        return nullptr;
    const size_t rowBytes = ((size_t(bits) * size_t(width) + 31) / 32) * 4;
    if (pixelOffset > data.size() || rowBytes * size_t(height) > data.size() - pixelOffset) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    unsigned char* pixels = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const size_t step = bits / 8;
    for (int64_t y = 0; y < height; ++y) {
        const unsigned char* in = &data[pixelOffset + rowBytes * size_t(topDown ? y : height - 1 - y)];
        auto* out = reinterpret_cast<uint32_t*>(pixels + size_t(y) * size_t(stride));
        for (int32_t x = 0; x < width; ++x, in += step)
            out[x] = rgbPixel(in[2], in[1], in[0]);
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

} // namespace VSTGUI
