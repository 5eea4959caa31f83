#include "editor/CPanelSnapshot.h"

#include "editor/CDelayEditor.h"
#include "editor/CUIWindow.h"
#include "toolkit/CBitmap0.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame0.h"
#include "toolkit/PixelScale.h"

#include <cairo.h>

CPanelSnapshot::CPanelSnapshot(CDelayEditor& editor, double scale)
{
    scale = VSTGUI::validScale(scale);
    VSTGUI::CBitmap0* background = editor.GetBackground(scale);
    m_width = static_cast<int>(background->getWidth());
    m_height = static_cast<int>(background->getHeight());
    m_frame = new VSTGUI::CFrame0(VSTGUI::CRect0(0, 0, m_width, m_height), nullptr, nullptr, &editor, scale);
    m_view = new CUIWindow(m_frame);
    m_view->MakeWindow(&m_record, background, &editor);
    // One idle without drawing settles the controls, as the host's first idle would.
    m_view->idle(nullptr);
}

CPanelSnapshot::~CPanelSnapshot()
{
    delete m_view;
    m_frame->forget();
}

VSTGUI::CDrawContext* CPanelSnapshot::CreateContext(cairo_surface_t* surface)
{
    return new VSTGUI::CDrawContext(m_frame, surface, m_width, m_height);
}

int CPanelSnapshot::PixelWidth() const
{
    return static_cast<int>(VSTGUI::unitsToPixels(m_width, m_frame->getScale()));
}

int CPanelSnapshot::PixelHeight() const
{
    return static_cast<int>(VSTGUI::unitsToPixels(m_height, m_frame->getScale()));
}

cairo_surface_t* CPanelSnapshot::Paint()
{
    if (m_width <= 0 || m_height <= 0) return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, PixelWidth(), PixelHeight());
    VSTGUI::CDrawContext* context = CreateContext(surface);
    m_view->draw(context, 0, 0, m_width, m_height);
    context->forget();
    cairo_surface_flush(surface);
    return surface;
}

bool CPanelSnapshot::WritePng(const char* path)
{
    cairo_surface_t* surface = Paint();
    if (!surface) return false;
    const bool written = cairo_surface_write_to_png(surface, path) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return written;
}
