#include "toolkit/CDrawContext.h"

#include "toolkit/CFontDesc.h"
#include "toolkit/FontMap.h"

#include <cairo.h>
#include <pango/pangocairo.h>

namespace VSTGUI {

CDrawContext::CDrawContext(CFrame0* owner, cairo_surface_t* surface, CCoord width, CCoord height)
    : frame(owner), target(nullptr), fullRect(0, 0, width, height), clipRect(fullRect)
{
    bindTarget(surface);
    setFont(CFontDesc::systemFont());
}

void CDrawContext::bindTarget(cairo_surface_t* surface)
{
    if (cr)
        cairo_destroy(cr);
    if (target)
        cairo_surface_destroy(target);
    cr = nullptr;
    target = surface;
    if (!target)
        return;
    cairo_surface_reference(target);
    cr = cairo_create(target);
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
        cairo_destroy(cr);
        cr = nullptr;
    }
}

CDrawContext::~CDrawContext()
{
    synchronize();
    if (font)
        font->forget();
    if (pangoContext)
        g_object_unref(pangoContext);
    if (cr)
        cairo_destroy(cr);
    if (target)
        cairo_surface_destroy(target);
}

void CDrawContext::setFrameColor(const CColor& colour) { frameColor = colour; }
void CDrawContext::setFillColor(const CColor& colour) { fillColor = colour; }
void CDrawContext::setFontColor(const CColor& colour) { fontColor = colour; }

void CDrawContext::setLineWidth(CCoord width)
{
    if (width > 0)
        lineWidth = width;
}

void CDrawContext::setFont(CFontDesc* newFont, long size, long style)
{
    if (!newFont)
        return;
    const long wantSize = size < 1 ? newFont->getSize() : size;
    const long wantStyle = style == -1 ? newFont->getStyle() : style;
    CFontDesc* chosen = newFont;
    if (wantSize != newFont->getSize() || wantStyle != newFont->getStyle())
        chosen = new CFontDesc(newFont->getName(), wantSize, wantStyle);
    else
        chosen->remember();
    if (font)
        font->forget();
    font = chosen;
    lineHeight = font->getLineHeight();
}

void CDrawContext::setClipRect(const CRect0& clip)
{
    clipRect = clip;
    clipRect.offset(offset.h, offset.v);
}

CRect0& CDrawContext::getClipRect(CRect0& clip) const
{
    clip = clipRect;
    clip.offset(-offset.h, -offset.v);
    return clip;
}

void CDrawContext::resetClipRect() { clipRect = fullRect; }

void CDrawContext::setSourceColour(const CColor& colour)
{
    cairo_set_source_rgba(cr, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0, colour.alpha / 255.0);
}

