// The frequency knob: a linear value on a logarithmic arc, and a picture that follows the arc.
#include <gtest/gtest.h> // before X11, whose macros clash with its names

#include "ControlTestSupport.h"
#include "editor/CBitmapFreqKnob.h"
#include "effect/ParamData.h"

#include <cmath>

using namespace controls_test;

namespace {

constexpr int kFrames = 61;
const CPoint kAbove(35, 25);

// 20 Hz to 20 kHz over 30..330 degrees: three decades, 100 degrees each.
double angleOf(double hz) { return 30.0 + 100.0 * std::log10(hz / 20.0); }
float valueOf(double hz) { return float((hz - 20.0) / 19980.0); }

class FreqKnobTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CRect rect(10, 20, 61, 71);
        CRect none;
        knob.Make(rect, none, &owner, strip, 0.0f, 1.0f, 10, kFrames, 30.0f, 330.0f, 20.0f, 20000.0f, 8, 0,
                  CallbackLog::Record, &log);
    }
    void TearDown() override { strip->forget(); }
    int drawnFrame()
    {
        Canvas canvas;
        knob.DrawControl(canvas.context);
        return canvas.frameAt(35, 45, kFrames);
    }

    VSTGUI::CBitmap0* strip = makeStrip(51, 51, kFrames);
    TestOwner owner;
    CallbackLog log;
    CBitmapFreqKnob knob;
};

} // namespace

TEST_F(FreqKnobTest, ValueIsLinearInHertzWhileTheArcIsLogarithmic)
{
    // The centred value is 10010 Hz, far up the arc.
    EXPECT_EQ(knob.GetValue(), 0.5f);
    EXPECT_NEAR(knob.GetAngle(), angleOf(10010.0), 1e-3);
    EXPECT_EQ(drawnFrame(), 54); // the picture follows the angle, not the value

    knob.SetValue(valueOf(200.0), nullptr, 0);
    EXPECT_NEAR(knob.GetAngle(), 130.0, 1e-3);
    EXPECT_EQ(drawnFrame(), 20);

    // Straight above: one and a half decades above 20 Hz.
    knob.SetValue(kAbove);
    EXPECT_EQ(knob.GetAngle(), 180.0);
    EXPECT_NEAR(knob.GetValue(), valueOf(20.0 * std::pow(10.0, 1.5)), 1e-6);
    EXPECT_EQ(drawnFrame(), 30);
    ASSERT_EQ(log.count(), 1u);
    EXPECT_EQ(log.last().id, 10);
    EXPECT_EQ(log.last().value, knob.GetValue());
}

TEST_F(FreqKnobTest, EndsOfTheArcAreTheEndsOfTheRange)
{
    knob.SetValue(0.3f, nullptr, 0);
    knob.SetValue(CPoint(15, 65)); // 45 degrees
    knob.SetValue(CPoint(35, 65)); // straight down: the minimum end
    EXPECT_NEAR(knob.GetValue(), 0.0f, 1e-6);
    knob.SetValue(0.3f, nullptr, 0);
    knob.SetValue(CPoint(56, 66)); // 315 degrees
    knob.SetValue(CPoint(36, 70)); // just right of straight down: clamped to 330
    EXPECT_EQ(knob.GetAngle(), 330.0);
    EXPECT_NEAR(knob.GetValue(), 1.0f, 1e-6);
    EXPECT_LE(knob.GetValue(), 1.0f);
}

TEST_F(FreqKnobTest, DoubleClickMovesThePictureToTheDefaultAtOnce)
{
    ParamData param;
    param.id = 10;
    param.min = 20;
    param.max = 20000;
    param.def = 1000;
    knob.SetReferenceParam(&param);
    knob.SetValue(0.9f, nullptr, 0);
    ASSERT_TRUE(knob.PtInControl(kAbove));
    Canvas canvas;
    knob.LButtonDblClk(canvas.context);
    EXPECT_EQ(knob.GetValue(), valueOf(1000.0));
    EXPECT_NEAR(knob.GetAngle(), angleOf(1000.0), 1e-3);
    // 199.9 degrees is frame 34 of the strip.
    EXPECT_EQ(canvas.frameAt(35, 45, kFrames), 34);
    knob.LButtonUp(kAbove, nullptr);
    EXPECT_EQ(knob.GetValue(), valueOf(1000.0));
}

TEST_F(FreqKnobTest, WheelStepsAlongTheLogarithmicArc)
{
    knob.SetValue(0.0f, nullptr, 0);
    knob.MouseWheel(CPoint(35, 45), 1.0f, 0, nullptr);
    const double lowStep = knob.GetValue();
    EXPECT_NEAR(lowStep, valueOf(20.0 * std::pow(10.0, 0.05)), 1e-6);

    knob.SetValue(1.0f, nullptr, 0);
    knob.MouseWheel(CPoint(35, 45), -1.0f, 0, nullptr);
    const double highStep = 1.0 - knob.GetValue();
    EXPECT_NEAR(knob.GetValue(), valueOf(20000.0 / std::pow(10.0, 0.05)), 1e-5);
    // The same turn covers about a thousand times more hertz at the top than at the bottom
    // (three decades apart, one step up against one step down).
    EXPECT_NEAR(highStep / lowStep, 1000.0 / std::pow(10.0, 0.05), 0.5);
    EXPECT_EQ(log.count(), 2u);
}
