#include "Paint.h"

#include <pango/pangocairo.h>

#include <string>

namespace artwork {

void setColor(cairo_t* cr, Rgb color, double alpha)
{
    cairo_set_source_rgba(cr, color.r, color.g, color.b, alpha);
}

namespace {

void setGradient(cairo_t* cr, cairo_pattern_t* pattern, std::initializer_list<GradientStop> stops)
{
    for (const GradientStop& stop : stops)
        cairo_pattern_add_color_stop_rgba(pattern, stop.offset, stop.color.r, stop.color.g, stop.color.b, stop.alpha);
    cairo_set_source(cr, pattern);
    cairo_pattern_destroy(pattern); // the context keeps its own reference
}

} // namespace

void setLinearGradient(cairo_t* cr, double x0, double y0, double x1, double y1,
                       std::initializer_list<GradientStop> stops)
{
    setGradient(cr, cairo_pattern_create_linear(x0, y0, x1, y1), stops);
}

void setRadialGradient(cairo_t* cr, double cx0, double cy0, double r0, double cx1, double cy1, double r1,
                       std::initializer_list<GradientStop> stops)
{
    setGradient(cr, cairo_pattern_create_radial(cx0, cy0, r0, cx1, cy1, r1), stops);
}

Rgb mix(Rgb a, Rgb b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius)
{
    constexpr double kQuarter = 1.5707963267948966;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, -kQuarter, 0);
    cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, kQuarter);
    cairo_arc(cr, x + radius, y + h - radius, radius, kQuarter, 2 * kQuarter);
    cairo_arc(cr, x + radius, y + radius, radius, 2 * kQuarter, 3 * kQuarter);
    cairo_close_path(cr);
}

namespace {

// A pango layout for the text in the style, with grey antialiasing and no hinting so
// that the bitmaps come out the same on every machine.
PangoLayout* makeLayout(cairo_t* cr, std::string_view text, const TextStyle& style)
{
    PangoLayout* layout = pango_cairo_create_layout(cr);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    PangoContext* context = pango_layout_get_context(layout);
    pango_cairo_context_set_font_options(context, options);
    // Whole-pixel glyph positions make letter-spaced capitals look unevenly spaced.
    pango_context_set_round_glyph_positions(context, FALSE);
    pango_layout_context_changed(layout);
    cairo_font_options_destroy(options);

    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, style.family);
    pango_font_description_set_weight(font, style.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(font, style.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(font, style.sizePx * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);

    PangoAttrList* attributes = pango_attr_list_new();
    pango_attr_list_insert(attributes, pango_attr_letter_spacing_new(static_cast<int>(style.letterSpacingPx * PANGO_SCALE)));
    pango_layout_set_attributes(layout, attributes);
    pango_attr_list_unref(attributes);

    const std::string owned(text);
    pango_layout_set_text(layout, owned.c_str(), static_cast<int>(owned.size()));
    return layout;
}

// Ink width without the trailing letter spacing, so centred text is centred.
double visibleWidth(PangoLayout* layout, const TextStyle& style)
{
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    return logical.width / static_cast<double>(PANGO_SCALE) - style.letterSpacingPx;
}

} // namespace

double textWidth(cairo_t* cr, std::string_view text, const TextStyle& style)
{
    PangoLayout* layout = makeLayout(cr, text, style);
    const double width = visibleWidth(layout, style);
    g_object_unref(layout);
    return width;
}

void drawText(cairo_t* cr, std::string_view text, const TextStyle& style, double x, double cy, Align align)
{
    PangoLayout* layout = makeLayout(cr, text, style);
    const double width = visibleWidth(layout, style);
    // Centre on the height of capitals rather than the line box, which carries
    // descender space and would make labels sit high.
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    const double baseline = pango_layout_iter_get_baseline(iter) / static_cast<double>(PANGO_SCALE);
    pango_layout_iter_free(iter);
    const double capHeight = style.sizePx * 0.72;

    double left = x;
    if (align == Align::Center)
        left = x - width / 2.0;
    else if (align == Align::Right)
        left = x - width;

    cairo_save(cr);
    setColor(cr, style.color);
    cairo_move_to(cr, left, cy + capHeight / 2.0 - baseline);
    pango_cairo_show_layout(cr, layout);
    cairo_restore(cr);
    g_object_unref(layout);
}

void drawLabel(cairo_t* cr, std::string_view text, const TextStyle& style, double x, double cy, Align align)
{
    TextStyle shadow = style;
    shadow.color = {0, 0, 0};
    cairo_push_group(cr);
    drawText(cr, text, shadow, x, cy + 1.0, align);
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, 0.75);
    drawText(cr, text, style, x, cy, align);
}

