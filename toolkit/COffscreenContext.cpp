#include "toolkit/COffscreenContext.h"

#include "toolkit/CBitmap0.h"

namespace VSTGUI {
namespace {

constexpr long kDefaultSide = 20;

long sideOrDefault(long side) { return side > 0 ? side : kDefaultSide; }

} // namespace

COffscreenContext::COffscreenContext(CFrame0* owner, long width, long height, const CColor& background)
    : CDrawContext(owner, nullptr, sideOrDefault(width), sideOrDefault(height)),
      bitmap(new CBitmap0(owner, sideOrDefault(width), sideOrDefault(height)))
{
    setScale(bitmap->getScale());
    bindTarget(bitmap->getSurface());
    setFillColor(background);
    setFrameColor(background);
    drawRect(fullRect, kDrawFilledAndStroked);
}

COffscreenContext::COffscreenContext(CDrawContext* context, CBitmap0* source, bool drawInBitmap)
    : CDrawContext(context ? context->getFrame() : nullptr,
                   (drawInBitmap && source) ? source->getSurface() : nullptr,
                   source ? source->getWidth() : kDefaultSide, source ? source->getHeight() : kDefaultSide),
      bitmap(nullptr)
{
    if (context)
        setScale(context->getScale());
    if (drawInBitmap && source) {
        setScale(source->getScale());
        bitmap = source;
        bitmap->remember();
        return;
    }
    bitmap = new CBitmap0(frame, fullRect.right, fullRect.bottom, getScale());
    bindTarget(bitmap->getSurface());
    if (source) {
        source->draw(this, fullRect);
    } else {
        setFillColor(kBlackCColor);
        drawRect(fullRect, kDrawFilled);
    }
}

COffscreenContext::~COffscreenContext()
{
    synchronize();
    if (bitmap)
        bitmap->forget();
}

void COffscreenContext::copyFrom(CDrawContext* destination, const CRect0& destRect, const CPoint0& srcOffset)
{
    if (!destination || !target)
        return;
    synchronize();
    destination->drawImage(target, getScale(), destRect, srcOffset, 1.0);
}

} // namespace VSTGUI
