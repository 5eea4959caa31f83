// The bitmaps for the 150 % and 200 % panels: there for every number, sized to the panel's
// rounding of their 100 % size, drawn at that size (fine detail, not enlarged pixels) and
// showing the same picture as at 100 %.
#include "ArtworkImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

constexpr int kNumbers[] = {3002, 3003, 3004, 3005, 3008, 3009, 3010, 3011, 3012, 5016, 5017, 5019, 5020};

struct Size {
    const char* suffix;
    double scale;
};
constexpr Size kSizes[] = {{"@1.5x", 1.5}, {"@2x", 2.0}};

int pixels(int units, double scale) { return static_cast<int>(std::floor(units * scale + 0.5)); }

TEST(ScaledArtwork, EveryBitmapHasItsLargerSizesWithTheRoundedPixelSize)
{
    for (const Size& size : kSizes) {
        for (int number : kNumbers) {
            const ArtworkImage base(number);
            const ArtworkImage scaled(number, size.suffix);
            ASSERT_TRUE(scaled.loaded()) << ArtworkImage::pathOf(number, size.suffix);
            if (number == 3008) {
                // Two columns of whole pixels each.
                EXPECT_EQ(scaled.width(), 2 * pixels(base.width() / 2, size.scale)) << number << size.suffix;
            } else {
                EXPECT_EQ(scaled.width(), pixels(base.width(), size.scale)) << number << size.suffix;
            }
            EXPECT_EQ(scaled.height(), pixels(base.height(), size.scale)) << number << size.suffix;
        }
    }
}

// Share of 2 x 2 blocks whose four pixels are not all the same: near 0 for an image
// enlarged from 100 %.
double finelyDrawnShare(const ArtworkImage& image, int x0, int y0, int x1, int y1)
{
    int fine = 0, blocks = 0;
    for (int y = y0; y + 1 < y1; y += 2)
        for (int x = x0; x + 1 < x1; x += 2) {
            const Pixel a = image.pixel(x, y), b = image.pixel(x + 1, y), c = image.pixel(x, y + 1),
                        d = image.pixel(x + 1, y + 1);
            auto same = [](const Pixel& p, const Pixel& q) { return p.r == q.r && p.g == q.g && p.b == q.b; };
            fine += !(same(a, b) && same(a, c) && same(a, d));
            ++blocks;
        }
    return blocks ? double(fine) / blocks : 0.0;
}

TEST(ScaledArtwork, TwoHundredPercentIsDrawnAtItsSizeAndShowsTheSamePicture)
{
    const ArtworkImage panel(3005), panel2(3005, "@2x");
    ASSERT_TRUE(panel.loaded() && panel2.loaded());
    EXPECT_GT(finelyDrawnShare(panel2, 0, 0, panel2.width(), panel2.height()), 0.5);
    const ArtworkImage knob2(5020, "@2x");
    EXPECT_GT(finelyDrawnShare(knob2, 0, 0, knob2.width(), 226), 0.5); // frame 0

    // Blocks of 10 x 10 units have the same mean brightness at both sizes.
    int blocks = 0, alike = 0;
    for (int y = 0; y + 10 <= panel.height(); y += 10)
        for (int x = 0; x + 10 <= panel.width(); x += 10) {
            const double at100 = panel.meanLuminance(x, y, x + 10, y + 10);
            const double at200 = panel2.meanLuminance(2 * x, 2 * y, 2 * x + 20, 2 * y + 20);
            alike += std::abs(at100 - at200) < 6.0;
            ++blocks;
        }
    EXPECT_GT(alike, blocks * 95 / 100) << alike << " of " << blocks;
}

} // namespace
