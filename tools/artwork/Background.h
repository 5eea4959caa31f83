#pragma once
// Bitmap 3005: the panel. Its size is the editor's size; it carries every printed
// name, unit and scale, the dark glass behind the text fields and the recesses the
// meters sit in.
#include "Canvas.h"

namespace artwork {

// The panel at scale pixels per unit.
Canvas drawBackground(double scale = 1.0);

} // namespace artwork
