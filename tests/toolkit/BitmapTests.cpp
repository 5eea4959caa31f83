// Bitmaps by number from the Resources folder: lookup order, the not-found line, drawing
// strips by source offset, alpha, and the transparent colour.
#include <gtest/gtest.h> // before X11, whose macros clash with its names

#include "TestImages.h"
#include "port/Diagnostics.h"
#include "toolkit/CBitmap0.h"
#include "toolkit/CFrame0.h"
#include "toolkit/COffscreenContext.h"
#include "toolkit/ResourceFolder.h"

#include <string>
#include <vector>


using namespace VSTGUI;

static CFrame0* const kNoFrame = nullptr;
using toolkit_test::pixelAt;
using toolkit_test::ScratchFolder;

namespace {

class BitmapTest : public ::testing::Test {
protected:
    ScratchFolder folder{"kestrune-bitmaps"};
    void SetUp() override { SetResourceFolder(folder.path.c_str()); }
    void TearDown() override { SetResourceFolder(nullptr); }
};

} // namespace

TEST_F(BitmapTest, ResourceFolderGetsItsTrailingSlash)
{
    EXPECT_EQ(GetResourceFolder(), folder.path.string() + "/");
    SetResourceFolder("");
    EXPECT_EQ(GetResourceFolder(), "");
}

TEST_F(BitmapTest, MissingNumberLogsOneLineAndLeavesAnEmptyBitmap)
{
    static std::vector<std::string> logged;
    logged.clear();
    SetDiagnosticSink([](const char* line) { logged.emplace_back(line); });
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    CBitmap0* bitmap = new CBitmap0(4242);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), ""); // the host's output stays clean
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    SetDiagnosticSink(nullptr);
    EXPECT_EQ(logged, std::vector<std::string> {"*** Bitmap Nr.:4242 not found."});
    EXPECT_FALSE(bitmap->isLoaded());
    EXPECT_EQ(bitmap->getWidth(), 0);
    EXPECT_EQ(bitmap->getHeight(), 0);
    COffscreenContext context(kNoFrame, 4, 4, CColor(0, 0, 255, 255));
    bitmap->draw(&context, CRect0(0, 0, 4, 4));
    EXPECT_EQ(pixelAt(context.getBitmap()->getSurface(), 2, 2), 0xFF0000FFu);
    bitmap->forget();
}

TEST_F(BitmapTest, WithoutResourceFolderLoadingFailsSilently)
{
    toolkit_test::writePatternPng(folder.file("7.png"), 4, 4, false);
    SetResourceFolder(nullptr);
    testing::internal::CaptureStdout();
    CBitmap0 bitmap(7);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(bitmap.isLoaded());
}

TEST_F(BitmapTest, PngIsPreferredOverBmpAndBmpLoadsAlone)
{
    toolkit_test::writePatternPng(folder.file("3005.png"), 30, 20, false);
    toolkit_test::writeSolidBmp(folder.file("3005.bmp"), 5, 5, 0, 255, 0);
    toolkit_test::writeSolidBmp(folder.file("3006.bmp"), 5, 3, 0, 255, 0);
    CBitmap0 png(3005);
    ASSERT_TRUE(png.isLoaded());
    EXPECT_EQ(png.getWidth(), 30);
    EXPECT_EQ(png.getHeight(), 20);
    EXPECT_TRUE(png.getNoAlpha());
    CBitmap0 bmp(3006);
    ASSERT_TRUE(bmp.isLoaded());
    EXPECT_EQ(bmp.getWidth(), 5);
    EXPECT_EQ(bmp.getHeight(), 3);
    EXPECT_EQ(pixelAt(bmp.getSurface(), 4, 2) & 0xFFFFFF, 0x00FF00u);
}

TEST_F(BitmapTest, StripFramesAreChosenBySourceOffset)
{
    toolkit_test::writePatternPng(folder.file("3004.png"), 30, 20, false);
    CBitmap0 strip(3004);
    COffscreenContext context(kNoFrame, 40, 40, CColor(0, 0, 0, 255));
    // Rows 10..19 of the strip (its second frame) drawn at (5, 5).
    strip.draw(&context, CRect0(5, 5, 35, 15), CPoint0(0, 10));
    cairo_surface_t* s = context.getBitmap()->getSurface();
    EXPECT_EQ(pixelAt(s, 5, 5) & 0xFFFFFF, toolkit_test::patternPixel(0, 10));
    EXPECT_EQ(pixelAt(s, 12, 9) & 0xFFFFFF, toolkit_test::patternPixel(7, 14));
    EXPECT_EQ(pixelAt(s, 12, 15), 0xFF000000u); // clipped to the destination
    // A rectangle given bottom-up is put in order first.
    strip.draw(&context, CRect0(0, 39, 2, 30), CPoint0(0, 0));
    EXPECT_EQ(pixelAt(s, 1, 30) & 0xFFFFFF, toolkit_test::patternPixel(1, 0));
}

TEST_F(BitmapTest, AlphaBlendAndAlphaChannel)
{
    toolkit_test::writePatternPng(folder.file("5017.png"), 4, 4, true);
    CBitmap0 withAlpha(5017);
    EXPECT_FALSE(withAlpha.getNoAlpha());
    COffscreenContext context(kNoFrame, 4, 4, CColor(0, 0, 0, 255));
    withAlpha.drawAlphaBlend(&context, CRect0(0, 0, 4, 4), CPoint0(), 128);
    const uint32_t p = pixelAt(context.getBitmap()->getSurface(), 2, 0);
    const uint32_t full = toolkit_test::patternPixel(2, 0);
    EXPECT_NEAR(double((p >> 16) & 0xFF), ((full >> 16) & 0xFF) * 128.0 / 255.0, 1.5);
    // The half-transparent first column lets the black background through.
    COffscreenContext fresh(kNoFrame, 4, 4, CColor(0, 0, 0, 255));
    withAlpha.draw(&fresh, CRect0(0, 0, 4, 4));
    EXPECT_EQ(pixelAt(fresh.getBitmap()->getSurface(), 0, 1), 0xFF400000u);
}

TEST_F(BitmapTest, TransparentColourIsMaskedOutOfOpaqueImages)
{
    toolkit_test::writeSolidBmp(folder.file("3010.bmp"), 6, 6, 0, 0, 0);
    CBitmap0 bitmap(3010);
    EXPECT_EQ(bitmap.getTransparentColor(), CColor(255, 255, 255, 0));
    COffscreenContext context(kNoFrame, 6, 6, CColor(255, 0, 0, 255));
    bitmap.setTransparentColor(CColor(0, 0, 0, 255));
    EXPECT_FALSE(bitmap.getNoAlpha());
    bitmap.drawTransparent(&context, CRect0(0, 0, 6, 6));
    EXPECT_EQ(pixelAt(context.getBitmap()->getSurface(), 3, 3), 0xFFFF0000u); // black was see-through

    toolkit_test::writeSolidBmp(folder.file("3009.bmp"), 6, 6, 10, 20, 30);
    CBitmap0 other(3009);
    other.setTransparentColor(CColor(0, 0, 0, 255));
    other.drawTransparent(&context, CRect0(0, 0, 6, 6));
    EXPECT_EQ(pixelAt(context.getBitmap()->getSurface(), 3, 3), 0xFF0A141Eu); // other colours stay
}
