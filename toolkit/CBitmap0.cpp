#include "toolkit/CBitmap0.h"

#include "port/Diagnostics.h"

#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame0.h"
#include "toolkit/ImageLoader.h"
#include "toolkit/PixelScale.h"
#include "toolkit/ResourceFolder.h"

#include <cairo.h>
#include <cmath>
#include <cstdint>
#include <string>
#include <sys/stat.h>

namespace VSTGUI {

CBitmap0::CBitmap0(long number, double wanted) : resourceNumber(number) { loadFromResources(validScale(wanted)); }

CBitmap0::CBitmap0(CFrame0* frame, CCoord w, CCoord h, double pixelsPerUnit) : blank(true)
{
    scale = pixelsPerUnit > 0 ? pixelsPerUnit : (frame ? frame->getScale() : 1.0);
    if (w <= 0 || h <= 0 || w > 32767 || h > 32767)
        return;
    const int pixelsWide = int(unitsToPixels(double(w), scale));
    const int pixelsHigh = int(unitsToPixels(double(h), scale));
    cairo_surface_t* made = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixelsWide, pixelsHigh);
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

bool CBitmap0::loadFile(const std::string& path, const char* extension, double fileScale)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    surface = ImageLoader::load(path.c_str(), extension);
    if (!surface) {
        LogDiagnostic("*** Bitmap Nr.:%ld could not be decoded (%s).", resourceNumber, path.c_str());
        return true;
    }
    scale = fileScale;
    width = CCoord(std::lround(cairo_image_surface_get_width(surface) / scale));
    height = CCoord(std::lround(cairo_image_surface_get_height(surface) / scale));
    noAlpha = cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32;
    return true;
}

void CBitmap0::loadFromResources(double wanted)
{
    const std::string folder = GetResourceFolder();
    if (folder.empty())
        return;
    static const char* const extensions[] = {"png", "bmp", "jpg", "pict"};
    if (wanted != 1.0 && loadFile(folder + scaledFileName(resourceNumber, wanted, "png"), "png", wanted))
        return;
    for (const char* extension : extensions)
        if (loadFile(folder + scaledFileName(resourceNumber, 1.0, extension), extension, 1.0))
            return;
    LogDiagnostic("*** Bitmap Nr.:%d not found.", int(resourceNumber));
}

void CBitmap0::setTransparentColor(const CColor& colour)
{
    transparentColor = colour;
    if (!surface || blank || !noAlpha || cairo_image_surface_get_format(surface) != CAIRO_FORMAT_RGB24)
        return;
    // Replace the opaque image by a copy in which the key colour is see-through.
    const int pixelsWide = cairo_image_surface_get_width(surface);
    const int pixelsHigh = cairo_image_surface_get_height(surface);
    cairo_surface_t* masked = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixelsWide, pixelsHigh);
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
    for (int y = 0; y < pixelsHigh; ++y) {
        auto* src = reinterpret_cast<const uint32_t*>(in + y * inStride);
        auto* dst = reinterpret_cast<uint32_t*>(out + y * outStride);
        for (int x = 0; x < pixelsWide; ++x) {
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
    context->drawImage(surface, scale, ordered.normalize(), offset, alpha / 255.0);
}

} // namespace VSTGUI
