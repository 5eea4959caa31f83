#pragma once
// Bitmap 3008: the level meter, unlit in the left half and lit in the right half,
// each half one meter wide. The editor shows the lit half from row 19 - 3.3 x dB
// down, so row 0 is +6 dB and each decibel is 3.3 rows. Opaque, because the meters
// are drawn straight onto the screen between repaints.
#include "Canvas.h"

namespace artwork {

Canvas drawMeter(double scale = 1.0);

// The level, in dB, that lights the meter from this row down.
double meterRowLevel(double row);

} // namespace artwork
