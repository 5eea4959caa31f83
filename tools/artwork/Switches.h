#pragma once
// Buttons, switches and lamps. Strips stack their frames top to bottom; every frame
// is opaque (it carries the panel behind it) because the switches repaint on the
// screen without the background underneath.
#include "Canvas.h"

namespace artwork {

// 3002 (off) and 3003 (on): frame 0 released, frame 1 held down.
Canvas drawPowerSwitch(const Canvas& background, bool on);
// 3012 (released look) and 3011 (pressed look, shown while the program menu is open).
Canvas drawProgramButton(const Canvas& background, bool menuOpen);
// 3010 (off) and 3009 (on), shared by the two filter switches.
Canvas drawFilterSwitch(const Canvas& background, bool on);
// 5016: the button in the top half; the lower half, never painted, repeats the panel.
Canvas drawSaveButton(const Canvas& background);
// 5019: three frames, MS, BPM and HOST lit in turn, one lamp per third of the width.
Canvas drawTimeModeIndicator(const Canvas& background);
// 5017: frame 0 the program as stored, frame 1 changed.
Canvas drawChangedMark(const Canvas& background);

} // namespace artwork
