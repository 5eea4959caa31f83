// The knob's pointer laws (circular, vertical drag, wheel), its end stops, the reset to the
// default, and the strip frame it draws.
#include <gtest/gtest.h> // before X11, whose macros clash with its names

#include "ControlTestSupport.h"
#include "editor/CBitmapKnob.h"
#include "effect/ParamData.h"

#include <cmath>
#include <limits>

using namespace controls_test;

namespace {

constexpr int kFrames = 61;
// A 51 × 51 knob at (10, 20): its centre is (35, 45).
const CPoint kCentre(35, 45);
const CPoint kAbove(35, 25);
const CPoint kLeft(15, 45);
const CPoint kRight(55, 45);
const CPoint kBelow(35, 65);
const CPoint kBelowLeft(15, 65);
const CPoint kBelowRight(55, 65);

class KnobTest : public ::testing::Test {
protected:
    void SetUp() override { make(0); }
    void TearDown() override { strip->forget(); }
    void make(signed char logarithmic)
    {
        CRect rect(10, 20, 61, 71);
        CRect none;
        knob.Make(rect, none, &owner, strip, 0.0f, 1.0f, 4, kFrames, 30.0f, 330.0f, 8, logarithmic, 0,
                  CallbackLog::Record, &log);
    }
    int drawnFrame()
    {
        Canvas canvas;
        knob.DrawControl(canvas.context);
        return canvas.frameAt(35, 45, kFrames);
    }
    // A press at from, moves through path, release at the last point.
    void drag(CPoint from, std::initializer_list<CPoint> path)
    {
        ASSERT_TRUE(knob.PtInControl(from));
        CPoint at = from;
        for (CPoint p : path) {
            knob.MouseMove(p, nullptr);
            at = p;
        }
        knob.LButtonUp(at, nullptr);
    }

    VSTGUI::CBitmap0* strip = makeStrip(51, 51, kFrames);
    TestOwner owner;
    CallbackLog log;
    CBitmapKnob knob;
};

} // namespace

TEST_F(KnobTest, StartsCentredOnTheMiddleFrame)
{
    EXPECT_EQ(knob.GetValue(), 0.5f);
    EXPECT_EQ(knob.GetAngle(), 180.0);
    EXPECT_EQ(drawnFrame(), 30);
    EXPECT_EQ(log.count(), 0u);
    knob.SetValue(1.0f, nullptr, 0);
    EXPECT_EQ(drawnFrame(), 60);
    knob.SetValue(1.0f / 60.0f, nullptr, 0);
    EXPECT_EQ(drawnFrame(), 1);
}

TEST_F(KnobTest, PointerAngleAtTheQuadrants)
{
    struct Step {
        CPoint pt;
        double angle;
        float value;
    };
    // In this order the end-stop rules never apply: no step starts at an end.
    const Step steps[] = {
        {kAbove, 180.0, 0.5f},      {kLeft, 90.0, 0.2f},       {kRight, 270.0, 0.8f},
        {kBelowLeft, 45.0, 0.05f}, {kBelowRight, 315.0, 0.95f}, {kBelow, 30.0, 0.0f},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.angle);
        EXPECT_TRUE(knob.SetValue(step.pt));
        EXPECT_NEAR(knob.GetAngle(), step.angle, 1e-6);
        EXPECT_FLOAT_EQ(knob.GetValue(), step.value);
        ASSERT_FALSE(log.reports.empty());
        EXPECT_EQ(log.last().id, 4);
        EXPECT_EQ(log.last().value, knob.GetValue());
        EXPECT_EQ(log.last().kind, 0);
    }
    EXPECT_EQ(log.count(), 6u);
    // Straight above is exactly half way, and shows the middle frame; the knob now rests at
    // its minimum, which holds it at straight above too, so it leaves that end first.
    knob.SetValue(kAbove);
    EXPECT_EQ(knob.GetValue(), 0.0f);
    knob.SetValue(0.3f, nullptr, 0);
    knob.SetValue(kAbove);
    EXPECT_EQ(knob.GetValue(), 0.5f);
    EXPECT_EQ(drawnFrame(), 30);
}

