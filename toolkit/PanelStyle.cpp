#include "toolkit/PanelStyle.h"

#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"

namespace VSTGUI {
namespace PanelStyle {

CFontDesc* textFont()
{
    static CFontDesc* font = new CFontDesc("Arial", 13, kNormalFace);
    return font;
}

CFontDesc* boldFont()
{
    static CFontDesc* font = new CFontDesc("Arial", 13, kBoldFace);
    return font;
}

void paintBackground(CDrawContext* context, const CRect0& size)
{
    context->setFillColor(kMetal);
    context->drawRect(size, kDrawFilled);
    context->setFillColor(kHeader);
    context->drawRect(CRect0(size.left, size.top, size.right, size.top + 4), kDrawFilled);
    context->setFrameColor(kEdge);
    context->drawRect(size, kDrawStroked);
}

void paintWell(CDrawContext* context, const CRect0& rect, bool focused)
{
    context->setFillColor(kGlass);
    context->setFrameColor(focused ? kAccent : kEdge);
    context->drawRect(rect, kDrawFilledAndStroked);
}

void paintButton(CDrawContext* context, const CRect0& rect, const std::string& caption, bool isDefault, bool pressed,
                 bool focused)
{
    context->setFillColor(pressed ? kButtonPressed : kButton);
    context->setFrameColor(focused ? kAccent : kEdge);
    context->drawRect(rect, kDrawFilledAndStroked);
    if (focused) {
        const CRect0 inner(rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1);
        context->drawRect(inner, kDrawStroked);
    }
    context->setFont(isDefault ? boldFont() : textFont());
    context->setFontColor(isDefault ? kAccent : kLabel);
    context->drawString(caption.c_str(), rect, false, kCenterText);
}

} // namespace PanelStyle
} // namespace VSTGUI
