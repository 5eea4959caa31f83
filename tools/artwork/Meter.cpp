#include "Meter.h"

#include "Paint.h"
#include "PanelLayout.h"

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

void drawColumn(cairo_t* cr, int left, bool lit)
{
    const Size s = layout::kMeter;
    cairo_rectangle(cr, left, 0, s.width, s.height);
    cairo_set_source_rgb(cr, 0.025, 0.027, 0.03);
    cairo_fill(cr);
    for (int top = 0; top < s.height; top += kSegmentRows) {
        const Rgb color = segmentColor(meterRowLevel(top));
        const Rgb face = lit ? color : mix(color, {0.05, 0.05, 0.05}, 0.84);
        const Rgb core = lit ? mix(color, {1, 1, 1}, 0.35) : face;
        const int rows = std::min(kSegmentRows - 1, s.height - top);
        // Brighter along the middle, like a diffused LED.
        setLinearGradient(cr, left + 1, 0, left + s.width - 1, 0, {{0, face, 1}, {0.5, core, 1}, {1, face, 1}});
        cairo_rectangle(cr, left + 1, top, s.width - 2, rows);
        cairo_fill(cr);
    }
}

} // namespace

double meterRowLevel(double row)
{
    return (layout::kMeterRowAtZeroDb - row) / layout::kMeterRowsPerDb;
}

Canvas drawMeter()
{
    const Size s = layout::kMeter;
    Canvas meter(2 * s.width, s.height);
    cairo_set_antialias(meter.cr(), CAIRO_ANTIALIAS_NONE);
    drawColumn(meter.cr(), 0, false);
    drawColumn(meter.cr(), s.width, true);
    return meter;
}

} // namespace artwork
