// What the bitmaps show: knob pointers at the angle of their frame, switch frames
// that differ, one lamp per time mode, dark glass under the text, and opaque
// controls that match the panel around them.
#include "ArtworkImage.h"
#include "PanelPlaces.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

// The knob controls measure angles clockwise from straight down: 90 is left, 180 up.
double luminanceAt(const ArtworkImage& strip, int frame, int size, double degrees, double radius)
{
    const double a = degrees * kPi / 180.0;
    const double c = size / 2.0;
    const int x = static_cast<int>(std::floor(c - std::sin(a) * radius));
    const int y = static_cast<int>(std::floor(c + std::cos(a) * radius));
    return strip.pixel(x, frame * size + y).luminance();
}

// The direction of the bright pointer: the mean angle of the pixels brighter than
// the knob's face within the pointer's reach, weighted by how much brighter.
double pointerAngle(const ArtworkImage& strip, int frame, int size)
{
    const double c = size / 2.0;
    double sx = 0, sy = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double dx = x + 0.5 - c, dy = y + 0.5 - c;
            const double r = std::hypot(dx, dy);
            if (r < size * 0.12 || r > size * 0.34)
                continue;
            const double excess = strip.pixel(x, frame * size + y).luminance() - 140.0;
            if (excess <= 0)
                continue;
            sx += excess * dx / r;
            sy += excess * dy / r;
        }
    // Back from screen direction (-sin a, cos a) to the angle a.
    const double degrees = std::atan2(-sx, sy) * 180.0 / kPi;
    return degrees < 0 ? degrees + 360.0 : degrees;
}

int differingPixels(const ArtworkImage& a, int ay, const ArtworkImage& b, int by, int w, int h)
{
    int count = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Pixel p = a.pixel(x, ay + y), q = b.pixel(x, by + y);
            if (std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b) > 24)
                ++count;
        }
    return count;
}

TEST(KnobPointer, EveryFramePointsAtItsAngleFromThirtyToThreeHundredThirty)
{
    for (int number : {3004, 5020}) {
        const ArtworkImage strip(number);
        ASSERT_TRUE(strip.loaded());
        const int size = strip.width();
        for (int frame = 0; frame < 61; ++frame) {
            const double expected = 30.0 + 5.0 * frame;
            const double found = pointerAngle(strip, frame, size);
            // Within half a frame's step, so a strip one frame off fails.
            EXPECT_NEAR(found, expected, 2.0) << "strip " << number << " frame " << frame;
        }
    }
}

TEST(KnobPointer, EndFramesPointLowerLeftAndLowerRightAndTheMiddleUp)
{
    for (int number : {3004, 5020}) {
        const ArtworkImage strip(number);
        const int size = strip.width();
        const double radius = size * 0.3;
        // Frame 0: lower left (30 degrees) is lit, the mirror position is not.
        EXPECT_GT(luminanceAt(strip, 0, size, 30, radius), 170) << number;
        EXPECT_LT(luminanceAt(strip, 0, size, 330, radius), 110) << number;
        EXPECT_GT(luminanceAt(strip, 60, size, 330, radius), 170) << number;
        EXPECT_LT(luminanceAt(strip, 60, size, 30, radius), 110) << number;
        EXPECT_GT(luminanceAt(strip, 30, size, 180, radius), 170) << number;
        EXPECT_LT(luminanceAt(strip, 30, size, 0, radius), 110) << number;
    }
}

TEST(SwitchLooks, PressedAndReleasedFramesAndOnAndOffLooksDiffer)
{
    for (auto [off, on] : {std::pair{3002, 3003}, std::pair{3010, 3009}, std::pair{3012, 3011}}) {
        const ArtworkImage offLook(off), onLook(on);
        ASSERT_TRUE(offLook.loaded() && onLook.loaded()) << off;
        const int w = offLook.width(), h = offLook.height() / 2;
        EXPECT_GT(differingPixels(offLook, 0, offLook, h, w, h), 10) << off << " frames";
        EXPECT_GT(differingPixels(onLook, 0, onLook, h, w, h), 10) << on << " frames";
        EXPECT_GT(differingPixels(offLook, 0, onLook, 0, w, h), 10) << off << " against " << on;
    }
}

TEST(SwitchLooks, ChangedMarkLightsUpForAChangedProgram)
{
    const ArtworkImage mark(5017);
    const int h = mark.height() / 2;
    EXPECT_GT(mark.meanLuminance(0, h, mark.width(), 2 * h), mark.meanLuminance(0, 0, mark.width(), h) + 3);
}

