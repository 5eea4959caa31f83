#include "Background.h"

#include "Knob.h"
#include "Paint.h"
#include "PanelLayout.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace artwork {
namespace {

using namespace layout;

constexpr double kPi = 3.14159265358979323846;

// Uniform numbers in [0, 1) from a generator whose sequence the standard fixes,
// so every build draws the same grain.
class Grain {
public:
    double next() { return (m_engine() - 1) / 2147483646.0; }

private:
    std::minstd_rand m_engine{20240611u};
};

// Brushed metal: horizontal streaks from noise averaged along each row, over a dark
// vertical gradient.
void fillBrushedMetal(Canvas& canvas)
{
    const int w = canvas.width(), h = canvas.height();
    cairo_surface_t* surface = canvas.surface();
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);

    // The streaks keep their length in units at every scale.
    const int kStreak = static_cast<int>(std::lround(31 * canvas.scale()));
    Grain grain;
    std::vector<double> noise(static_cast<size_t>(w + kStreak));
    for (int y = 0; y < h; ++y) {
        const Rgb base = mix(palette::kPanelTop, palette::kPanelBottom, static_cast<double>(y) / (h - 1));
        const double rowShade = (grain.next() - 0.5) * 0.012;
        for (double& n : noise)
            n = grain.next();
        double sum = 0;
        for (int i = 0; i < kStreak; ++i)
            sum += noise[static_cast<size_t>(i)];
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < w; ++x) {
            const double streak = sum / kStreak - 0.5;
            sum += noise[static_cast<size_t>(x + kStreak)] - noise[static_cast<size_t>(x)];
            const double shade = rowShade + streak * 0.07 + (grain.next() - 0.5) * 0.012;
            auto channel = [shade](double v) {
                return static_cast<uint32_t>(std::lround(std::clamp(v + shade, 0.0, 1.0) * 255.0));
            };
            row[x] = 0xFF000000u | channel(base.r) << 16 | channel(base.g) << 8 | channel(base.b);
        }
    }
    cairo_surface_mark_dirty(surface);
}

void drawHeaderBar(cairo_t* cr)
{
    cairo_rectangle(cr, 0, 0, kPanel.width, kHeaderBottom);
    setColor(cr, palette::kHeaderBar, 0.72);
    cairo_fill(cr);
    cairo_rectangle(cr, 0, kHeaderBottom, kPanel.width, 1);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.8);
    cairo_fill(cr);
    cairo_rectangle(cr, 0, kHeaderBottom + 1, kPanel.width, 1);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.10);
    cairo_fill(cr);
}

void drawLogo(cairo_t* cr)
{
    const double right = kPanel.width - 22.0;
    const TextStyle name{"Liberation Sans", true, true, 27.0, 0.5, {0.90, 0.92, 0.94}};
    drawLabel(cr, "Kestrune", name, right, 22, Align::Right);
    const TextStyle subtitle{"Liberation Sans", false, false, 7.5, 2.4, palette::kSectionTitle};
    drawText(cr, "STEREO MODULATED DELAY", subtitle, right, 41, Align::Right);
}

// A groove cut into the panel: dark line with a light line beside it.
void drawGrooveLine(cairo_t* cr, double x0, double y0, double x1, double y1)
{
    const bool vertical = x0 == x1;
    const double dx = vertical ? 1.0 : 0.0, dy = vertical ? 0.0 : 1.0;
    cairo_set_line_width(cr, 1.0);
    cairo_move_to(cr, x0 + 0.5, y0 + 0.5);
    cairo_line_to(cr, x1 + 0.5, y1 + 0.5);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.55);
    cairo_stroke(cr);
    cairo_move_to(cr, x0 + 0.5 + dx, y0 + 0.5 + dy);
    cairo_line_to(cr, x1 + 0.5 + dx, y1 + 0.5 + dy);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.07);
    cairo_stroke(cr);
}

void drawGroovesAndTitles(cairo_t* cr)
{
    // Titles sit in gaps of the grooves; clip the gaps out while cutting the grooves.
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, kPanel.width, kPanel.height);
    for (const SectionTitle& title : kSectionTitles) {
        const double half = textWidth(cr, title.text, type::kSection) / 2.0 + 8.0;
        cairo_rectangle(cr, title.cx + half, title.cy - 6, -2 * half, 12);
    }
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(cr);
    for (const Groove& g : kGrooves)
        drawGrooveLine(cr, g.x0, g.y0, g.x1, g.y1);
    cairo_restore(cr);
    for (const SectionTitle& title : kSectionTitles)
        drawLabel(cr, title.text, type::kSection, title.cx, title.cy, Align::Center);
}

