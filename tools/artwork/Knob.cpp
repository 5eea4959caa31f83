#include "Knob.h"

#include "Paint.h"

#include <cmath>

namespace artwork {
namespace {

constexpr double kPi = 3.14159265358979323846;

double radians(double degrees) { return degrees * kPi / 180.0; }

// Proportions of a knob of skirt radius r.
struct KnobShape {
    double skirt;     // outer radius of the knurled skirt
    double cap;       // radius of the top face
    double pointerIn; // pointer line from this radius...
    double pointerOut; // ...to this one
    double pointerWidth;
    int grips;
};

KnobShape shapeFor(int size)
{
    const double skirt = size == layout::kLargeKnob ? 41.0 : 18.5;
    return {skirt, skirt * 0.76, skirt * 0.22, skirt * 0.93, size == layout::kLargeKnob ? 4.0 : 2.4,
            size == layout::kLargeKnob ? 60 : 30};
}

// A one-pixel line just inside the circle of radius r, lit by `stops` from top to bottom.
void strokeRing(cairo_t* cr, double cx, double cy, double r, std::initializer_list<GradientStop> stops)
{
    cairo_arc(cr, cx, cy, r - 0.5, 0, 2 * kPi);
    setLinearGradient(cr, 0, cy - r, 0, cy + r, stops);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

void drawShadow(cairo_t* cr, double cx, double cy, double r)
{
    setRadialGradient(cr, cx, cy + r * 0.10, r * 0.85, cx, cy + r * 0.14, r * 1.18, {{0, kBlack, 0.65}, {1, kBlack, 0}});
    cairo_arc(cr, cx, cy + r * 0.12, r * 1.2, 0, 2 * kPi);
    cairo_fill(cr);
}

// The knurled skirt turns with the knob, so its grips move from frame to frame.
void drawSkirt(cairo_t* cr, double cx, double cy, const KnobShape& shape, double angle)
{
    setLinearGradient(cr, 0, cy - shape.skirt, 0, cy + shape.skirt,
                      {{0, {0.30, 0.31, 0.33}, 1}, {1, {0.07, 0.075, 0.08}, 1}});
    cairo_arc(cr, cx, cy, shape.skirt, 0, 2 * kPi);
    cairo_fill(cr);

    cairo_save(cr);
    cairo_arc(cr, cx, cy, shape.skirt, 0, 2 * kPi);
    cairo_clip(cr);
    cairo_set_line_width(cr, shape.skirt * 2 * kPi / shape.grips * 0.45);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
    for (int i = 0; i < shape.grips; ++i) {
        const Direction d = pointerDirection(angle + 360.0 * i / shape.grips);
        cairo_move_to(cr, cx + d.x * shape.cap, cy + d.y * shape.cap);
        cairo_line_to(cr, cx + d.x * (shape.skirt + 1), cy + d.y * (shape.skirt + 1));
    }
    cairo_stroke(cr);
    cairo_restore(cr);

    // Rim light from above.
    strokeRing(cr, cx, cy, shape.skirt, {{0, kWhite, 0.30}, {0.6, kWhite, 0}});
}

// Satin-black top face with the circular sheen of spun metal; the light is fixed,
// so the face looks the same in every frame.
void drawCap(cairo_t* cr, double cx, double cy, const KnobShape& shape)
{
    cairo_arc(cr, cx, cy, shape.cap + 1.0, 0, 2 * kPi);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.7);
    cairo_fill(cr);

    constexpr int kWedges = 180;
    for (int i = 0; i < kWedges; ++i) {
        const double a0 = 2 * kPi * i / kWedges;
        const double a1 = 2 * kPi * (i + 1) / kWedges + 0.01;
        const double highlight = std::pow(std::fabs(std::cos((a0 + a1) / 2 - radians(225))), 8.0);
        const double v = 0.13 + 0.16 * highlight;
        cairo_move_to(cr, cx, cy);
        cairo_arc(cr, cx, cy, shape.cap, a0, a1);
        cairo_close_path(cr);
        cairo_set_source_rgb(cr, v, v + 0.005, v + 0.012);
        cairo_fill(cr);
    }

    setRadialGradient(cr, cx - shape.cap * 0.3, cy - shape.cap * 0.4, 0, cx, cy, shape.cap,
                      {{0, kWhite, 0.10}, {1, kWhite, 0}});
    cairo_arc(cr, cx, cy, shape.cap, 0, 2 * kPi);
    cairo_fill(cr);

    strokeRing(cr, cx, cy, shape.cap, {{0, kWhite, 0.28}, {0.5, kWhite, 0.04}, {1, kWhite, 0.12}});
}

void drawPointer(cairo_t* cr, double cx, double cy, const KnobShape& shape, double angle)
{
    const Direction d = pointerDirection(angle);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, cx + d.x * shape.pointerIn, cy + d.y * shape.pointerIn);
    cairo_line_to(cr, cx + d.x * shape.pointerOut, cy + d.y * shape.pointerOut);
    cairo_set_line_width(cr, shape.pointerWidth + 1.6);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.55);
    cairo_stroke_preserve(cr);
    cairo_set_line_width(cr, shape.pointerWidth);
    setColor(cr, palette::kPointer);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

void drawKnob(cairo_t* cr, int size, double angle)
{
    const KnobShape shape = shapeFor(size);
    const double c = size / 2.0; // the controls put the centre in the middle pixel
    drawShadow(cr, c, c, shape.skirt);
    drawSkirt(cr, c, c, shape, angle);
    drawCap(cr, c, c, shape);
    drawPointer(cr, c, c, shape, angle);
}

} // namespace

