// The bitmaps' sizes against the places the editor gives them.
#include "ArtworkImage.h"
#include "PanelPlaces.h"

#include <gtest/gtest.h>

namespace {

Box rectOf(const Place& place)
{
    if (place.bitmap == 0)
        return {place.left, place.top, place.fixedRight, place.fixedBottom};
    const ArtworkImage image(place.bitmap);
    if (place.bitmap == 3008) // a meter is half the bitmap's width and its full height
        return {place.left, place.top, place.left + image.width() / 2, place.top + image.height()};
    return {place.left, place.top, place.left + image.width(), place.top + image.height() / place.frames};
}

TEST(ArtworkSizes, KnobStripsHoldSixtyOneSquareFramesOfTheKnobs)
{
    const ArtworkImage small(3004);
    EXPECT_EQ(small.width(), 51);
    EXPECT_EQ(small.height(), 61 * 51);
    const ArtworkImage large(5020);
    EXPECT_EQ(large.width(), 113);
    EXPECT_EQ(large.height(), 61 * 113);
}

TEST(ArtworkSizes, EachSwitchHasTwoLooksOfOneSizeWithTwoWholeFrames)
{
    for (auto [off, on] : {std::pair{3002, 3003}, std::pair{3010, 3009}, std::pair{3012, 3011}}) {
        const ArtworkImage offLook(off), onLook(on);
        EXPECT_EQ(offLook.width(), onLook.width()) << off;
        EXPECT_EQ(offLook.height(), onLook.height()) << off;
        EXPECT_EQ(offLook.height() % 2, 0) << off;
        EXPECT_GT(offLook.height() / 2, 0) << off;
    }
    EXPECT_EQ(ArtworkImage(5017).height() % 2, 0);
}

TEST(ArtworkSizes, ChangedMarkFillsTheChangedMarkerArea)
{
    const ArtworkImage mark(5017);
    EXPECT_EQ(mark.width(), 451 - 383);
    EXPECT_EQ(mark.height() / 2, 43 - 12);
}

TEST(ArtworkSizes, TimeModeIndicatorDividesIntoThreeStatesAndThreeThirds)
{
    const ArtworkImage indicator(5019);
    EXPECT_EQ(indicator.width() % 3, 0) << "a click in the last columns would select MS";
    EXPECT_GE(indicator.width(), 3);
    EXPECT_EQ(indicator.height() % 3, 0);
}

TEST(ArtworkSizes, MetersFitBesideEachOtherAndAboveTheLevelDisplays)
{
    const ArtworkImage meter(3008);
    EXPECT_EQ(meter.width() % 2, 0);
    const int meterWidth = meter.width() / 2;
    EXPECT_GT(meterWidth, 0);
    EXPECT_LE(meterWidth, 55 - 46) << "the two meters of a side would overlap";
    // The level displays draw their text from 4 pixels above their rectangle.
    EXPECT_LE(82 + meter.height(), kLevelDisplayTop - 4);
    // The meter must at least show the range from +6 dB down to -24 dB.
    EXPECT_GT(meter.height(), static_cast<int>(19.0 + 3.3 * 24));
}

TEST(ArtworkLayout, EveryControlLiesOnTheBackground)
{
    const ArtworkImage background(3005);
    for (const Place& place : editorPlaces()) {
        const Box box = rectOf(place);
        EXPECT_FALSE(box.empty()) << place.name;
        EXPECT_GE(box.left, 0) << place.name;
        EXPECT_GE(box.top, 0) << place.name;
        EXPECT_LE(box.right, background.width()) << place.name;
        EXPECT_LE(box.bottom, background.height()) << place.name;
    }
}

TEST(ArtworkLayout, NoTwoControlsOverlap)
{
    const std::vector<Place> places = editorPlaces();
    std::vector<Box> boxes;
    for (const Place& place : places)
        boxes.push_back(rectOf(place));
    for (size_t i = 0; i < boxes.size(); ++i)
        for (size_t j = i + 1; j < boxes.size(); ++j)
            EXPECT_FALSE(boxes[i].overlaps(boxes[j])) << places[i].name << " and " << places[j].name;
}

} // namespace
