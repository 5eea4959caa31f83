#pragma once
// Knob strips: 61 frames stacked top to bottom, frame k showing the pointer at
// 30 + 5k degrees, the angle the knob controls compute for that frame. Angles run
// clockwise on screen from straight down, so 30 is lower left, 180 straight up and
// 330 lower right.
#include "Canvas.h"
#include "PanelLayout.h"

namespace artwork {

struct Direction {
    double x, y; // screen coordinates, y down
};

Direction pointerDirection(double degrees);
double frameAngle(int frame);

// Bitmap 3004: used by eight knobs over different parts of the panel, so the area
// around the knob is transparent.
Canvas drawSmallKnobStrip(double scale = 1.0);
// Bitmap 5020: the time knob draws without transparency, so each frame carries the
// piece of `background` behind it.
Canvas drawLargeKnobStrip(const Canvas& background);

// The scale printed on the panel around a knob's place.
void drawKnobScale(cairo_t* cr, const Rect& place);

} // namespace artwork
