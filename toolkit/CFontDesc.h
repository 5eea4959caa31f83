#pragma once
// A font by name, size in points (one point is one pixel) and style bits.
#include "toolkit/CReferenceCounter.h"

#include <string>

typedef struct _PangoFontDescription PangoFontDescription;

namespace VSTGUI {

enum CTxtFace { kNormalFace = 0, kBoldFace = 1, kItalicFace = 2 };

class CFontDesc : public CReferenceCounter {
public:
    CFontDesc(const char* name = "Lucida Grande", long size = 12, long style = 0);
    ~CFontDesc() override;

    const char* getName() const { return name.c_str(); }
    long getSize() const { return size; }
    long getStyle() const { return style; }
    void setSize(long newSize);
    void setStyle(long newStyle);

    // The pango description, made on first use.
    const PangoFontDescription* getPlatformFont();
    // Size × bounding-box height ÷ units per em, truncated; 12 when the font cannot be resolved.
    int getLineHeight();

    // The toolkit's default font, "Lucida Grande" 12 plain, made on first use.
    static CFontDesc* systemFont();

private:
    void dropPlatformFont();

    std::string name;
    long size;
    long style;
    PangoFontDescription* platformFont = nullptr;
    int lineHeight = -1;
};

} // namespace VSTGUI
