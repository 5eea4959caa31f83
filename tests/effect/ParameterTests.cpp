// The parameter model: mappings, displays, properties and gain laws, on the effect object.
#include "effect/AKestrune.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

namespace {

struct Effect {
    std::unique_ptr<AKestrune> fx = std::make_unique<AKestrune>(nullptr);

    std::string Display(int index)
    {
        char text[64] = "untouched";
        fx->getParameterDisplay(index, text);
        return text;
    }
    std::string DisplayAt(int index, float value)
    {
        fx->setParameter(index, value);
        return Display(index);
    }
    int OutputGainInt() { return fx->GetParam(kOutputGainId)->GetInt(); }
};

} // namespace

TEST(ParameterModel, NewInstanceReportsTableDefaults)
{
    Effect e;
    const float expected[kNumParams] = {1.0f, 593.0f / 653.0f, 1.0f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f,
                                        0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 6.0f / 9.0f, 900.0f / 4700.0f};
    for (int i = 0; i < kNumParams; ++i) EXPECT_FLOAT_EQ(e.fx->getParameter(i), expected[i]) << "parameter " << i;
    EXPECT_EQ(e.fx->getParameter(15), 0.0f);
    EXPECT_EQ(e.fx->getParameter(-1), 0.0f);
    EXPECT_FLOAT_EQ(e.fx->GetParam(kOutputGainId)->GetReal(), 1.00005f);
    EXPECT_FLOAT_EQ(e.fx->GetParam(kInputGainId)->GetReal(), 1.00005f);
}

TEST(ParameterModel, DisplaysUseIntegerRoundingDecimalsAndStepNames)
{
    Effect e;
    EXPECT_EQ(e.DisplayAt(kOutputLevel, 1.0f), "6.0");
    EXPECT_EQ(e.DisplayAt(kOutputLevel, 0.0f), "-59.3");
    EXPECT_EQ(e.DisplayAt(kDelayTime, 0.5f), "4000");
    EXPECT_EQ(e.DisplayAt(kRate, 0.0f), "0.1");
    EXPECT_EQ(e.DisplayAt(kNote, 6.0f / 9.0f), "1/4");
    EXPECT_EQ(e.DisplayAt(kNote, 1.0f), "1 Bar");
    EXPECT_EQ(e.DisplayAt(kTimeMode, 1.0f), "HOST");
    EXPECT_EQ(e.DisplayAt(kTimeMode, 0.5f), "BPM");
    EXPECT_EQ(e.DisplayAt(kOnOff, 0.4f), "OFF");
    EXPECT_EQ(e.DisplayAt(kOnOff, 0.5f), "ON");
    EXPECT_EQ(e.DisplayAt(kBpm, 900.0f / 4700.0f), "120.0");
    EXPECT_EQ(e.DisplayAt(kHpfFreq, 0.5f), "10010");
    EXPECT_EQ(e.Display(15), "untouched") << "out-of-range indices leave the text alone";
    e.fx->getParameterDisplay(kBpm, nullptr);

    char text[16] = "x";
    e.fx->getParameterDisplay(static_cast<const ParamData*>(nullptr), text);
    EXPECT_STREQ(text, "0");
    ParamData foreignList = *e.fx->GetParam(kNote);
    foreignList.list = 7;
    e.fx->getParameterDisplay(&foreignList, text);
    EXPECT_STREQ(text, "0") << "a list that does not exist shows 0";
}

TEST(ParameterModel, HostValuesOutsideZeroToOneAreClampedNotMapped)
{
    Effect e;
    e.fx->setParameter(kDelayTime, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(e.fx->getParameter(kDelayTime), 0.0f);
    e.fx->setParameter(kDelayTime, std::numeric_limits<float>::infinity());
    EXPECT_EQ(e.fx->getParameter(kDelayTime), 1.0f);
    EXPECT_EQ(e.Display(kDelayTime), "8000");
    e.fx->setParameter(kFeedBack, -3.0f);
    EXPECT_EQ(e.fx->getParameter(kFeedBack), 0.0f);
    e.fx->setParameter(kFeedBack, 1e30f);
    EXPECT_EQ(e.Display(kFeedBack), "100.0");
}

TEST(ParameterModel, LevelsDriveGainsAtSixDecibelsPerDoubling)
{
    Effect e;
    const ParamData& level = *e.fx->GetParam(kOutputLevel);
    e.fx->setParameter(kOutputLevel, level.NormFrom(60));
    EXPECT_EQ(e.OutputGainInt(), 2000);
    e.fx->setParameter(kOutputLevel, level.NormFrom(0));
    EXPECT_EQ(e.OutputGainInt(), 1000);
    // -6.0 dB is read as -6.00005 and the gain truncates: 499, not 500.
    e.fx->setParameter(kOutputLevel, level.NormFrom(-60));
    EXPECT_EQ(e.OutputGainInt(), 499);
    e.fx->setParameter(kOutputLevel, level.NormFrom(-593));
    EXPECT_EQ(e.OutputGainInt(), 1);

    const ParamData& input = *e.fx->GetParam(kInputLevel);
    e.fx->setParameter(kInputLevel, input.NormFrom(-120));
    EXPECT_EQ(e.fx->GetParam(kInputGainId)->GetInt(), 249);
}

TEST(ParameterModel, GainKnobsDriveLevelsAndTheProgram)
{
    Effect e;
    const ParamData& gain = *e.fx->GetParam(kOutputGainId);
    e.fx->setParameter(kOutputGainId, gain.NormFrom(500));
    EXPECT_EQ(e.Display(kOutputLevel), "-5.9") << "the inverse law truncates toward zero";
    EXPECT_EQ(e.fx->GetProgramRecord(0).values[kOutputLevel], e.fx->getParameter(kOutputLevel));
    e.fx->setParameter(kOutputGainId, 1.0f);
    EXPECT_EQ(e.Display(kOutputLevel), "6.0");

    const ParamData& inGain = *e.fx->GetParam(kInputGainId);
    e.fx->setParameter(kInputGainId, inGain.NormFrom(1));
    EXPECT_EQ(e.Display(kInputLevel), "-59.3");
    EXPECT_EQ(e.fx->GetProgramRecord(0).values[kInputLevel], e.fx->getParameter(kInputLevel));
}

TEST(ParameterModel, CanDoAnswersByExactText)
{
    Effect e;
    char timeInfo[] = "receiveVstTimeInfo";
    char bypass[] = "bypass";
    char offline[] = "offline";
    char midi[] = "receiveVstMidiEvent";
    char almost[] = "receiveVstTimeInfo ";
    EXPECT_EQ(e.fx->canDo(timeInfo), 1);
    EXPECT_EQ(e.fx->canDo(bypass), 0);
    EXPECT_EQ(e.fx->canDo(offline), -1);
    EXPECT_EQ(e.fx->canDo(midi), -1);
    EXPECT_EQ(e.fx->canDo(almost), 0);
    EXPECT_EQ(e.fx->canDo(nullptr), 0);
}

TEST(ParameterModel, ChangesGoIntoTheCurrentProgram)
{
    Effect e;
    e.fx->setParameter(kFeedBack, 0.25f);
    EXPECT_EQ(e.fx->GetProgramRecord(0).values[kFeedBack], 0.25f);
    e.fx->setProgram(3);
    e.fx->setParameter(kFeedBack, 0.75f);
    EXPECT_EQ(e.fx->GetProgramRecord(3).values[kFeedBack], 0.75f);
    e.fx->setProgram(0);
    EXPECT_EQ(e.fx->getParameter(kFeedBack), 0.25f) << "edits stay with their program";
}
