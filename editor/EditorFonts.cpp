#include "editor/EditorFonts.h"

#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"

namespace {

// Made on first use (thread-safely, as a function-local static) and released when the
// library is unloaded or the process exits.
class SharedFont {
public:
    SharedFont(const char* name, long size, long style) : font(new VSTGUI::CFontDesc(name, size, style)) {}
    ~SharedFont() { font->forget(); }
    SharedFont(const SharedFont&) = delete;
    SharedFont& operator=(const SharedFont&) = delete;
    VSTGUI::CFontDesc* get() const { return font; }

private:
    VSTGUI::CFontDesc* font;
};

} // namespace

VSTGUI::CFontDesc* ValueFont()
{
    static SharedFont font("Helvetica", 11, VSTGUI::kNormalFace);
    return font.get();
}

VSTGUI::CFontDesc* TimeFont()
{
    static SharedFont font("Arial", 32, VSTGUI::kBoldFace);
    return font.get();
}

VSTGUI::CFontDesc* TempoFont()
{
    static SharedFont font("Arial", 16, VSTGUI::kBoldFace);
    return font.get();
}

void FitFontToWidth(VSTGUI::CDrawContext* context, VSTGUI::CFontDesc* font, long size, const char* text, double room)
{
    context->setFont(font, size);
    if (!font || !text)
        return;
    long current = size > 0 ? size : font->getSize();
    const long smallest = current * 6 / 10;
    while (current > smallest && context->getStringWidth(text) > room)
        context->setFont(font, --current);
}