TEST_F(KnobTest, EndStopsHoldAcrossTheDeadZone)
{
    knob.SetValue(1.0f, nullptr, 0);
    knob.SetValue(kBelowLeft); // would be 45 degrees from anywhere else
    EXPECT_EQ(knob.GetValue(), 1.0f);
    EXPECT_EQ(knob.GetAngle(), 330.0);
    knob.SetValue(kBelow);
    EXPECT_EQ(knob.GetValue(), 1.0f);
    EXPECT_EQ(log.count(), 2u); // held, but still reported

    knob.SetValue(0.0f, nullptr, 0);
    knob.SetValue(kBelowRight); // would be 315 degrees
    EXPECT_EQ(knob.GetValue(), 0.0f);
    knob.SetValue(kBelow);
    EXPECT_EQ(knob.GetValue(), 0.0f);
    EXPECT_EQ(knob.GetAngle(), 30.0);

    // Away from the ends the bottom-right point is simply 315 degrees.
    knob.SetValue(0.5f, nullptr, 0);
    knob.SetValue(kBelowRight);
    EXPECT_FLOAT_EQ(knob.GetValue(), 0.95f);
}

TEST_F(KnobTest, PointerOnTheCentreChangesNothing)
{
    knob.SetValue(0.3f, nullptr, 0);
    const double angle = knob.GetAngle();
    EXPECT_TRUE(knob.SetValue(kCentre));
    ASSERT_TRUE(knob.PtInControl(kCentre));
    knob.MouseMove(kCentre, nullptr);
    knob.LButtonUp(kCentre, nullptr);
    EXPECT_EQ(knob.GetValue(), 0.3f);
    EXPECT_EQ(knob.GetAngle(), angle);
    EXPECT_EQ(log.count(), 0u);
}

TEST_F(KnobTest, EveryTurningStepReportsButAnUnchangedValueDoesNot)
{
    ASSERT_TRUE(knob.PtInControl(kAbove));
    EXPECT_TRUE(knob.IsTracking());
    knob.MouseMove(kLeft, nullptr); // a quarter turn back: 180 to 90 degrees
    knob.MouseMove(kLeft, nullptr); // no turn: nothing to report
    EXPECT_EQ(log.count(), 1u);
    EXPECT_FLOAT_EQ(log.reports[0].value, 0.2f);
    knob.LButtonUp(kLeft, nullptr);
    EXPECT_FALSE(knob.IsTracking());

    Canvas canvas;
    owner.invalidated.clear();
    const size_t before = log.count();
    knob.SetValue(knob.GetValue(), canvas.context, 1);
    EXPECT_EQ(log.count(), before);
    EXPECT_EQ(canvas.frameAt(35, 45, kFrames), -1); // nothing drawn
    knob.SetValue(0.25f, canvas.context, 1);
    EXPECT_EQ(log.count(), before + 1);
    EXPECT_EQ(canvas.frameAt(35, 45, kFrames), 15);
}

TEST_F(KnobTest, ClickLeavesTheValueAndAReleaseWithoutPressDoesNothing)
{
    drag(kLeft, {}); // pressed and released on the left, far from where the knob points
    EXPECT_EQ(knob.GetValue(), 0.5f);
    EXPECT_EQ(log.count(), 0u);

    // A drag that began elsewhere: the release reaches a knob that is not tracking.
    EXPECT_TRUE(knob.HitTest(kRight));
    EXPECT_FALSE(knob.IsTracking());
    knob.LButtonUp(kRight, nullptr);
    EXPECT_EQ(knob.GetValue(), 0.5f);
    EXPECT_EQ(log.count(), 0u);
    EXPECT_FALSE(knob.PtInControl(CPoint(5, 5)));
}

