// Latching and momentary switches, the three-state indicator, and the frames they draw.
#include <gtest/gtest.h> // before X11, whose macros clash with its names

#include "ControlTestSupport.h"
#include "editor/CBitmapSwitch.h"
#include "editor/CStateBitmapSwitch.h"

using namespace controls_test;

namespace {

// Off look: frames 0 (up) and 1 (down); on look: frames 2 (up) and 3 (down).
class SwitchTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        off->forget();
        on->forget();
    }
    void make(signed char momentary, signed char readOnly = 0)
    {
        CRect rect(10, 10, 40, 25);
        CRect none;
        button.Make(rect, &owner, off, on, 0, 8, none, readOnly, CallbackLog::Record, &log, momentary);
    }
    int shown() const { return canvas.frameAt(20, 15, 4); }

    VSTGUI::CBitmap0* off = makeStrip(30, 15, 2, 0);
    VSTGUI::CBitmap0* on = makeStrip(30, 15, 2, 2);
    TestOwner owner;
    CallbackLog log;
    Canvas canvas;
    CBitmapSwitch button;
};

} // namespace

TEST_F(SwitchTest, LatchingSwitchTogglesOnPressOnly)
{
    make(0);
    button.LButtonDown(canvas.context);
    EXPECT_EQ(button.GetValue(), 1.0f);
    EXPECT_TRUE(button.IsDown());
    EXPECT_TRUE(button.IsTracking());
    EXPECT_EQ(shown(), 3); // on, pressed
    button.LButtonUp(CPoint(20, 15), canvas.context);
    EXPECT_EQ(button.GetValue(), 1.0f);
    EXPECT_FALSE(button.IsDown());
    EXPECT_FALSE(button.IsTracking());
    EXPECT_EQ(shown(), 2); // on, released
    ASSERT_EQ(log.count(), 1u);
    EXPECT_EQ(log.last().id, 8);
    EXPECT_EQ(log.last().value, 1.0f);
    EXPECT_EQ(log.last().kind, 0);
}

TEST_F(SwitchTest, MomentarySwitchReadsOneOnlyWhileHeld)
{
    make(1);
    button.LButtonDown(canvas.context);
    EXPECT_EQ(button.GetValue(), 1.0f);
    button.LButtonUp(CPoint(20, 15), canvas.context);
    EXPECT_EQ(button.GetValue(), 0.0f);
    EXPECT_EQ(shown(), 0);
    ASSERT_EQ(log.count(), 2u);
    EXPECT_EQ(log.reports[0].value, 1.0f);
    EXPECT_EQ(log.reports[1].value, 0.0f);
}

TEST_F(SwitchTest, DoubleClickTogglesTwice)
{
    make(0);
    button.LButtonDown(canvas.context);
    button.LButtonUp(CPoint(20, 15), canvas.context);
    button.LButtonDblClk(canvas.context);
    button.LButtonUp(CPoint(20, 15), canvas.context);
    EXPECT_EQ(button.GetValue(), 0.0f);
    EXPECT_EQ(log.count(), 2u);
    EXPECT_EQ(shown(), 0);
}

TEST_F(SwitchTest, PressWithoutContextOnlyMarksItDown)
{
    make(0);
    button.LButtonDown(nullptr);
    EXPECT_TRUE(button.IsDown());
    EXPECT_TRUE(button.IsTracking());
    EXPECT_EQ(button.GetValue(), 0.0f);
    EXPECT_EQ(log.count(), 0u);
    // A value set by program neither draws nor reports without a context.
    button.SetValue(1.0f, nullptr, 1);
    EXPECT_EQ(button.GetValue(), 1.0f);
    EXPECT_EQ(log.count(), 0u);
}

