#pragma once
// A drawing target with the toolkit's state (colours, line, font, pen, clip, origin) over a
// cairo surface. Coordinates are panel units; every one gets the context's offset added. The
// target has scale pixels per unit: edges of rectangles, clips, lines and images are put on
// whole device pixels, text is laid out in units and drawn at the device resolution.
#include "toolkit/CColor.h"
#include "toolkit/CRect0.h"
#include "toolkit/CReferenceCounter.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;
typedef struct _PangoContext PangoContext;
typedef struct _PangoLayout PangoLayout;

namespace VSTGUI {

class CFontDesc;
class CFrame0;

enum CDrawStyle { kDrawStroked = 0, kDrawFilled = 1, kDrawFilledAndStroked = 2 };
enum CHoriTxtAlign { kLeftText = 0, kCenterText = 1, kRightText = 2 };
enum CLineStyle { kLineSolid = 0, kLineOnOffDash = 1 };
enum CDrawMode { kCopyMode = 0, kAntialias = 1 };

class CDrawContext : public CReferenceCounter {
public:
    // target may be null: the context then keeps its state but draws nothing. The clip
    // resets to (0, 0, width, height) in units; the scale is the frame's (1 without one).
    CDrawContext(CFrame0* frame, cairo_surface_t* target, CCoord width, CCoord height);
    ~CDrawContext() override;

    void setFrameColor(const CColor& colour);
    CColor getFrameColor() const { return frameColor; }
    void setFillColor(const CColor& colour);
    CColor getFillColor() const { return fillColor; }
    void setFontColor(const CColor& colour);
    CColor getFontColor() const { return fontColor; }

    void setLineWidth(CCoord width);
    CCoord getLineWidth() const { return lineWidth; }
    void setLineStyle(CLineStyle style) { lineStyle = style; }
    CLineStyle getLineStyle() const { return lineStyle; }
    void setDrawMode(CDrawMode mode) { drawMode = mode; }
    CDrawMode getDrawMode() const { return drawMode; }

    // size < 1 or style -1 keep the font's own; other values use a copy with them.
    void setFont(CFontDesc* font, long size = 0, long style = -1);
    CFontDesc* getFont() const { return font; }
    int getLineHeight() const { return lineHeight; }

    void setClipRect(const CRect0& clip);
    CRect0& getClipRect(CRect0& clip) const;
    void resetClipRect();

    void setOffset(const CPoint0& origin) { offset = origin; }
    const CPoint0& getOffset() const { return offset; }

    void moveTo(const CPoint0& point) { penLoc = point; }
    void lineTo(const CPoint0& point);
    void drawLine(const CPoint0& from, const CPoint0& to)
    {
        moveTo(from);
        lineTo(to);
    }
    const CPoint0& getPenLocation() const { return penLoc; }
    void drawRect(const CRect0& rect, int style = kDrawStroked);

    double getStringWidth(const char* text);
    // Width (truncated) and the current line height.
    void getString(const char* text, CCoord& width, CCoord& height);
    void drawString(const char* text, const CRect0& rect, bool opaque = false, int align = kCenterText);
    // Where drawString puts a text: its left edge and baseline.
    double textLeft(const CRect0& rect, int align, double textWidth) const;
    CCoord textBaseline(const CRect0& rect) const;

    // Paints image (imageScale pixels per unit) so that srcOffset lands at dest's top-left,
    // clipped to dest; alpha 0..1.
    void drawImage(cairo_surface_t* image, double imageScale, const CRect0& dest, const CPoint0& srcOffset,
                   double alpha);

    // Device pixels per unit of the target.
    double getScale() const { return scale; }
    void setScale(double pixelsPerUnit) { scale = pixelsPerUnit > 0 ? pixelsPerUnit : 1.0; }
    // The device pixel edge of a unit coordinate (the context's offset not included).
    double toPixels(double units) const;

    // Pushes pending drawing to the target; true when anything was drawn since the last call.
    bool synchronize();

    CFrame0* getFrame() const { return frame; }
    CCoord getWidth() const { return fullRect.right; }
    CCoord getHeight() const { return fullRect.bottom; }
    cairo_surface_t* getTarget() const { return target; }

protected:
    // Draws from now on into surface (taking a reference), dropping the previous target.
    void bindTarget(cairo_surface_t* surface);
    // Saves the cairo state and clips to the clip rectangle and, when given, to extra
    // (view coordinates). False when there is nothing to draw into.
    bool beginDrawing(const CRect0* extra = nullptr);
    void endDrawing();
    PangoLayout* createLayout(const char* text);
    void setSourceColour(const CColor& colour);
    // The line width in whole device pixels (at least one).
    double deviceLineWidth() const;
    // A path through the centres of pixel rows or columns for a line of that device width
    // along the unit coordinate u (offset included).
    double lineCentre(CCoord u, double width) const;

    CFrame0* frame;
    cairo_surface_t* target;
    cairo_t* cr = nullptr;
    PangoContext* pangoContext = nullptr;
    CRect0 fullRect;
    CRect0 clipRect;
    CPoint0 offset;
    CPoint0 penLoc;
    CColor frameColor = kWhiteCColor;
    CColor fillColor = kBlackCColor;
    CColor fontColor = kWhiteCColor;
    CCoord lineWidth = 1;
    CLineStyle lineStyle = kLineSolid;
    CDrawMode drawMode = kAntialias;
    CFontDesc* font = nullptr;
    int lineHeight = 12;
    double scale = 1.0;
    bool drawn = false;
};

} // namespace VSTGUI
