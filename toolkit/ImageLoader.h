#pragma once
// Decodes image files into cairo image surfaces: PNG through cairo, JPEG through libjpeg,
// uncompressed BMP here. Images without an alpha channel come back as CAIRO_FORMAT_RGB24.
#include <cairo.h>

namespace VSTGUI {

class ImageLoader {
public:
    // Null when the file cannot be read or decoded. The caller destroys the surface.
    static cairo_surface_t* load(const char* path, const char* extension);
    static cairo_surface_t* loadPng(const char* path);
    static cairo_surface_t* loadJpeg(const char* path);
    static cairo_surface_t* loadBmp(const char* path);
};

} // namespace VSTGUI
