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
