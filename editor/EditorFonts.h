#pragma once
// The panel's three fonts and its text colour, shared by every instance in the process.
// The fonts are made on first use, never at library load (resolving a font reads the disk).
#include <cstdint>

namespace VSTGUI {
class CFontDesc;
}

// Text colour of every value display: red 101, green 224, blue 254 (red in the lowest byte).
constexpr uint32_t colFont = 0x00FEE065;

VSTGUI::CFontDesc* ValueFont(); // "Helvetica" 11 plain
VSTGUI::CFontDesc* TimeFont();  // "Arial" 32 bold
VSTGUI::CFontDesc* TempoFont(); // "Arial" 16 bold

namespace VSTGUI {
class CDrawContext;
}
// Makes font current at size (0: its own), smaller when needed for text to fit room pixels:
// the face the font lookup falls back to may be wider than the one the panel is drawn for
// (DejaVu Sans for Arial). It shrinks to six tenths at most.
void FitFontToWidth(VSTGUI::CDrawContext* context, VSTGUI::CFontDesc* font, long size, const char* text, double room);