TEST_F(SwitchTest, ReadOnlyAndDisabledSwitchesIgnoreThePointer)
{
    make(0, 1);
    button.LButtonDown(canvas.context);
    button.LButtonUp(CPoint(20, 15), canvas.context);
    EXPECT_EQ(button.GetValue(), 0.0f);
    EXPECT_FALSE(button.IsTracking());

    make(0);
    button.m_enabled = false;
    button.LButtonDown(canvas.context);
    button.SetValue(1.0f, canvas.context, 1);
    EXPECT_EQ(button.GetValue(), 0.0f);
    EXPECT_EQ(log.count(), 0u);
    EXPECT_EQ(shown(), -1); // a disabled switch without its own look draws nothing
}

TEST_F(SwitchTest, RightButtonPressesAndReleasesWithoutSpringingBack)
{
    make(1);
    button.RButtonDown(canvas.context);
    EXPECT_EQ(button.GetValue(), 1.0f);
    button.RButtonUp(canvas.context);
    EXPECT_FALSE(button.IsDown());
    EXPECT_EQ(button.GetValue(), 1.0f);
    EXPECT_EQ(shown(), 2);
}

TEST_F(SwitchTest, SinglePictureSwitchHasNoPressedLook)
{
    CRect rect(10, 10, 40, 40); // as tall as the whole bitmap
    CRect none;
    button.Make(rect, &owner, off, on, 0, 8, none, 0, CallbackLog::Record, &log, 0);
    button.LButtonDown(canvas.context);
    EXPECT_FALSE(button.IsDown());
    EXPECT_EQ(shown(), 2); // the top of the on bitmap
}

namespace {

class StateSwitchTest : public ::testing::Test {
protected:
    void TearDown() override { strip->forget(); }
    void make(signed char readOnly)
    {
        CRect rect(10, 10, 40, 20);
        CRect none;
        indicator.Make(rect, &owner, strip, strip, 0, 12, none, readOnly, CallbackLog::Record, &log, 3);
    }
    int shown()
    {
        Canvas canvas;
        indicator.DrawControl(canvas.context);
        return canvas.frameAt(20, 15, 3);
    }
    void click()
    {
        Canvas canvas;
        indicator.LButtonDown(canvas.context);
        indicator.LButtonUp(CPoint(20, 15), canvas.context);
    }

    VSTGUI::CBitmap0* strip = makeStrip(30, 10, 3);
    TestOwner owner;
    CallbackLog log;
    CStateBitmapSwitch indicator;
};

} // namespace

TEST_F(StateSwitchTest, FrameIsTheNearestState)
{
    make(1);
    const struct {
        float value;
        int frame;
    } cases[] = {{0.0f, 0}, {0.24f, 0}, {0.25f, 1}, {0.5f, 1}, {0.74f, 1}, {0.75f, 2}, {1.0f, 2}};
    Canvas canvas;
    for (const auto& c : cases) {
        indicator.SetValue(c.value, canvas.context, 0);
        EXPECT_EQ(shown(), c.frame) << c.value;
    }
    EXPECT_EQ(log.count(), 0u);
}

TEST_F(StateSwitchTest, SteppingWrapsFromTheLastStateToTheFirst)
{
    make(0);
    const float expected[] = {0.5f, 1.0f, 0.0f, 0.5f};
    for (float value : expected) {
        click();
        EXPECT_EQ(indicator.GetValue(), value);
        EXPECT_EQ(log.last().value, value);
        EXPECT_FALSE(indicator.IsDown());
    }
    EXPECT_EQ(log.count(), 4u);
    EXPECT_EQ(shown(), 1);
}

TEST_F(StateSwitchTest, ReadOnlyIndicatorIgnoresClicksAndWithoutSteppingReportsItsValue)
{
    make(1);
    click();
    EXPECT_EQ(indicator.GetValue(), 0.0f);
    EXPECT_EQ(log.count(), 0u);

    make(0);
    indicator.m_stepping = false;
    Canvas canvas;
    indicator.SetValue(0.5f, canvas.context, 0);
    click();
    EXPECT_EQ(indicator.GetValue(), 0.5f);
    ASSERT_EQ(log.count(), 1u);
    EXPECT_EQ(log.last().value, 0.5f);
}