std::string decibelText(int db)
{
    char text[8];
    std::snprintf(text, sizeof text, db > 0 ? "+%d" : "%d", db);
    return text;
}

// The recess both meters of a side sit in, and the dB scale beside it, with each
// mark on the row where the meter's lit part starts for that level.
void drawMeterPair(cairo_t* cr, int firstLeft, bool scaleOnLeft)
{
    const int right = firstLeft + (kMeterLefts[1] - kMeterLefts[0]) + kMeter.width;
    drawWell(cr, firstLeft - 2, kMeterTop - 2, right - firstLeft + 4, kMeter.height + 3, 2.5);
    for (int db : kMeterScaleDb) {
        const int row = static_cast<int>(kMeterRowAtZeroDb - kMeterRowsPerDb * db);
        const double y = kMeterTop + row + 0.5;
        const double tickStart = scaleOnLeft ? firstLeft - 7 : right + 3;
        cairo_move_to(cr, tickStart, y);
        cairo_line_to(cr, tickStart + 4, y);
        setColor(cr, palette::kScale, db == 0 ? 0.95 : 0.6);
        cairo_set_line_width(cr, 1.0);
        cairo_stroke(cr);
        const double textX = scaleOnLeft ? tickStart - 2 : tickStart + 6;
        drawText(cr, decibelText(db), type::kScale, textX, y, scaleOnLeft ? Align::Right : Align::Left);
    }
}

void drawDisplays(cairo_t* cr)
{
    for (const Display& display : kDisplays) {
        drawDisplayGlass(cr, display.glass);
        if (*display.unit != '\0')
            drawLabel(cr, display.unit, type::kUnit, display.glass.right + 4.0, display.field.centerY() - 2.0, Align::Left);
    }
}

void drawLabels(cairo_t* cr)
{
    for (const Label& label : kLabels) {
        const TextStyle& style = label.kind == LabelKind::Name ? type::kLabel : type::kScale;
        drawLabel(cr, label.text, style, label.x, label.cy, label.align);
    }
}

void drawScrew(cairo_t* cr, double cx, double cy)
{
    constexpr double r = 4.5;
    cairo_arc(cr, cx, cy + 0.8, r + 0.5, 0, 2 * kPi);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
    cairo_fill(cr);
    setLinearGradient(cr, cx - r, cy - r, cx + r, cy + r, {{0, {0.55, 0.56, 0.58}, 1}, {1, {0.20, 0.21, 0.22}, 1}});
    cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
    cairo_fill(cr);
    // A hex socket.
    for (int i = 0; i < 6; ++i) {
        const double a = kPi / 6 + i * kPi / 3;
        cairo_line_to(cr, cx + 2.0 * std::cos(a), cy + 2.0 * std::sin(a));
    }
    cairo_close_path(cr);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.75);
    cairo_fill(cr);
}

void drawFrameEdges(cairo_t* cr)
{
    cairo_set_line_width(cr, 1.0);
    cairo_rectangle(cr, 0.5, 0.5, kPanel.width - 1, kPanel.height - 1);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.9);
    cairo_stroke(cr);
    cairo_move_to(cr, 1.5, kPanel.height - 1.5);
    cairo_line_to(cr, 1.5, 1.5);
    cairo_line_to(cr, kPanel.width - 1.5, 1.5);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.12);
    cairo_stroke(cr);
}

} // namespace

Canvas drawBackground(double scale)
{
    Canvas canvas(kPanel.width, kPanel.height, scale);
    cairo_t* cr = canvas.cr();
    fillBrushedMetal(canvas);
    drawHeaderBar(cr);
    drawLogo(cr);
    drawGroovesAndTitles(cr);
    drawMeterPair(cr, kMeterLefts[0], true);
    drawMeterPair(cr, kMeterLefts[2], false);
    drawDisplays(cr);
    drawKnobScale(cr, kTimeKnob);
    for (const Rect& knob : kSmallKnobs)
        drawKnobScale(cr, knob);
    drawLabels(cr);
    for (double x : {9.0, kPanel.width - 9.0})
        for (double y : {9.0, kPanel.height - 9.0})
            drawScrew(cr, x, y);
    drawFrameEdges(cr);
    return canvas;
}

} // namespace artwork