TEST(SwitchLooks, TimeModeIndicatorLightsTheThirdOfItsState)
{
    const ArtworkImage indicator(5019);
    const int third = indicator.width() / 3, h = indicator.height() / 3;
    for (int state = 0; state < 3; ++state) {
        for (int other = 0; other < 3; ++other) {
            if (other == state)
                continue;
            const double lit = indicator.meanLuminance(state * third, state * h, (state + 1) * third, (state + 1) * h);
            const double dark = indicator.meanLuminance(other * third, state * h, (other + 1) * third, (state + 1) * h);
            EXPECT_GT(lit, dark + 10) << "state " << state << " against third " << other;
        }
    }
}

TEST(Meter, LitHalfGlowsRedAtTheTopAndGreenAtTheBottom)
{
    const ArtworkImage meter(3008);
    const int w = meter.width() / 2, h = meter.height();
    EXPECT_GT(meter.meanLuminance(w, 0, 2 * w, h), meter.meanLuminance(0, 0, w, h) + 30);
    // Rows above the 0 dB row (row 19) are over full scale; -30 dB sits on row 118.
    // Take the brightest of three rows, so gaps between segments do not count.
    auto brightestNear = [&](int row) {
        Pixel best = meter.pixel(w + w / 2, row);
        for (int y = row - 1; y <= row + 1; ++y)
            if (meter.pixel(w + w / 2, y).luminance() > best.luminance())
                best = meter.pixel(w + w / 2, y);
        return best;
    };
    const Pixel over = brightestNear(2);
    EXPECT_GT(over.r, over.g + 60);
    const Pixel low = brightestNear(118);
    EXPECT_GT(low.g, low.r + 60);
}

TEST(Background, TextFieldsSitOnDarkGlass)
{
    const ArtworkImage background(3005);
    const double cyan = Pixel{101, 224, 254, 255}.luminance();
    for (const Place& place : editorPlaces()) {
        if (place.name.find("display") == std::string::npos)
            continue;
        double brightest = 0;
        for (int y = place.top; y < place.fixedBottom; ++y)
            for (int x = place.left; x < place.fixedRight; ++x)
                brightest = std::max(brightest, background.pixel(x, y).luminance());
        EXPECT_LT(brightest, 30) << place.name;
        EXPECT_LT(background.meanLuminance(place.left, place.top, place.fixedRight, place.fixedBottom), cyan / 10)
            << place.name;
    }
}

// Controls drawn without transparency repaint straight onto the screen, so they
// must be opaque and carry the panel around them.
TEST(OpaqueControls, AreOpaqueAndMatchThePanelAtTheirCorners)
{
    const ArtworkImage background(3005);
    // The save button (5016) is one picture over its whole click area, not a strip.
    struct Opaque {
        int number, left, top, frames;
    };
    for (const Opaque& c : {Opaque{5020, 112, 78, 61}, Opaque{3002, 18, 12, 2}, Opaque{3003, 18, 12, 2},
                            Opaque{3012, 103, 12, 2}, Opaque{3011, 103, 12, 2}, Opaque{3010, 385, 302, 2},
                            Opaque{3009, 385, 302, 2}, Opaque{5019, 263, 185, 3}, Opaque{5017, 383, 12, 2},
                            Opaque{5016, 460, 12, 1}}) {
        const ArtworkImage image(c.number);
        const int w = image.width(), h = image.height() / c.frames;
        int seeThrough = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < w; ++x)
                seeThrough += image.pixel(x, y).a != 255;
        EXPECT_EQ(seeThrough, 0) << c.number;
        for (int frame = 0; frame < c.frames; ++frame)
            for (auto [x, y] : {std::pair{0, 0}, std::pair{w - 1, 0}, std::pair{0, h - 1}, std::pair{w - 1, h - 1}}) {
                const Pixel own = image.pixel(x, frame * h + y), panel = background.pixel(c.left + x, c.top + y);
                EXPECT_LE(std::abs(own.r - panel.r) + std::abs(own.g - panel.g) + std::abs(own.b - panel.b), 24)
                    << c.number << " frame " << frame << " corner " << x << "," << y;
            }
    }
    const ArtworkImage meter(3008);
    for (int y = 0; y < meter.height(); ++y)
        for (int x = 0; x < meter.width(); ++x)
            ASSERT_EQ(meter.pixel(x, y).a, 255) << x << "," << y;
}

TEST(SmallKnobStrip, LeavesThePanelVisibleAroundTheKnob)
{
    const ArtworkImage strip(3004);
    const int size = strip.width();
    for (int frame = 0; frame < 61; ++frame)
        for (auto [x, y] : {std::pair{0, 0}, std::pair{size - 1, 0}, std::pair{0, size - 1}, std::pair{size - 1, size - 1}})
            EXPECT_EQ(strip.pixel(x, frame * size + y).a, 0) << "frame " << frame;
}

} // namespace
