#pragma once
// An image loaded by resource number from the Resources folder, or a blank pixel buffer
// for offscreen drawing. Reference counted: created with one reference. Width and height are
// panel units; the image holds scale pixels per unit ("<number>@2x.png" is the 200 % image).
#include "toolkit/CColor.h"
#include "toolkit/CRect0.h"
#include "toolkit/CReferenceCounter.h"

#include <string>


typedef struct _cairo_surface cairo_surface_t;

namespace VSTGUI {

class CDrawContext;
class CFrame0;

class CBitmap0 : public CReferenceCounter {
public:
    // The image for that scale; without one the 100 % image, drawn scaled.
    explicit CBitmap0(long resourceNumber, double scale = 1.0);
    // A blank, zeroed 32-bit ARGB bitmap at scale (0: the frame's; 1 without a frame).
    CBitmap0(CFrame0* frame, CCoord width, CCoord height, double scale = 0.0);
    ~CBitmap0() override;

    bool isLoaded() const { return surface != nullptr; }
    CCoord getWidth() const { return width; }
    CCoord getHeight() const { return height; }
    long getResourceNumber() const { return resourceNumber; }
    bool getNoAlpha() const { return noAlpha; }
    // Pixels per unit of the image.
    double getScale() const { return scale; }

    void setTransparentColor(const CColor& colour);
    CColor getTransparentColor() const { return transparentColor; }

    void draw(CDrawContext* context, const CRect0& rect, const CPoint0& offset = CPoint0());
    void drawTransparent(CDrawContext* context, const CRect0& rect, const CPoint0& offset = CPoint0());
    void drawAlphaBlend(CDrawContext* context, const CRect0& rect, const CPoint0& offset = CPoint0(),
                        unsigned char alpha = 128);

    // The image as a cairo surface (null while unloaded); offscreen contexts draw into it.
    cairo_surface_t* getSurface() const { return surface; }

private:
    void loadFromResources(double wanted);
    bool loadFile(const std::string& path, const char* extension, double fileScale);

    long resourceNumber = -1;
    CCoord width = 0;
    CCoord height = 0;
    double scale = 1.0;
    cairo_surface_t* surface = nullptr;
    bool blank = false;
    bool noAlpha = true;
    CColor transparentColor = kTransparentCColor;
};

} // namespace VSTGUI