bool CDrawContext::beginDrawing(const CRect0* extra)
{
    if (!cr)
        return false;
    cairo_save(cr);
    cairo_rectangle(cr, double(clipRect.left), double(clipRect.top), double(clipRect.width()), double(clipRect.height()));
    cairo_clip(cr);
    if (extra) {
        cairo_rectangle(cr, double(extra->left + offset.h), double(extra->top + offset.v), double(extra->width()),
                        double(extra->height()));
        cairo_clip(cr);
    }
    cairo_set_antialias(cr, drawMode == kAntialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(cr, double(lineWidth));
    if (lineStyle == kLineOnOffDash) {
        const double dash = double(lineWidth);
        cairo_set_dash(cr, &dash, 1, 0.0);
    }
    return true;
}

void CDrawContext::endDrawing()
{
    cairo_restore(cr);
    drawn = true;
}

void CDrawContext::lineTo(const CPoint0& point)
{
    if (beginDrawing()) {
        // Odd widths straddle pixel centres, so a one-pixel line fills exactly one row or column.
        const double shift = (lineWidth % 2) ? 0.5 : 0.0;
        cairo_move_to(cr, double(penLoc.h + offset.h) + shift, double(penLoc.v + offset.v) + shift);
        cairo_line_to(cr, double(point.h + offset.h) + shift, double(point.v + offset.v) + shift);
        setSourceColour(frameColor);
        cairo_stroke(cr);
        endDrawing();
    }
    penLoc = point;
}

void CDrawContext::drawRect(const CRect0& rect, int style)
{
    if (!beginDrawing())
        return;
    CRect0 r = rect;
    r.normalize().offset(offset.h, offset.v);
    if (style == kDrawFilled || style == kDrawFilledAndStroked) {
        cairo_rectangle(cr, double(r.left), double(r.top), double(r.width()), double(r.height()));
        setSourceColour(fillColor);
        cairo_fill(cr);
    }
    if (style == kDrawStroked || style == kDrawFilledAndStroked) {
        // The outline runs through columns left .. right - 1 and rows top .. bottom - 1.
        const double shift = (lineWidth % 2) ? 0.5 : 0.0;
        cairo_rectangle(cr, double(r.left) + shift, double(r.top) + shift, double(r.width() - 1), double(r.height() - 1));
        setSourceColour(frameColor);
        cairo_stroke(cr);
    }
    endDrawing();
}

PangoLayout* CDrawContext::createLayout(const char* text)
{
    if (!pangoContext) {
        pangoContext = FontMap::createContext();
        // Unhinted metrics keep widths the same on screen and offscreen.
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        pango_cairo_context_set_font_options(pangoContext, options);
        cairo_font_options_destroy(options);
    }
    PangoLayout* layout = pango_layout_new(pangoContext);
    pango_layout_set_font_description(layout, font->getPlatformFont());
    pango_layout_set_text(layout, text, -1);
    pango_layout_set_single_paragraph_mode(layout, TRUE);
    return layout;
}

double CDrawContext::getStringWidth(const char* text)
{
    if (!text || !*text || !font)
        return 0.0;
    PangoLayout* layout = createLayout(text);
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    g_object_unref(layout);
    return double(logical.width) / PANGO_SCALE;
}

void CDrawContext::getString(const char* text, CCoord& width, CCoord& height)
{
    width = CCoord(getStringWidth(text));
    height = lineHeight;
}

double CDrawContext::textLeft(const CRect0& rect, int align, double textWidth) const
{
    if (align == kLeftText)
        return double(rect.left);
    if (align == kRightText)
        return double(rect.right) - textWidth;
    const float centre = float(rect.left) + float(rect.right - rect.left) * 0.5f - float(textWidth) * 0.5f;
    return double(CCoord(centre));
}

CCoord CDrawContext::textBaseline(const CRect0& rect) const
{
    const CCoord fontSize = font ? font->getSize() : 12;
    const CCoord mid = rect.bottom - (rect.bottom - rect.top) / 2;
    const CCoord a = fontSize / 2 + mid - 1;
    return a - (a - rect.top - lineHeight) / 2;
}

void CDrawContext::drawString(const char* text, const CRect0& rect, bool opaque, int align)
{
    if (!text || !font || !beginDrawing(&rect))
        return;
    if (opaque) {
        cairo_rectangle(cr, double(rect.left + offset.h), double(rect.top + offset.v), double(rect.width()),
                        double(rect.height()));
        setSourceColour(fillColor);
        cairo_fill(cr);
    }
    PangoLayout* layout = createLayout(text);
    pango_cairo_update_layout(cr, layout);
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    const double width = double(logical.width) / PANGO_SCALE;
    const double layoutBaseline = double(pango_layout_get_baseline(layout)) / PANGO_SCALE;
    const double x = textLeft(rect, align, width) + double(offset.h);
    const double y = double(textBaseline(rect) + offset.v) - layoutBaseline;
    cairo_move_to(cr, x, y);
    setSourceColour(fontColor);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
    endDrawing();
}

void CDrawContext::drawImage(cairo_surface_t* image, const CRect0& dest, const CPoint0& srcOffset, double alpha)
{
    if (!image || dest.isEmpty() || !beginDrawing(&dest))
        return;
    cairo_set_source_surface(cr, image, double(dest.left - srcOffset.h + offset.h), double(dest.top - srcOffset.v + offset.v));
    // Pixel-exact copies: no filtering between source pixels.
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    if (alpha >= 1.0)
        cairo_paint(cr);
    else
        cairo_paint_with_alpha(cr, alpha);
    endDrawing();
}

bool CDrawContext::synchronize()
{
    const bool wasDrawn = drawn;
    if (target && drawn)
        cairo_surface_flush(target);
    drawn = false;
    return wasDrawn;
}

} // namespace VSTGUI