TEST_F(KnobTest, DragTurnsFromWhereItIsGrabbedAndFineWithShift)
{
    // At its maximum, grabbed on the left half and turned back a quarter: it follows.
    knob.SetValue(1.0f, nullptr, 0);
    drag(kLeft, {kBelowLeft, kBelow});
    EXPECT_FLOAT_EQ(knob.GetValue(), 0.7f); // 330 - 90 degrees
    // Past the end it stops, and turns back at once.
    drag(kBelowLeft, {kLeft, kAbove, kRight, kBelowRight});
    EXPECT_EQ(knob.GetValue(), 1.0f);
    drag(kBelowRight, {kRight});
    EXPECT_FLOAT_EQ(knob.GetValue(), 0.85f);
    // Shift: a quarter turn of the pointer turns the knob 9 degrees.
    knob.SetValue(0.5f, nullptr, 0);
    knob.SetFineDrag(true);
    drag(kAbove, {kRight});
    knob.SetFineDrag(false);
    EXPECT_FLOAT_EQ(knob.GetValue(), 0.53f);
    drag(kAbove, {kRight});
    EXPECT_FLOAT_EQ(knob.GetValue(), 0.83f);
}

TEST_F(KnobTest, DoubleClickResetsToTheDefaultAndItsReleaseKeepsIt)
{
    knob.LButtonDblClk(nullptr); // no descriptor: nothing to return to
    EXPECT_EQ(knob.GetValue(), 0.5f);
    EXPECT_EQ(log.count(), 0u);

    ParamData param;
    param.id = 4;
    param.min = 0;
    param.max = 100;
    param.def = 25;
    param.value = 0.8f;
    knob.SetReferenceParam(&param);
    knob.SetValue(0.8f, nullptr, 0);

    // First click of the double-click: the knob stays where it is.
    drag(kLeft, {});
    EXPECT_FLOAT_EQ(knob.GetValue(), 0.8f);
    // Second press arrives as a double-click; then a little movement and the release.
    ASSERT_TRUE(knob.PtInControl(kRight));
    Canvas canvas;
    knob.LButtonDblClk(canvas.context);
    EXPECT_EQ(knob.GetValue(), 0.25f);
    EXPECT_EQ(param.value, 0.25f);
    EXPECT_EQ(canvas.frameAt(35, 45, kFrames), 15); // shown at once
    knob.MouseMove(kBelowRight, nullptr);
    knob.LButtonUp(kBelowRight, nullptr);
    EXPECT_FALSE(knob.IsTracking());
    EXPECT_EQ(knob.GetValue(), 0.25f);
    EXPECT_EQ(knob.GetAngle(), 105.0);
    ASSERT_EQ(log.count(), 1u); // the reset alone: neither click turned the knob
    EXPECT_EQ(log.reports[0].value, 0.25f);

    // The next drag works normally again: a quarter turn from the default.
    drag(kAbove, {kRight});
    EXPECT_FLOAT_EQ(knob.GetValue(), 0.55f);
}

TEST_F(KnobTest, FollowsItsParameterAtIdle)
{
    ParamData param;
    param.min = 0;
    param.max = 10;
    param.value = 0.5f;
    EXPECT_FALSE(knob.UpdateAtDirty(nullptr)); // no descriptor
    knob.SetReferenceParam(&param);
    EXPECT_FALSE(knob.UpdateAtDirty(nullptr));
    param.value = 0.75f;
    Canvas canvas;
    EXPECT_TRUE(knob.UpdateAtDirty(canvas.context));
    EXPECT_EQ(knob.GetValue(), 0.75f);
    EXPECT_EQ(knob.GetAngle(), 255.0);
    EXPECT_EQ(canvas.frameAt(35, 45, kFrames), 45);
    EXPECT_FALSE(knob.UpdateAtDirty(nullptr));
    EXPECT_EQ(log.count(), 0u); // following the parameter is not a user change
}

