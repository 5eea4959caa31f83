// Offscreen drawing: geometry of lines, rectangles, text placement and bitmap copies.
#include <gtest/gtest.h> // before X11, whose macros clash with its names

#include "TestImages.h"
#include "toolkit/CBitmap0.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/CFrame0.h"
#include "toolkit/COffscreenContext.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <fstream>

using namespace VSTGUI;

static CFrame0* const kNoFrame = nullptr;
using toolkit_test::pixelAt;

namespace {

constexpr uint32_t kOpaqueRed = 0xFFFF0000u;
constexpr uint32_t kOpaqueBlack = 0xFF000000u;

cairo_surface_t* target(COffscreenContext& context) { return context.getBitmap()->getSurface(); }

bool red(cairo_surface_t* s, int x, int y) { return pixelAt(s, x, y) == kOpaqueRed; }

// Units per em and bounding-box height from the 'head' table of the file fontconfig picks,
// read here without FreeType or pango.
// The face box the line height comes from: hhea ascender minus descender, over units per em.
bool faceBox(const char* pattern, double& ratio)
{
    FcPattern* wanted = FcNameParse(reinterpret_cast<const FcChar8*>(pattern));
    FcConfigSubstitute(nullptr, wanted, FcMatchPattern);
    FcDefaultSubstitute(wanted);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, wanted, &result);
    FcChar8* file = nullptr;
    std::string path;
    if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
        path = reinterpret_cast<char*>(file);
    if (match)
        FcPatternDestroy(match);
    FcPatternDestroy(wanted);
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> font((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (font.size() < 12)
        return false;
    auto be16 = [&](size_t at) { return unsigned(font[at] << 8 | font[at + 1]); };
    auto be32 = [&](size_t at) { return (be16(at) << 16) | be16(at + 2); };
    const unsigned tables = be16(4);
    double upem = 0.0, ascender = 0.0, descender = 0.0;
    for (unsigned i = 0; i < tables; ++i) {
        const size_t entry = 12 + 16 * size_t(i);
        const std::string tag(reinterpret_cast<char*>(&font[entry]), 4);
        const size_t at = be32(entry + 8);
        if (tag == "head")
            upem = be16(at + 18);
        if (tag == "hhea") {
            ascender = int16_t(be16(at + 4));
            descender = int16_t(be16(at + 6));
        }
    }
    if (upem > 0.0 && ascender > descender) {
        ratio = (ascender - descender) / upem;
        return true;
    }
    return false;
}

} // namespace

TEST(OffscreenContext, NewContextIsFilledWithBackgroundAndHasDefaultState)
{
    COffscreenContext context(kNoFrame, 8, 6, CColor(255, 0, 0, 255));
    EXPECT_EQ(context.getWidth(), 8);
    EXPECT_EQ(context.getHeight(), 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_TRUE(red(target(context), x, y)) << x << "," << y;
    EXPECT_EQ(context.getFontColor(), kWhiteCColor);
    EXPECT_EQ(context.getLineWidth(), 1);
    CRect0 clip;
    EXPECT_EQ(context.getClipRect(clip), CRect0(0, 0, 8, 6));

    COffscreenContext unsized(kNoFrame, 0, -3);
    EXPECT_EQ(unsized.getWidth(), 20);
    EXPECT_EQ(unsized.getHeight(), 20);
}

TEST(OffscreenContext, FromBitmapWithoutDrawFlagStartsWithItsPicture)
{
    CBitmap0* source = new CBitmap0(nullptr, 4, 4);
    {
        COffscreenContext paint(nullptr, source, true);
        paint.setFillColor(CColor(255, 0, 0, 255));
        paint.drawRect(CRect0(0, 0, 4, 4), kDrawFilled);
    }
    COffscreenContext copy(nullptr, source, false);
    EXPECT_NE(copy.getBitmap(), source);
    EXPECT_TRUE(red(target(copy), 3, 3));
    COffscreenContext black(nullptr, nullptr, false);
    EXPECT_EQ(pixelAt(target(black), 5, 5), kOpaqueBlack);
    source->forget();
}

TEST(DrawContext, RectangleOutlineCoversRightMinusOneAndBottomMinusOne)
{
    COffscreenContext context(kNoFrame, 12, 12, CColor(0, 0, 0, 255));
    context.setFrameColor(CColor(255, 0, 0, 255));
    context.drawRect(CRect0(2, 3, 8, 9), kDrawStroked);
    cairo_surface_t* s = target(context);
    for (int x = 2; x <= 7; ++x) {
        EXPECT_TRUE(red(s, x, 3)) << x;
        EXPECT_TRUE(red(s, x, 8)) << x;
    }
    for (int y = 3; y <= 8; ++y) {
        EXPECT_TRUE(red(s, 2, y)) << y;
        EXPECT_TRUE(red(s, 7, y)) << y;
    }
    EXPECT_EQ(pixelAt(s, 8, 5), kOpaqueBlack);
    EXPECT_EQ(pixelAt(s, 5, 9), kOpaqueBlack);
    EXPECT_EQ(pixelAt(s, 4, 5), kOpaqueBlack); // inside stays

    context.setFillColor(CColor(255, 0, 0, 255));
    context.drawRect(CRect0(9, 9, 11, 11), kDrawFilled);
    EXPECT_TRUE(red(s, 10, 10));
    EXPECT_EQ(pixelAt(s, 11, 11), kOpaqueBlack);
}

TEST(DrawContext, OneWideLinesFallOnPixelCentresAndRespectClipAndOffset)
{
    COffscreenContext context(kNoFrame, 10, 10, CColor(0, 0, 0, 255));
    context.setFrameColor(CColor(255, 0, 0, 255));
    context.moveTo(CPoint0(1, 4));
    context.lineTo(CPoint0(8, 4));
    cairo_surface_t* s = target(context);
    EXPECT_TRUE(red(s, 4, 4));
    EXPECT_EQ(pixelAt(s, 4, 3), kOpaqueBlack);
    EXPECT_EQ(pixelAt(s, 4, 5), kOpaqueBlack);
    EXPECT_EQ(context.getPenLocation(), CPoint0(8, 4));

    context.setOffset(CPoint0(0, 2));
    context.setClipRect(CRect0(0, 0, 3, 10)); // stored with the offset
    context.drawLine(CPoint0(0, 5), CPoint0(9, 5));
    EXPECT_TRUE(red(s, 1, 7));
    EXPECT_EQ(pixelAt(s, 5, 7), kOpaqueBlack);
    CRect0 clip;
    EXPECT_EQ(context.getClipRect(clip), CRect0(0, 0, 3, 10));
    context.resetClipRect();
    EXPECT_EQ(context.getClipRect(clip), CRect0(0, -2, 10, 8));
}

TEST(DrawContext, LineHeightComesFromTheFontsAscentAndDescent)
{
    double ratio = 0.0;
    ASSERT_TRUE(faceBox("Arial:bold", ratio));
    CFontDesc arial("Arial", 32, kBoldFace); // fonts outlive the contexts that hold them
    COffscreenContext context(kNoFrame, 10, 10);
    context.setFont(&arial);
    EXPECT_EQ(context.getLineHeight(), int(32 * ratio));
    context.setFont(&arial, 16, -1); // another size: a new descriptor, same name
    EXPECT_EQ(context.getFont()->getSize(), 16);
    EXPECT_STREQ(context.getFont()->getName(), "Arial");
    EXPECT_EQ(context.getLineHeight(), int(16 * ratio));
    context.setFont(&arial, 0, -1);
    EXPECT_EQ(context.getFont(), &arial);
}

TEST(DrawContext, TextPlacementFollowsTheAlignmentAndBaselineFormulas)
{
    CFontDesc arial("Arial", 32, kBoldFace);
    CFontDesc helvetica("Helvetica", 11, kNormalFace);
    COffscreenContext context(kNoFrame, 10, 10);
    context.setFont(&arial);
    const int lineHeight = context.getLineHeight();
    // mid = 123 - 35 / 2 = 106, a = 16 + 106 - 1 = 121, baseline = a - (a - 88 - lh) / 2.
    EXPECT_EQ(context.textBaseline(CRect0(330, 88, 416, 123)), 121 - (121 - 88 - lineHeight) / 2);
    context.setFont(&helvetica);
    const int small = context.getLineHeight();
    // mid = 119 - 14 / 2 = 112, a = 5 + 112 - 1 = 116.
    EXPECT_EQ(context.textBaseline(CRect0(585, 105, 619, 119)), 116 - (116 - 105 - small) / 2);

    const CRect0 box(0, 0, 101, 20);
    EXPECT_EQ(context.textLeft(box, kLeftText, 20.5), 0.0);
    EXPECT_EQ(context.textLeft(box, kRightText, 20.5), 80.5);
    EXPECT_EQ(context.textLeft(box, kCenterText, 20.5), 40.0); // 50.5 - 10.25 truncated
    EXPECT_EQ(context.textLeft(CRect0(-7, 0, 0, 1), kCenterText, 2.0), -4.0); // -4.5 toward zero

    CCoord width = 0;
    CCoord height = 0;
    context.getString("ms", width, height);
    EXPECT_EQ(height, small);
    EXPECT_GT(width, 5);
    EXPECT_EQ(width, CCoord(context.getStringWidth("ms")));
    EXPECT_GT(context.getStringWidth("mmmm"), context.getStringWidth("mm"));
}

TEST(DrawContext, DrawnTextSitsOnTheBaselineInsideTheClippedRectangle)
{
    CFontDesc font("Arial", 16, kBoldFace);
    COffscreenContext context(kNoFrame, 80, 40, CColor(0, 0, 0, 255));
    context.setFont(&font);
    context.setFontColor(CColor(255, 255, 255, 255));
    const CRect0 box(10, 5, 70, 30);
    context.drawString("HH", box, false, kLeftText);
    const int baseline = int(context.textBaseline(box));
    cairo_surface_t* s = target(context);
    auto rowInk = [&](int y) {
        int ink = 0;
        for (int x = 0; x < 80; ++x)
            ink += (pixelAt(s, x, y) >> 16) & 0xFF;
        return ink;
    };
    EXPECT_GT(rowInk(baseline - 1), 255 * 4); // the feet of both H
    EXPECT_EQ(rowInk(baseline + 1), 0);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(pixelAt(s, x, y), kOpaqueBlack) << "left of the rectangle at " << x << "," << y;

    context.drawString(nullptr, box); // draws nothing, must not crash
    CRect0 clipped(40, 5, 45, 30);
    COffscreenContext other(kNoFrame, 80, 40, CColor(0, 0, 0, 255));
    other.setFont(&font);
    other.drawString("HHHHHHHH", CRect0(0, 5, 80, 30), true, kLeftText); // opaque: fill colour first
    other.setClipRect(clipped);
    other.setFontColor(CColor(255, 0, 0, 255));
    other.drawString("HHHHHHHH", CRect0(0, 5, 80, 30), false, kLeftText);
    int redOutside = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 80; ++x)
            if (!clipped.pointInside(CPoint0(x, y)) && ((pixelAt(other.getBitmap()->getSurface(), x, y) >> 16) & 0xFF) > 0
                && ((pixelAt(other.getBitmap()->getSurface(), x, y) >> 8) & 0xFF) == 0)
                ++redOutside;
    EXPECT_EQ(redOutside, 0);
}

TEST(OffscreenContext, CopyFromPlacesTheSourceOffsetAtTheDestinationCorner)
{
    COffscreenContext source(kNoFrame, 10, 10, CColor(0, 0, 0, 255));
    source.setFillColor(CColor(255, 0, 0, 255));
    source.drawRect(CRect0(6, 6, 7, 7), kDrawFilled); // one red pixel at (6, 6)
    COffscreenContext destination(kNoFrame, 10, 10, CColor(0, 0, 255, 255));
    source.copyFrom(&destination, CRect0(1, 1, 4, 4), CPoint0(5, 5));
    cairo_surface_t* d = target(destination);
    EXPECT_TRUE(red(d, 2, 2));
    EXPECT_EQ(pixelAt(d, 1, 1), kOpaqueBlack);
    EXPECT_EQ(pixelAt(d, 4, 4), 0xFF0000FFu); // outside the destination rectangle
    EXPECT_EQ(pixelAt(d, 0, 0), 0xFF0000FFu);
}
