#include "Switches.h"

#include "Paint.h"
#include "PanelLayout.h"

#include <cmath>

namespace artwork {
namespace {

constexpr double kPi = 3.14159265358979323846;

// A strip of `frames` frames of the size of `place`, each starting from the panel
// behind `place`.
Canvas drawFrames(const Canvas& background, const Rect& place, int frames, const FrameDrawer& face)
{
    return drawFrameStrip(place.width(), place.height(), frames, face, {&background, place.left, place.top},
                          background.scale());
}

// Icons are stroked in round 1.6 to 1.8 pixel lines: lit in the display colour over
// a glow, or printed grey.
void beginIcon(cairo_t* cr, double cx, double cy, bool lit, double lineWidth)
{
    if (lit) {
        setRadialGradient(cr, cx, cy, 0, cx, cy, 10, {{0, palette::kAccent, 0.35}, {1, palette::kAccent, 0}});
        cairo_arc(cr, cx, cy, 10, 0, 2 * kPi);
        cairo_fill(cr);
    }
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, lineWidth);
    if (lit)
        setColor(cr, mix(palette::kAccent, kWhite, 0.25));
    else
        cairo_set_source_rgb(cr, 0.66, 0.68, 0.70);
}

// A square push button in its well, pushed `depth` pixels in; returns the centre of
// the cap's face.
void drawPushButton(cairo_t* cr, int depth, double& cx, double& cy)
{
    const Size s = layout::kPushButton;
    drawWell(cr, 0.5, 0.5, s.width - 1, s.height - 2, 6);
    const double inset = 3.5;
    drawButtonCap(cr, inset, inset - 0.5, s.width - 2 * inset, s.height - 2 * inset - 1, 4, depth);
    cx = s.width / 2.0;
    cy = s.height / 2.0 - 0.5 + depth;
}

void drawPowerIcon(cairo_t* cr, double cx, double cy, bool lit)
{
    beginIcon(cr, cx, cy, lit, 1.8);
    cairo_arc(cr, cx, cy + 0.5, 5.0, -kPi / 2 + 0.75, -kPi / 2 - 0.75 + 2 * kPi);
    cairo_stroke(cr);
    cairo_move_to(cr, cx, cy - 5.5);
    cairo_line_to(cr, cx, cy + 0.5);
    cairo_stroke(cr);
}

void drawListIcon(cairo_t* cr, double cx, double cy, bool lit)
{
    beginIcon(cr, cx, cy, lit, 1.6);
    for (int i = -1; i <= 1; ++i) {
        cairo_move_to(cr, cx - 5.0, cy + i * 3.5);
        cairo_line_to(cr, cx + 5.0, cy + i * 3.5);
    }
    cairo_stroke(cr);
}

void drawSaveIcon(cairo_t* cr, double cx, double cy)
{
    beginIcon(cr, cx, cy, false, 1.6);
    cairo_move_to(cr, cx, cy - 5.5);
    cairo_line_to(cr, cx, cy + 1.5);
    cairo_move_to(cr, cx - 3.5, cy - 2.0);
    cairo_line_to(cr, cx, cy + 1.5);
    cairo_line_to(cr, cx + 3.5, cy - 2.0);
    cairo_move_to(cr, cx - 5.5, cy + 2.5);
    cairo_line_to(cr, cx - 5.5, cy + 5.0);
    cairo_line_to(cr, cx + 5.5, cy + 5.0);
    cairo_line_to(cr, cx + 5.5, cy + 2.5);
    cairo_stroke(cr);
}

} // namespace

Canvas drawPowerSwitch(const Canvas& background, bool on)
{
    return drawFrames(background, layout::kPowerSwitch, 2, [on](cairo_t* cr, int frame) {
        double cx = 0, cy = 0;
        drawPushButton(cr, frame, cx, cy);
        drawPowerIcon(cr, cx, cy, on);
    });
}

Canvas drawProgramButton(const Canvas& background, bool menuOpen)
{
    return drawFrames(background, layout::kProgramButton, 2, [menuOpen](cairo_t* cr, int frame) {
        // While its menu is open the button stays down; held under a finger it
        // goes one pixel further.
        double cx = 0, cy = 0;
        drawPushButton(cr, (menuOpen ? 1 : 0) + frame, cx, cy);
        drawListIcon(cr, cx, cy, menuOpen);
    });
}

Canvas drawSaveButton(const Canvas& background)
{
    const Rect& place = layout::kSaveButton;
    const Rect wholeArea{place.left, place.top, place.right, place.bottom + place.height()};
    return drawFrames(background, wholeArea, 1, [](cairo_t* cr, int) {
        double cx = 0, cy = 0;
        drawPushButton(cr, 0, cx, cy);
        drawSaveIcon(cr, cx, cy);
    });
}

Canvas drawFilterSwitch(const Canvas& background, bool on)
{
    return drawFrames(background, layout::kHpfSwitch, 2, [on](cairo_t* cr, int frame) {
        const Size s = layout::kFilterSwitch;
        drawWell(cr, 0.5, 0.5, s.width - 1, s.height - 2, 5);
        drawButtonCap(cr, 2.5, 2.0, s.width - 5, s.height - 6, 3.5, frame);
        const double barWidth = 28;
        const double y = (s.height - 6) / 2.0 + 2.0 - 1.5 + (frame == 1 ? 1.0 : 0.0);
        drawLedBar(cr, (s.width - barWidth) / 2.0, y, barWidth, 3, palette::kAccent, on);
    });
}

Canvas drawTimeModeIndicator(const Canvas& background)
{
    return drawFrames(background, layout::kTimeModeSwitch, layout::kTimeModeStates, [](cairo_t* cr, int frame) {
        const Size s = layout::kTimeModeIndicator;
        const double third = s.width / static_cast<double>(layout::kTimeModeStates);
        drawWell(cr, 0.5, 0.5, s.width - 1, s.height - 2, 5);
        for (int state = 0; state < layout::kTimeModeStates; ++state) {
            const double left = third * state;
            if (state > 0) {
                cairo_rectangle(cr, left - 0.5, 2, 1, s.height - 5);
                cairo_set_source_rgba(cr, 1, 1, 1, 0.08);
                cairo_fill(cr);
            }
            const double barWidth = third - 26;
            drawLedBar(cr, left + 13, (s.height - 1) / 2.0 - 2.0, barWidth, 4, palette::kAccent, state == frame);
        }
    });
}

Canvas drawChangedMark(const Canvas& background)
{
    return drawFrames(background, layout::kChangedMarkArea, 2, [](cairo_t* cr, int frame) {
        const Size s = layout::kChangedMark;
        const bool changed = frame == 1;
        drawWell(cr, 0.5, 0.5, s.width - 1, s.height - 2, 6);
        const double cy = (s.height - 1) / 2.0;
        drawLamp(cr, 13, cy, 3.5, palette::kAmber, changed);
        TextStyle text = type::kLabel;
        text.sizePx = 8.5;
        text.letterSpacingPx = 1.0;
        text.color = changed ? palette::kAmber : Rgb{0.34, 0.35, 0.37};
        drawText(cr, "EDITED", text, 23, cy, Align::Left);
    });
}

} // namespace artwork
