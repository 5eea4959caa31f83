// The built bundle as a host sees it: loaded with dlopen, driven through its record.
#include "tools/host/VstHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const VstLibrary& Library()
{
    static VstLibrary library(KESTRUNE_BUNDLE_DIR);
    return library;
}

class HostInterface : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Library().IsLoaded()) << Library().Error(); }
};

} // namespace

TEST_F(HostInterface, RecordCarriesIdentityCountsAndFlags)
{
    VstInstance fx(Library());
    ASSERT_TRUE(fx.IsValid());
    const AEffect* e = fx.Effect();
    unsigned char magic[4];
    std::memcpy(magic, &e->magic, 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(magic), 4), "PtsV");
    EXPECT_EQ(e->uniqueID, FourCC('K', 'S', 'T', 'R'));
    EXPECT_EQ(e->numPrograms, 32);
    EXPECT_EQ(e->numParams, 15);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags, 57) << "editor, mono, replacing, chunks; never double replacing";
    EXPECT_EQ(e->version, 1);
    EXPECT_EQ(e->initialDelay, 0);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_EQ(e->user, &fx);
    EXPECT_NE(e->processReplacing, nullptr);
    EXPECT_NE(e->processDoubleReplacing, nullptr);
    EXPECT_NE(e->process, nullptr);
    for (char byte : e->future) EXPECT_EQ(byte, 0);
}

TEST_F(HostInterface, DispatcherAnswersFixedOpcodes)
{
    VstInstance fx(Library());
    ASSERT_TRUE(fx.IsValid());
    EXPECT_EQ(fx.Dispatch(effGetVu), 0);
    EXPECT_EQ(fx.Dispatch(effKeysRequired), 1);
    EXPECT_EQ(fx.Dispatch(effGetVstVersion), 2300);
    EXPECT_EQ(fx.Dispatch(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(fx.Dispatch(effSetTotalSampleToProcess, 0, 12345), 12345);
    EXPECT_EQ(fx.Dispatch(effIdentify), FourCC('N', 'v', 'E', 'f'));
    EXPECT_EQ(fx.Dispatch(effGetPlugCategory), 1);
    EXPECT_EQ(fx.Dispatch(effGetVendorVersion), 1000);
    EXPECT_EQ(fx.Dispatch(effCanBeAutomated, 3), 1);
    EXPECT_EQ(fx.Dispatch(effGetNumProgramCategories), 1);
    EXPECT_EQ(fx.Dispatch(effConnectInput, 0, 1), 1);
    EXPECT_EQ(fx.Dispatch(effSetBypass, 0, 1), 0) << "no soft bypass";
    EXPECT_EQ(fx.Dispatch(effGetTailSize), 0);
    EXPECT_EQ(fx.Dispatch(effSetBlockSizeAndSampleRate, 0, 64, nullptr, 96000.0f), 1);
    for (int32_t opcode : {80, 200, -1, 12345}) EXPECT_EQ(fx.Dispatch(opcode, 1, 1, nullptr, 1.0f), 0) << opcode;

    void* inArrangement = &fx;
    void* outArrangement = &fx;
    fx.Dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&inArrangement), &outArrangement);
    EXPECT_EQ(inArrangement, nullptr);
    EXPECT_EQ(outArrangement, nullptr);

    EXPECT_EQ(fx.StringOf(effGetEffectName), "Kestrune");
    EXPECT_EQ(fx.StringOf(effGetProductString), "Kestrune");
    EXPECT_EQ(fx.StringOf(effGetVendorString), "ORBELINE Co.,Ltd.");
    char canDo[] = "receiveVstTimeInfo";
    EXPECT_EQ(fx.Dispatch(effCanDo, 0, 0, canDo), 1);
    EXPECT_EQ(fx.Dispatch(effCanDo, 0, 0, nullptr), 0);
}

TEST_F(HostInterface, ParametersReadAsHostsShowThem)
{
    // A fresh instance, before open loads any bank, shows the table defaults.
    VstInstance fx(Library());
    ASSERT_TRUE(fx.IsValid());
    const char* names[15] = {"ON/OFF", "Output Leve", "Iutput Leve", "DelayTime", "FeedBack",
                             "Balance", "Depth", "Rate", "HPF ON", "LPF ON",
                             "HPF FREQ", "LPF FREQ", "TimeMode", "Note", "BPM"};
    const char* labels[15] = {"", "dB", "dB", "ms", "%", "%", "%", "Hz", "", "", "Hz", "Hz", "", "", ""};
    const char* displays[15] = {"ON", "0.0", "0.0", "0", "0.0", "50.0", "0.0", "0.1",
                                "OFF", "OFF", "20", "20000", "MS", "1/4", "120.0"};
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(fx.ParameterName(i), names[i]);
        EXPECT_EQ(fx.ParameterLabel(i), labels[i]);
        EXPECT_EQ(fx.ParameterDisplay(i), displays[i]) << names[i];
    }
    fx.SetParameter(3, 0.5f);
    EXPECT_EQ(fx.GetParameter(3), 0.5f);
    EXPECT_EQ(fx.ParameterDisplay(3), "4000");

    VstParameterProperties p {};
    EXPECT_EQ(fx.Dispatch(effGetParameterProperties, 4, 0, &p), 1);
    EXPECT_EQ(p.flags, 84);
    EXPECT_EQ(fx.Dispatch(effGetParameterProperties, 13, 0, &p), 1);
    EXPECT_EQ(p.flags, 26);

    // Hosts sometimes pass null buffers: answered without writing.
    for (int32_t opcode : {effGetParamName, effGetParamDisplay, effGetParamLabel, effGetProgramName,
                           effSetProgramName, effGetEffectName, effGetVendorString, effGetProductString,
                           effGetParameterProperties, effGetChunk, effSetChunk, effGetProgramNameIndexed})
        fx.Dispatch(opcode, 0, 0, nullptr);
}

TEST_F(HostInterface, ProgramSelectionIgnoresNumbersOutsideTheBank)
{
    VstInstance fx(Library());
    ASSERT_TRUE(fx.IsValid());
    fx.Dispatch(effSetProgram, 0, 5);
    EXPECT_EQ(fx.Dispatch(effGetProgram), 5);
    EXPECT_EQ(fx.Dispatch(effSetProgram, 0, 32), 0);
    EXPECT_EQ(fx.Dispatch(effSetProgram, 0, -1), 0);
    EXPECT_EQ(fx.Dispatch(effGetProgram), 5);
    EXPECT_EQ(fx.ProgramName(), "Empty");
}

TEST_F(HostInterface, InstancesAreIndependentAndCloseThroughTheRecord)
{
    VstInstance a(Library());
    VstInstance b(Library());
    ASSERT_TRUE(a.IsValid() && b.IsValid());
    EXPECT_NE(a.Effect(), b.Effect());
    a.SetParameter(4, 0.8f);
    EXPECT_EQ(a.GetParameter(4), 0.8f);
    EXPECT_EQ(b.GetParameter(4), 0.0f);
    // The record entry deletes the effect (a leak here fails the sanitizer build).
    EXPECT_EQ(a.Close(), 1);
    EXPECT_EQ(a.Close(), 0);
    EXPECT_EQ(b.GetParameter(4), 0.0f);
}

TEST_F(HostInterface, OldHostGetsNoEffect)
{
    VstInstance fx(Library(), 0);
    EXPECT_FALSE(fx.IsValid());
}