TEST_F(KnobTest, WheelTurnsOneFrameAndATenthWithShift)
{
    EXPECT_TRUE(knob.MouseWheel(kCentre, 1.0f, 0, nullptr));
    EXPECT_NEAR(knob.GetValue(), 0.5 + 1.0 / 60.0, 1e-6);
    EXPECT_EQ(drawnFrame(), 31);
    EXPECT_TRUE(knob.MouseWheel(kCentre, -1.0f, 0, nullptr));
    EXPECT_NEAR(knob.GetValue(), 0.5, 1e-6);
    EXPECT_TRUE(knob.MouseWheel(kCentre, 1.0f, 1, nullptr));
    EXPECT_NEAR(knob.GetValue(), 0.5 + 1.0 / 600.0, 1e-6);
    ASSERT_EQ(log.count(), 3u);
    EXPECT_EQ(log.last().value, knob.GetValue());
    EXPECT_EQ(log.last().kind, 0);
    // Without a context the picture is repainted through the owner.
    EXPECT_FALSE(owner.invalidated.empty());

    EXPECT_FALSE(knob.MouseWheel(CPoint(100, 100), 1.0f, 0, nullptr));
    EXPECT_EQ(log.count(), 3u);
    knob.SetValue(1.0f, nullptr, 0);
    knob.MouseWheel(kCentre, 5.0f, 0, nullptr);
    EXPECT_EQ(knob.GetValue(), 1.0f);
}

TEST_F(KnobTest, VerticalDragCoversTheArcInTwoHundredPixels)
{
    knob.SetDragMode(0);
    ASSERT_TRUE(knob.PtInControl(kCentre));
    knob.MouseMove(CPoint(50, 45), nullptr); // sideways only
    EXPECT_EQ(log.count(), 0u);
    knob.MouseMove(CPoint(35, -55), nullptr); // 100 up: +150 degrees
    EXPECT_EQ(knob.GetValue(), 1.0f);
    knob.MouseMove(CPoint(35, 95), nullptr); // 50 below the press: -75 degrees
    EXPECT_FLOAT_EQ(knob.GetValue(), 0.25f);
    knob.MouseMove(CPoint(35, 400), nullptr);
    EXPECT_EQ(knob.GetValue(), 0.0f);
    knob.LButtonUp(CPoint(35, 95), nullptr);
    EXPECT_FLOAT_EQ(knob.GetValue(), 0.25f);
    EXPECT_FALSE(knob.IsTracking());
}

TEST_F(KnobTest, LogarithmicLawAndItsFrame)
{
    make(1);
    knob.SetValue(kAbove);
    // Half the arc is ten to the one-half on the 1..10 scale.
    EXPECT_FLOAT_EQ(knob.GetValue(), float((std::sqrt(10.0) - 1.0) / 9.0));
    EXPECT_EQ(drawnFrame(), 30);
    knob.SetValue(kRight);
    EXPECT_FLOAT_EQ(knob.GetValue(), float((std::pow(10.0, 0.8) - 1.0) / 9.0));
    EXPECT_EQ(drawnFrame(), 48);
}

TEST_F(KnobTest, BadValuesRestAtTheLimits)
{
    knob.SetValue(std::numeric_limits<float>::quiet_NaN(), nullptr, 0);
    EXPECT_EQ(knob.GetValue(), 0.0f);
    EXPECT_EQ(drawnFrame(), 0);
    knob.SetValue(7.0f, nullptr, 0);
    EXPECT_EQ(knob.GetValue(), 1.0f);
    knob.SetValue(-7.0f, nullptr, 0);
    EXPECT_EQ(knob.GetValue(), 0.0f);
    EXPECT_FALSE(knob.MouseWheel(kCentre, std::numeric_limits<float>::quiet_NaN(), 0, nullptr));
}
