#pragma once
// Drawing vocabulary shared by all the bitmaps: colours, engraved text, recessed
// wells, dark display glass and lamp glow.
#include "PanelLayout.h"

#include <cairo.h>

#include <initializer_list>
#include <string_view>

namespace artwork {

struct Rgb {
    double r, g, b;
};

namespace palette {
inline constexpr Rgb kPanelTop{0.215, 0.225, 0.238};
inline constexpr Rgb kPanelBottom{0.150, 0.158, 0.170};
inline constexpr Rgb kHeaderBar{0.105, 0.110, 0.120};
inline constexpr Rgb kLabel{0.84, 0.86, 0.88};
inline constexpr Rgb kUnit{0.62, 0.65, 0.68};
inline constexpr Rgb kScale{0.70, 0.72, 0.75};
inline constexpr Rgb kAccent{101 / 255.0, 224 / 255.0, 254 / 255.0}; // the displays' text colour
inline constexpr Rgb kSectionTitle{0.42, 0.70, 0.80};
inline constexpr Rgb kGlass{0.020, 0.030, 0.038};
inline constexpr Rgb kWell{0.045, 0.048, 0.054};
inline constexpr Rgb kAmber{1.00, 0.66, 0.16};
inline constexpr Rgb kPointer{0.97, 0.97, 0.95};
} // namespace palette

struct TextStyle {
    const char* family;  // fontconfig name
    bool bold;
    bool italic;
    double sizePx;
    double letterSpacingPx;
    Rgb color;
};

namespace type {
inline constexpr TextStyle kLabel{"Liberation Sans", true, false, 9.0, 1.2, palette::kLabel};
inline constexpr TextStyle kUnit{"Liberation Sans", false, false, 9.0, 0.3, palette::kUnit};
inline constexpr TextStyle kScale{"Liberation Sans", false, false, 7.0, 0.0, palette::kScale};
inline constexpr TextStyle kSection{"Liberation Sans", true, false, 8.0, 2.2, palette::kSectionTitle};
} // namespace type

void setColor(cairo_t* cr, Rgb color, double alpha = 1.0);

struct GradientStop {
    double offset;
    Rgb color;
    double alpha;
};
inline constexpr Rgb kWhite{1, 1, 1};
inline constexpr Rgb kBlack{0, 0, 0};

// Make a linear gradient from (x0, y0) to (x1, y1), or a radial one, the source.
void setLinearGradient(cairo_t* cr, double x0, double y0, double x1, double y1,
                       std::initializer_list<GradientStop> stops);
void setRadialGradient(cairo_t* cr, double cx0, double cy0, double r0, double cx1, double cy1, double r1,
                       std::initializer_list<GradientStop> stops);
Rgb mix(Rgb a, Rgb b, double t);
void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);

// Text whose vertical centre is at cy; x is the left edge, centre or right edge.
void drawText(cairo_t* cr, std::string_view text, const TextStyle& style, double x, double cy, Align align);
// Silk-screened label: the text over a one-pixel dark shadow.
void drawLabel(cairo_t* cr, std::string_view text, const TextStyle& style, double x, double cy, Align align);
double textWidth(cairo_t* cr, std::string_view text, const TextStyle& style);

// A recess milled into the panel: dark floor, shadow at the top, light lip below.
void drawWell(cairo_t* cr, double x, double y, double w, double h, double radius);
// Dark glass of a text display around rect.
void drawDisplayGlass(cairo_t* cr, const Rect& glass);
// A lamp of radius r at (cx, cy); lit lamps get a soft halo.
void drawLamp(cairo_t* cr, double cx, double cy, double r, Rgb color, bool lit);
// A horizontal LED slot (lit or dark) filling the rectangle.
void drawLedBar(cairo_t* cr, double x, double y, double w, double h, Rgb color, bool lit);
// A raised button cap, pushed `depth` pixels in (0 up, 1 latched down, 2 held under a
// finger); the deeper, the darker and the shorter its shadow.
void drawButtonCap(cairo_t* cr, double x, double y, double w, double h, double radius, int depth);

} // namespace artwork