void drawWell(cairo_t* cr, double x, double y, double w, double h, double radius)
{
    // Light lip along the lower edge, where the recess wall catches the light.
    roundedRect(cr, x, y + 1, w, h, radius);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.10);
    cairo_fill(cr);

    roundedRect(cr, x, y, w, h, radius);
    setColor(cr, palette::kWell);
    cairo_fill_preserve(cr);
    cairo_save(cr);
    cairo_clip(cr);
    setLinearGradient(cr, 0, y, 0, y + 5, {{0, kBlack, 0.75}, {1, kBlack, 0}});
    cairo_paint(cr);
    cairo_restore(cr);
}

void drawDisplayGlass(cairo_t* cr, const Rect& glass)
{
    const double x = glass.left, y = glass.top, w = glass.width(), h = glass.height();
    drawWell(cr, x - 1, y - 1, w + 2, h + 2, 4);

    roundedRect(cr, x, y, w, h, 3);
    setLinearGradient(cr, 0, y, 0, y + h, {{0, palette::kGlass, 1}, {1, {0.035, 0.055, 0.068}, 1}});
    cairo_fill(cr);

    // A faint reflection across the upper half of the glass.
    cairo_save(cr);
    roundedRect(cr, x, y, w, h, 3);
    cairo_clip(cr);
    constexpr Rgb kSky{0.6, 0.85, 1.0};
    setLinearGradient(cr, 0, y, 0, y + h * 0.5, {{0, kSky, 0.07}, {1, kSky, 0}});
    cairo_rectangle(cr, x, y, w, h * 0.5);
    cairo_fill(cr);
    cairo_restore(cr);
}

void drawLamp(cairo_t* cr, double cx, double cy, double r, Rgb color, bool lit)
{
    if (lit) {
        setRadialGradient(cr, cx, cy, r * 0.5, cx, cy, r * 3.0, {{0, color, 0.45}, {1, color, 0}});
        cairo_arc(cr, cx, cy, r * 3.0, 0, 6.283185307179586);
        cairo_fill(cr);
    }
    cairo_arc(cr, cx, cy, r + 1.0, 0, 6.283185307179586);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.8);
    cairo_fill(cr);

    const Rgb core = lit ? mix(color, {1, 1, 1}, 0.55) : mix(color, {0, 0, 0}, 0.78);
    const Rgb edge = lit ? color : mix(color, {0, 0, 0}, 0.88);
    setRadialGradient(cr, cx - r * 0.3, cy - r * 0.3, 0, cx, cy, r, {{0, core, 1}, {1, edge, 1}});
    cairo_arc(cr, cx, cy, r, 0, 6.283185307179586);
    cairo_fill(cr);
}

void drawLedBar(cairo_t* cr, double x, double y, double w, double h, Rgb color, bool lit)
{
    if (lit) {
        const double spread = h * 2.0;
        cairo_save(cr);
        roundedRect(cr, x - spread, y - spread, w + 2 * spread, h + 2 * spread, spread + h / 2);
        cairo_set_source_rgba(cr, color.r, color.g, color.b, 0.16);
        cairo_fill(cr);
        roundedRect(cr, x - spread / 2, y - spread / 2, w + spread, h + spread, spread / 2 + h / 2);
        cairo_set_source_rgba(cr, color.r, color.g, color.b, 0.22);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    roundedRect(cr, x - 1, y - 1, w + 2, h + 2, (h + 2) / 2);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.85);
    cairo_fill(cr);
    const Rgb top = lit ? mix(color, {1, 1, 1}, 0.6) : mix(color, {0, 0, 0}, 0.80);
    const Rgb bottom = lit ? color : mix(color, {0, 0, 0}, 0.88);
    setLinearGradient(cr, 0, y, 0, y + h, {{0, top, 1}, {1, bottom, 1}});
    roundedRect(cr, x, y, w, h, h / 2);
    cairo_fill(cr);
}

void drawButtonCap(cairo_t* cr, double x, double y, double w, double h, double radius, int depth)
{
    const bool pressed = depth > 0;
    const double drop = depth;
    // Shadow on the floor of the well: long when raised, short when pressed.
    roundedRect(cr, x, y + (pressed ? 1.0 : 2.0), w, h, radius);
    cairo_set_source_rgba(cr, 0, 0, 0, pressed ? 0.35 : 0.6);
    cairo_fill(cr);

    y += drop;
    const double top = 0.40 - 0.05 * depth;
    const double bottom = 0.21 - 0.02 * depth;
    setLinearGradient(cr, 0, y, 0, y + h,
                      {{0, {top, top + 0.01, top + 0.02}, 1}, {1, {bottom, bottom + 0.01, bottom + 0.02}, 1}});
    roundedRect(cr, x, y, w, h, radius);
    cairo_fill(cr);

    // Bevel: a light top edge and a dark outline.
    roundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, radius - 0.5);
    setLinearGradient(cr, 0, y, 0, y + h, {{0, kWhite, pressed ? 0.18 : 0.35}, {0.5, kWhite, 0}, {1, kBlack, 0.35}});
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

} // namespace artwork
