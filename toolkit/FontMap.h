#pragma once
// The process-wide pango font map, made on first use (never at library load: fontconfig scans
// the disk) and guarded by a lock because several editors may open fonts.
#include <pango/pangocairo.h>

namespace VSTGUI {

class FontMap {
public:
    // A new pango context on the shared font map; the caller unrefs it.
    static PangoContext* createContext();
    // Loads the best installed match for the description; null when none. The caller unrefs it.
    static PangoFont* loadFont(const PangoFontDescription* desc);
};

} // namespace VSTGUI
