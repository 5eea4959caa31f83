#include "toolkit/CBitmap0.h"

#include "port/Diagnostics.h"

#include "toolkit/CDrawContext.h"
#include "toolkit/ImageLoader.h"
#include "toolkit/ResourceFolder.h"

#include <cairo.h>
#include <cstdint>
#include <string>
#include <sys/stat.h>

namespace VSTGUI {

CBitmap0::CBitmap0(long number) : resourceNumber(number) { loadFromResources(); }

CBitmap0::CBitmap0(CFrame0*, CCoord w, CCoord h) : blank(true)
{
    if (w <= 0 || h <= 0 || w > 32767 || h > 32767)
        return;
    cairo_surface_t* made = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(w), int(h));
    if (cairo_surface_status(made) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(made);
        return;
    }
    surface = made; // cairo zeroes new image surfaces
    width = w;
    height = h;
}

CBitmap0::~CBitmap0()
{
    if (surface)
        cairo_surface_destroy(surface);
}

void CBitmap0::loadFromResources()
{
    const std::string folder = GetResourceFolder();
    if (folder.empty())
        return;
    static const char* const extensions[] = {"png", "bmp", "jpg", "pict"};
    for (const char* extension : extensions) {
        const std::string path = folder + std::to_string(resourceNumber) + "." + extension;
        struct stat info {};
        if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        surface = ImageLoader::load(path.c_str(), extension);
        if (!surface) {
            LogDiagnostic("*** Bitmap Nr.:%ld could not be decoded (%s).", resourceNumber, path.c_str());
            return;
        }
        width = cairo_image_surface_get_width(surface);
        height = cairo_image_surface_get_height(surface);
        noAlpha = cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32;
        return;
    }
    LogDiagnostic("*** Bitmap Nr.:%d not found.", int(resourceNumber));
}

void CBitmap0::setTransparentColor(const CColor& colour)
{
    transparentColor = colour;
    if (!surface || blank || !noAlpha || cairo_image_surface_get_format(surface) != CAIRO_FORMAT_RGB24)
        return;
    // Replace the opaque image by a copy in which the key colour is see-through.
    cairo_surface_t* masked = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(width), int(height));
    if (cairo_surface_status(masked) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(masked);
        return;
    }
    cairo_surface_flush(surface);
    cairo_surface_flush(masked);
    const uint32_t key = (uint32_t(colour.red) << 16) | (uint32_t(colour.green) << 8) | colour.blue;
    const unsigned char* in = cairo_image_surface_get_data(surface);
    unsigned char* out = cairo_image_surface_get_data(masked);
    const int inStride = cairo_image_surface_get_stride(surface);
    const int outStride = cairo_image_surface_get_stride(masked);
    for (CCoord y = 0; y < height; ++y) {
        auto* src = reinterpret_cast<const uint32_t*>(in + y * inStride);
        auto* dst = reinterpret_cast<uint32_t*>(out + y * outStride);
        for (CCoord x = 0; x < width; ++x) {
            const uint32_t rgb = src[x] & 0x00FFFFFFu;
            dst[x] = rgb == key ? 0u : (0xFF000000u | rgb);
        }
    }
    cairo_surface_mark_dirty(masked);
    cairo_surface_destroy(surface);
    surface = masked;
    noAlpha = false;
}

void CBitmap0::draw(CDrawContext* context, const CRect0& rect, const CPoint0& offset)
{
    drawAlphaBlend(context, rect, offset, 255);
}

void CBitmap0::drawTransparent(CDrawContext* context, const CRect0& rect, const CPoint0& offset)
{
    if (noAlpha && !blank)
        setTransparentColor(transparentColor);
    draw(context, rect, offset);
}

void CBitmap0::drawAlphaBlend(CDrawContext* context, const CRect0& rect, const CPoint0& offset, unsigned char alpha)
{
    if (!context || !surface)
        return;
    CRect0 ordered = rect;
    context->drawImage(surface, ordered.normalize(), offset, alpha / 255.0);
}

} // namespace VSTGUI
