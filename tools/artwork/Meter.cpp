#include "Meter.h"

#include "Paint.h"
#include "PanelLayout.h"
#include "toolkit/PixelScale.h"

#include <algorithm>

namespace artwork {
namespace {

constexpr Rgb kGreen{0.30, 0.92, 0.46};
constexpr Rgb kYellow{1.00, 0.80, 0.22};
constexpr Rgb kRed{1.00, 0.26, 0.20};

// Segments of three rows: two lit, one dark.
constexpr int kSegmentRows = 3;

Rgb segmentColor(double level)
{
    if (level > 0.0)
        return kRed;
    if (level > -9.0)
        return kYellow;
    return kGreen;
}

// A column starting at pixel `left` and as wide as the first, so that the lit column
// covers every pixel the dark one does.
void drawColumn(const Canvas& canvas, int left, bool lit)
{
    const Size s = layout::kMeter;
    cairo_t* cr = canvas.cr();
    cairo_identity_matrix(cr);
    cairo_translate(cr, left, 0);
    cairo_scale(cr, canvas.scale(), canvas.scale());
    cairo_rectangle(cr, 0, 0, s.width, s.height);
    cairo_set_source_rgb(cr, 0.025, 0.027, 0.03);
    cairo_fill(cr);
    for (int top = 0; top < s.height; top += kSegmentRows) {
        const Rgb color = segmentColor(meterRowLevel(top));
        const Rgb face = lit ? color : mix(color, {0.05, 0.05, 0.05}, 0.84);
        const Rgb core = lit ? mix(color, {1, 1, 1}, 0.35) : face;
        const int rows = std::min(kSegmentRows - 1, s.height - top);
        // Brighter along the middle, like a diffused LED.
        setLinearGradient(cr, 1, 0, s.width - 1, 0, {{0, face, 1}, {0.5, core, 1}, {1, face, 1}});
        cairo_rectangle(cr, 1, top, s.width - 2, rows);
        cairo_fill(cr);
    }
}

} // namespace

double meterRowLevel(double row)
{
    return (layout::kMeterRowAtZeroDb - row) / layout::kMeterRowsPerDb;
}

Canvas drawMeter(double scale)
{
    const Size s = layout::kMeter;
    // Two columns of whole pixels each: the lit one is drawn from pixels(width) on.
    const int column = static_cast<int>(VSTGUI::unitsToPixels(s.width, scale));
    Canvas meter = Canvas::ofPixels(2 * column, static_cast<int>(VSTGUI::unitsToPixels(s.height, scale)), scale);
    cairo_set_antialias(meter.cr(), CAIRO_ANTIALIAS_NONE);
    drawColumn(meter, 0, false);
    drawColumn(meter, column, true);
    return meter;
}

} // namespace artwork
