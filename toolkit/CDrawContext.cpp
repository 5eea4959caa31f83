#include "toolkit/CDrawContext.h"

#include "toolkit/CFontDesc.h"
#include "toolkit/CFrame0.h"
#include "toolkit/FontMap.h"
#include "toolkit/PixelScale.h"

#include <algorithm>
#include <cairo.h>
#include <pango/pangocairo.h>

namespace VSTGUI {

CDrawContext::CDrawContext(CFrame0* owner, cairo_surface_t* surface, CCoord width, CCoord height)
    : frame(owner), target(nullptr), fullRect(0, 0, width, height), clipRect(fullRect),
      scale(owner ? owner->getScale() : 1.0)
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

double CDrawContext::toPixels(double units) const { return unitsToPixels(units, scale); }

double CDrawContext::deviceLineWidth() const { return std::max(1.0, unitsToPixels(double(lineWidth), scale)); }

double CDrawContext::lineCentre(CCoord u, double width) const
{
    // A line of width w units covers the units u - w/2 (rounded down) onwards, as at 100 %.
    return toPixels(double(u - lineWidth / 2)) + width / 2.0;
}

bool CDrawContext::beginDrawing(const CRect0* extra)
{
    if (!cr)
        return false;
    cairo_save(cr);
    auto clipTo = [this](CCoord left, CCoord top, CCoord right, CCoord bottom) {
        const double x = toPixels(double(left));
        const double y = toPixels(double(top));
        cairo_rectangle(cr, x, y, toPixels(double(right)) - x, toPixels(double(bottom)) - y);
        cairo_clip(cr);
    };
    clipTo(clipRect.left, clipRect.top, clipRect.right, clipRect.bottom);
    if (extra)
        clipTo(extra->left + offset.h, extra->top + offset.v, extra->right + offset.h, extra->bottom + offset.v);
    cairo_set_antialias(cr, drawMode == kAntialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
    const double width = deviceLineWidth();
    cairo_set_line_width(cr, width);
    if (lineStyle == kLineOnOffDash)
        cairo_set_dash(cr, &width, 1, 0.0);
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
        // Lines run through pixel centres, so a one-unit line fills whole device rows or columns.
        const double width = deviceLineWidth();
        cairo_move_to(cr, lineCentre(penLoc.h + offset.h, width), lineCentre(penLoc.v + offset.v, width));
        cairo_line_to(cr, lineCentre(point.h + offset.h, width), lineCentre(point.v + offset.v, width));
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
        const double x = toPixels(double(r.left));
        const double y = toPixels(double(r.top));
        cairo_rectangle(cr, x, y, toPixels(double(r.right)) - x, toPixels(double(r.bottom)) - y);
        setSourceColour(fillColor);
        cairo_fill(cr);
    }
    if (style == kDrawStroked || style == kDrawFilledAndStroked) {
        // The outline runs through columns left .. right - 1 and rows top .. bottom - 1.
        const double width = deviceLineWidth();
        const double x = lineCentre(r.left, width);
        const double y = lineCentre(r.top, width);
        cairo_rectangle(cr, x, y, lineCentre(r.right - 1, width) - x, lineCentre(r.bottom - 1, width) - y);
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
        setSourceColour(fillColor);
        cairo_paint(cr); // the clip is the rectangle
    }
    // Text is laid out in units and drawn at the device resolution, its baseline on a pixel edge.
    cairo_scale(cr, scale, scale);
    PangoLayout* layout = createLayout(text);
    pango_cairo_update_layout(cr, layout);
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    const double width = double(logical.width) / PANGO_SCALE;
    const double layoutBaseline = double(pango_layout_get_baseline(layout)) / PANGO_SCALE;
    const double x = textLeft(rect, align, width) + double(offset.h);
    const double y = toPixels(double(textBaseline(rect) + offset.v)) / scale - layoutBaseline;
    cairo_move_to(cr, x, y);
    setSourceColour(fontColor);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
    endDrawing();
}

void CDrawContext::drawImage(cairo_surface_t* image, double imageScale, const CRect0& dest, const CPoint0& srcOffset,
                            double alpha)
{
    if (!image || dest.isEmpty() || imageScale <= 0 || !beginDrawing(&dest))
        return;
    // The source offset and the destination are each put on whole pixels, as the artwork
    // places a strip's frames, so a frame's first row lands on the destination's first row.
    const double x = toPixels(double(dest.left + offset.h)) - toPixels(double(srcOffset.h));
    const double y = toPixels(double(dest.top + offset.v)) - toPixels(double(srcOffset.v));
    const double ratio = imageScale / scale;
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(image);
    cairo_matrix_t matrix;
    cairo_matrix_init_scale(&matrix, ratio, ratio);
    cairo_matrix_translate(&matrix, -x, -y);
    cairo_pattern_set_matrix(pattern, &matrix);
    // Pixel-exact copies when the image has the target's scale; an image of another scale
    // (a missing size of the artwork) is filtered.
    cairo_pattern_set_filter(pattern, ratio == 1.0 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_set_source(cr, pattern);
    if (alpha >= 1.0)
        cairo_paint(cr);
    else
        cairo_paint_with_alpha(cr, alpha);
    cairo_pattern_destroy(pattern);
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
