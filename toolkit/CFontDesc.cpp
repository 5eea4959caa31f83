#include "toolkit/CFontDesc.h"

#include "toolkit/FontMap.h"

#include <cairo-ft.h>
#include <pango/pangocairo.h>

namespace VSTGUI {
namespace {

// Height of the face's box over units per em; 0 when unknown. The box is taken from the
// face's ascender and descender: the substitutes for the panel's fonts (Liberation for
// Arial) copy those from the originals exactly, while their glyph bounding box also spans
// extended scripts and would push text far below its baseline.
double boxHeightPerEm(PangoFont* font)
{
    if (!PANGO_IS_CAIRO_FONT(font))
        return 0.0;
    cairo_scaled_font_t* scaled = pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(font));
    if (!scaled || cairo_scaled_font_get_type(scaled) != CAIRO_FONT_TYPE_FT)
        return 0.0;
    FT_Face face = cairo_ft_scaled_font_lock_face(scaled);
    double ratio = 0.0;
    if (face && FT_IS_SCALABLE(face) && face->units_per_EM > 0)
        ratio = double(face->ascender - face->descender) / double(face->units_per_EM);
    cairo_ft_scaled_font_unlock_face(scaled);
    return ratio;
}

} // namespace

CFontDesc::CFontDesc(const char* fontName, long fontSize, long fontStyle)
    : name(fontName ? fontName : ""), size(fontSize), style(fontStyle)
{
}

CFontDesc::~CFontDesc() { dropPlatformFont(); }

void CFontDesc::setSize(long newSize)
{
    if (newSize != size) {
        size = newSize;
        dropPlatformFont();
    }
}

void CFontDesc::setStyle(long newStyle)
{
    if (newStyle != style) {
        style = newStyle;
        dropPlatformFont();
    }
}

void CFontDesc::dropPlatformFont()
{
    if (platformFont)
        pango_font_description_free(platformFont);
    platformFont = nullptr;
    lineHeight = -1;
}

const PangoFontDescription* CFontDesc::getPlatformFont()
{
    if (!platformFont) {
        platformFont = pango_font_description_new();
        pango_font_description_set_family(platformFont, name.c_str());
        pango_font_description_set_absolute_size(platformFont, double(size) * PANGO_SCALE);
        pango_font_description_set_weight(platformFont, (style & kBoldFace) ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
        pango_font_description_set_style(platformFont, (style & kItalicFace) ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    }
    return platformFont;
}

int CFontDesc::getLineHeight()
{
    if (lineHeight < 0) {
        lineHeight = 12;
        if (PangoFont* font = FontMap::loadFont(getPlatformFont())) {
            const double ratio = boxHeightPerEm(font);
            if (ratio > 0.0)
                lineHeight = int(double(size) * ratio);
            g_object_unref(font);
        }
    }
    return lineHeight;
}

CFontDesc* CFontDesc::systemFont()
{
    static CFontDesc* font = new CFontDesc("Lucida Grande", 12, kNormalFace);
    return font;
}

} // namespace VSTGUI
