// Drawing at 150 % and 200 %: coordinates stay in units, edges of fills, outlines, lines,
// clips and bitmap copies fall on whole device pixels, and text is drawn at the size.
#include <gtest/gtest.h>

#include "TestImages.h"
#include "toolkit/CBitmap0.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/COffscreenContext.h"
#include "toolkit/PixelScale.h"

#include <cairo.h>

using namespace VSTGUI;
using toolkit_test::pixelAt;

namespace {

constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kBlack = 0xFF000000u;

// An offscreen context of width x height units at scale, black.
struct Scaled {
    Scaled(double scale, long width, long height)
        : bitmap(new CBitmap0(nullptr, width, height, scale)), context(nullptr, bitmap, true)
    {
        context.setFillColor(CColor(0, 0, 0, 255));
        context.drawRect(CRect0(0, 0, width, height), kDrawFilled);
    }
    ~Scaled() { bitmap->forget(); }
    cairo_surface_t* surface() { return bitmap->getSurface(); }
    // Pixels that are neither pure black nor pure red: blended edges.
    int blended()
    {
        cairo_surface_flush(surface());
        int count = 0;
        for (int y = 0; y < cairo_image_surface_get_height(surface()); ++y)
            for (int x = 0; x < cairo_image_surface_get_width(surface()); ++x) {
                const uint32_t p = pixelAt(surface(), x, y);
                count += p != kRed && p != kBlack;
            }
        return count;
    }
    CBitmap0* bitmap;
    COffscreenContext context;
};

class ScaledDrawing : public ::testing::TestWithParam<double> {
protected:
    double s() const { return GetParam(); }
    int px(double units) const { return int(unitsToPixels(units, s())); }
};

TEST_P(ScaledDrawing, BitmapsAndContextsKeepUnitsAndHaveScaledPixels)
{
    Scaled canvas(s(), 11, 7);
    EXPECT_EQ(canvas.bitmap->getWidth(), 11);
    EXPECT_EQ(canvas.bitmap->getHeight(), 7);
    EXPECT_EQ(canvas.context.getScale(), s());
    EXPECT_EQ(cairo_image_surface_get_width(canvas.surface()), px(11));
    EXPECT_EQ(cairo_image_surface_get_height(canvas.surface()), px(7));
    // A context over the same bitmap without drawing into it takes the scale of the first.
    COffscreenContext copy(&canvas.context, canvas.bitmap, false);
    EXPECT_EQ(copy.getScale(), s());
    EXPECT_EQ(cairo_image_surface_get_width(copy.getBitmap()->getSurface()), px(11));
}

TEST_P(ScaledDrawing, FillsOutlinesLinesAndClipsEndOnWholePixels)
{
    Scaled canvas(s(), 20, 20);
    CDrawContext& c = canvas.context;
    c.setFillColor(CColor(255, 0, 0, 255));
    c.setFrameColor(CColor(255, 0, 0, 255));
    c.drawRect(CRect0(1, 3, 6, 8), kDrawFilled);
    EXPECT_EQ(pixelAt(canvas.surface(), px(1), px(3)), kRed);
    EXPECT_EQ(pixelAt(canvas.surface(), px(6) - 1, px(8) - 1), kRed);
    EXPECT_EQ(pixelAt(canvas.surface(), px(6), px(8) - 1), kBlack);
    EXPECT_EQ(pixelAt(canvas.surface(), px(1) - 1, px(3)), kBlack);
    c.drawRect(CRect0(9, 1, 15, 6), kDrawStroked); // a one-unit outline inside the rectangle
    EXPECT_EQ(pixelAt(canvas.surface(), px(9), px(3)), kRed);
    EXPECT_EQ(pixelAt(canvas.surface(), px(15) - 1, px(3)), kRed);
    EXPECT_EQ(pixelAt(canvas.surface(), px(12), px(3)), kBlack); // hollow
    c.moveTo(CPoint0(1, 12));
    c.lineTo(CPoint0(17, 12)); // a horizontal one-unit line: the rows of unit row 12
    EXPECT_EQ(pixelAt(canvas.surface(), px(9), px(12)), kRed);
    EXPECT_EQ(pixelAt(canvas.surface(), px(9), px(13) - 1), kRed);
    EXPECT_EQ(pixelAt(canvas.surface(), px(9), px(13)), kBlack);
    c.setClipRect(CRect0(3, 15, 8, 19));
    c.drawRect(CRect0(0, 14, 20, 20), kDrawFilled);
    c.resetClipRect();
    EXPECT_EQ(pixelAt(canvas.surface(), px(3), px(15)), kRed);
    EXPECT_EQ(pixelAt(canvas.surface(), px(3) - 1, px(15)), kBlack);
    EXPECT_EQ(pixelAt(canvas.surface(), px(8), px(16)), kBlack);
    // Nothing anywhere is a blend of the two colours, except where the line's ends stop
    // inside a pixel (half a unit past its end points, as at 100 %).
    EXPECT_LE(canvas.blended(), 2 * px(1) + 2);
}

TEST_P(ScaledDrawing, CopiesPlaceTheSourceOffsetOnTheDestinationPixel)
{
    // A strip of three frames of 5 x 5 units at this scale, frame 1 red, the others black.
    Scaled strip(s(), 5, 15);
    strip.context.setFillColor(CColor(255, 0, 0, 255));
    strip.context.drawRect(CRect0(0, 5, 5, 10), kDrawFilled);
    Scaled panel(s(), 20, 20);
    strip.bitmap->draw(&panel.context, CRect0(7, 3, 12, 8), CPoint0(0, 5));
    EXPECT_EQ(pixelAt(panel.surface(), px(7), px(3)), kRed);
    EXPECT_EQ(pixelAt(panel.surface(), px(12) - 1, px(8) - 1), kRed);
    EXPECT_EQ(pixelAt(panel.surface(), px(7) - 1, px(3)), kBlack);
    EXPECT_EQ(pixelAt(panel.surface(), px(7), px(8)), kBlack);
    EXPECT_EQ(panel.blended(), 0);
}

TEST_P(ScaledDrawing, TextIsLaidOutInUnitsAndDrawnAtTheSize)
{
    CFontDesc font("DejaVu Sans", 12, kNormalFace);
    auto inkRows = [&](double scale, double& width) {
        Scaled canvas(scale, 80, 20);
        canvas.context.setFont(&font);
        canvas.context.setFontColor(CColor(255, 255, 255, 255));
        width = canvas.context.getStringWidth("Kestrune");
        canvas.context.drawString("Kestrune", CRect0(2, 2, 78, 18), false, kLeftText);
        cairo_surface_flush(canvas.surface());
        int rows = 0;
        for (int y = 0; y < cairo_image_surface_get_height(canvas.surface()); ++y) {
            bool ink = false;
            for (int x = 0; x < cairo_image_surface_get_width(canvas.surface()); ++x)
                ink = ink || (pixelAt(canvas.surface(), x, y) & 0xFF) > 0x80;
            rows += ink;
        }
        return rows;
    };
    double width1 = 0, widthS = 0;
    const int rows1 = inkRows(1.0, width1);
    const int rowsS = inkRows(s(), widthS);
    EXPECT_NEAR(widthS, width1, 0.01); // the same width in units
    EXPECT_NEAR(double(rowsS), rows1 * s(), 2.0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ScaledDrawing, ::testing::Values(1.5, 2.0));

} // namespace
