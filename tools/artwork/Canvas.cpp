#include "Canvas.h"

#include "toolkit/PixelScale.h"

#include <utility>

using VSTGUI::unitsToPixels;

namespace artwork {

Canvas::Canvas(int width, int height, double scale)
    : Canvas(ofPixels(int(unitsToPixels(width, scale)), int(unitsToPixels(height, scale)), scale))
{
}

Canvas Canvas::ofPixels(int pixelsWide, int pixelsHigh, double scale)
{
    Canvas canvas(pixelsWide, pixelsHigh, scale, 0);
    return canvas;
}

Canvas::Canvas(int pixelsWide, int pixelsHigh, double scale, int)
    : m_width(pixelsWide),
      m_height(pixelsHigh),
      m_scale(scale),
      m_surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixelsWide, pixelsHigh)),
      m_cr(cairo_create(m_surface))
{
    cairo_scale(m_cr, scale, scale);
}

double Canvas::pixels(double units) const { return unitsToPixels(units, m_scale); }

void Canvas::placeAt(double x, double y) const
{
    cairo_identity_matrix(m_cr);
    cairo_translate(m_cr, pixels(x), pixels(y));
    cairo_scale(m_cr, m_scale, m_scale);
}

Canvas::~Canvas() { release(); }

Canvas::Canvas(Canvas&& other) noexcept
    : m_width(std::exchange(other.m_width, 0)),
      m_height(std::exchange(other.m_height, 0)),
      m_scale(other.m_scale),
      m_surface(std::exchange(other.m_surface, nullptr)),
      m_cr(std::exchange(other.m_cr, nullptr))
{
}

Canvas& Canvas::operator=(Canvas&& other) noexcept
{
    if (this != &other) {
        release();
        m_width = std::exchange(other.m_width, 0);
        m_height = std::exchange(other.m_height, 0);
        m_scale = other.m_scale;
        m_surface = std::exchange(other.m_surface, nullptr);
        m_cr = std::exchange(other.m_cr, nullptr);
    }
    return *this;
}

void Canvas::release()
{
    if (m_cr)
        cairo_destroy(m_cr);
    if (m_surface)
        cairo_surface_destroy(m_surface);
    m_cr = nullptr;
    m_surface = nullptr;
}

void Canvas::copyFrom(const Canvas& source, int sourceX, int sourceY, int x, int y, int w, int h)
{
    // A context of its own, so the copy lands in surface pixels whatever transform
    // or clip the drawing context holds at the moment.
    cairo_t* cr = cairo_create(m_surface);
    const double left = pixels(x);
    const double top = pixels(y);
    cairo_rectangle(cr, left, top, pixels(x + w) - left, pixels(y + h) - top);
    cairo_clip(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, source.surface(), left - source.pixels(sourceX), top - source.pixels(sourceY));
    cairo_paint(cr);
    cairo_destroy(cr);
}

bool Canvas::writePng(const std::string& path) const
{
    cairo_surface_flush(m_surface);
    return cairo_surface_write_to_png(m_surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

Canvas drawFrameStrip(int width, int frameHeight, int frames, const FrameDrawer& drawFrame, Backdrop backdrop,
                      double scale)
{
    Canvas strip(width, frameHeight * frames, backdrop.canvas ? backdrop.canvas->scale() : scale);
    cairo_t* cr = strip.cr();
    for (int frame = 0; frame < frames; ++frame) {
        if (backdrop.canvas)
            strip.copyFrom(*backdrop.canvas, backdrop.x, backdrop.y, 0, frame * frameHeight, width, frameHeight);
        cairo_save(cr);
        strip.placeAt(0, frame * frameHeight);
        const double rows = strip.pixels((frame + 1) * frameHeight) - strip.pixels(frame * frameHeight);
        cairo_rectangle(cr, 0, 0, strip.pixels(width) / strip.scale(), rows / strip.scale());
        cairo_clip(cr);
        drawFrame(cr, frame);
        cairo_restore(cr);
    }
    return strip;
}

} // namespace artwork
