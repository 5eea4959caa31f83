#include "Canvas.h"

#include <utility>

namespace artwork {

Canvas::Canvas(int width, int height)
    : m_width(width),
      m_height(height),
      m_surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      m_cr(cairo_create(m_surface))
{
}

Canvas::~Canvas() { release(); }

Canvas::Canvas(Canvas&& other) noexcept
    : m_width(std::exchange(other.m_width, 0)),
      m_height(std::exchange(other.m_height, 0)),
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
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, source.surface(), x - sourceX, y - sourceY);
    cairo_paint(cr);
    cairo_destroy(cr);
}

bool Canvas::writePng(const std::string& path) const
{
    cairo_surface_flush(m_surface);
    return cairo_surface_write_to_png(m_surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

Canvas drawFrameStrip(int width, int frameHeight, int frames, const FrameDrawer& drawFrame, Backdrop backdrop)
{
    Canvas strip(width, frameHeight * frames);
    cairo_t* cr = strip.cr();
    for (int frame = 0; frame < frames; ++frame) {
        if (backdrop.canvas)
            strip.copyFrom(*backdrop.canvas, backdrop.x, backdrop.y, 0, frame * frameHeight, width, frameHeight);
        cairo_save(cr);
        cairo_translate(cr, 0, frame * frameHeight);
        cairo_rectangle(cr, 0, 0, width, frameHeight);
        cairo_clip(cr);
        drawFrame(cr, frame);
        cairo_restore(cr);
    }
    return strip;
}

} // namespace artwork
