#pragma once
// A draw context whose target is a 32-bit ARGB bitmap.
#include "toolkit/CDrawContext.h"

namespace VSTGUI {

class CBitmap0;

class COffscreenContext : public CDrawContext {
public:
    // A new bitmap of that size (20 × 20 when a side is not positive), filled and outlined
    // with the background colour.
    COffscreenContext(CFrame0* frame, long width, long height, const CColor& background = kBlackCColor);
    // Sized to bitmap. With drawInBitmap the bitmap itself is the target; otherwise the
    // target is a new image that starts with the bitmap drawn in (black without a bitmap).
    COffscreenContext(CDrawContext* context, CBitmap0* bitmap, bool drawInBitmap = false);
    ~COffscreenContext() override;

    // Draws the image so that srcOffset lands at destRect's top-left, clipped to destRect.
    void copyFrom(CDrawContext* destination, const CRect0& destRect, const CPoint0& srcOffset = CPoint0());

    CBitmap0* getBitmap() const { return bitmap; }

private:
    CBitmap0* bitmap;
};

} // namespace VSTGUI