Direction pointerDirection(double degrees)
{
    const double a = radians(degrees);
    return {-std::sin(a), std::cos(a)};
}

double frameAngle(int frame)
{
    return layout::kKnobMinAngle + (layout::kKnobMaxAngle - layout::kKnobMinAngle) * frame / (layout::kKnobFrames - 1);
}

Canvas drawSmallKnobStrip(double scale)
{
    constexpr int size = layout::kSmallKnob;
    return drawFrameStrip(
        size, size, layout::kKnobFrames, [](cairo_t* cr, int frame) { drawKnob(cr, size, frameAngle(frame)); },
        {nullptr, 0, 0}, scale);
}

Canvas drawLargeKnobStrip(const Canvas& background)
{
    constexpr int size = layout::kLargeKnob;
    const Rect& place = layout::kTimeKnob;
    return drawFrameStrip(
        size, size, layout::kKnobFrames, [](cairo_t* cr, int frame) { drawKnob(cr, size, frameAngle(frame)); },
        {&background, place.left, place.top}, background.scale());
}

void drawKnobScale(cairo_t* cr, const Rect& place)
{
    const bool large = place.width() == layout::kLargeKnob;
    const double cx = place.centerX();
    const double cy = place.centerY();
    const double inner = large ? 46.0 : 21.0;
    const int steps = large ? 30 : 10; // a tick every 10 (large) or 30 degrees
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int i = 0; i <= steps; ++i) {
        const bool major = !large || i % 3 == 0;
        const bool end = i == 0 || i == steps;
        const Direction d = pointerDirection(layout::kKnobMinAngle + (layout::kKnobMaxAngle - layout::kKnobMinAngle) * i / steps);
        const double outer = inner + (large ? (major ? 7.0 : 4.0) : (end ? 4.0 : 3.0));
        cairo_move_to(cr, cx + d.x * inner, cy + d.y * inner);
        cairo_line_to(cr, cx + d.x * outer, cy + d.y * outer);
        cairo_set_line_width(cr, major ? 1.4 : 1.0);
        setColor(cr, palette::kScale, end ? 0.95 : (major ? 0.7 : 0.45));
        cairo_stroke(cr);
    }
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

} // namespace artwork
