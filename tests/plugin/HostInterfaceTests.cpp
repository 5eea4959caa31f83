// The built bundle as a host sees it: loaded with dlopen, driven through its record.
#include "tests/support/BundleLibrary.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using HostInterface = BundleTest;

TEST_F(HostInterface, RecordCarriesIdentityCountsAndFlags)
{
    VstInstance fx(BundleLibrary());
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
    VstInstance fx(BundleLibrary());
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
    VstInstance fx(BundleLibrary());
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

    // Hosts sometimes pass null buffers: answered without writing.
    for (int32_t opcode : {effGetParamName, effGetParamDisplay, effGetParamLabel, effGetProgramName,
                           effSetProgramName, effGetEffectName, effGetVendorString, effGetProductString,
                           effGetParameterProperties, effGetChunk, effSetChunk, effGetProgramNameIndexed})
        fx.Dispatch(opcode, 0, 0, nullptr);
}

namespace {

VstParameterProperties PropertiesOf(VstInstance& fx, int index)
{
    VstParameterProperties p;
    std::memset(&p, 0xA5, sizeof p); // the plug-in must fill every field, not leave ours
    EXPECT_EQ(fx.Dispatch(effGetParameterProperties, index, 0, &p), 1) << index;
    return p;
}

// What a host's stepping control sends: value k * step for k = 0, 1, ... up to 1.0.
std::vector<std::string> DisplaysWhenStepped(VstInstance& fx, int index, float step)
{
    std::vector<std::string> shown;
    for (int k = 0; k * step <= 1.0f + 1e-6f; ++k) {
        fx.SetParameter(index, std::min(1.0f, static_cast<float>(k) * step));
        shown.push_back(fx.ParameterDisplay(index));
    }
    return shown;
}

} // namespace

// Hosts map a parameter by its properties: Ardour names it by the label and, like Carla,
// takes an integer range as the control's range but passes the raw value on.
TEST_F(HostInterface, PropertiesNameEveryParameterAndKeepTheHostRangeNormalised)
{
    VstInstance fx(BundleLibrary());
    ASSERT_TRUE(fx.IsValid());
    for (int i = 0; i < 15; ++i) {
        const VstParameterProperties p = PropertiesOf(fx, i);
        const std::string name = fx.ParameterName(i);
        EXPECT_EQ(std::string(p.label), name);
        EXPECT_EQ(std::string(p.shortLabel), name.substr(0, sizeof p.shortLabel - 1));
        EXPECT_EQ(p.flags & (kVstParameterUsesIntegerMinMax | kVstParameterUsesIntStep), 0) << name;
        EXPECT_EQ(p.flags & kVstParameterCanRamp, 0) << name << ": Carla would show a logarithmic knob";
        EXPECT_EQ(p.flags & kVstParameterSupportsDisplayCategory, 0) << name;
        EXPECT_EQ(p.minInteger, 0);
        EXPECT_EQ(p.maxInteger, 0);
        EXPECT_NE(p.flags & kVstParameterSupportsDisplayIndex, 0);
        EXPECT_EQ(p.displayIndex, i);
        for (char c : p.future) EXPECT_EQ(c, 0);
    }
    VstParameterProperties p {};
    EXPECT_EQ(fx.Dispatch(effGetParameterProperties, 15, 0, &p), 0) << "no such parameter";
    EXPECT_EQ(fx.Dispatch(effGetParameterProperties, -1, 0, &p), 0);
}

TEST_F(HostInterface, SwitchesAndListsStepThroughEveryValueAHostOffers)
{
    VstInstance fx(BundleLibrary());
    ASSERT_TRUE(fx.IsValid());
    for (int index : {0, 8, 9}) {
        const VstParameterProperties p = PropertiesOf(fx, index);
        EXPECT_EQ(p.flags & (kVstParameterIsSwitch | kVstParameterUsesFloatStep), kVstParameterIsSwitch) << index;
        // A host's toggle sends its two ends.
        EXPECT_EQ(DisplaysWhenStepped(fx, index, 1.0f), (std::vector<std::string> {"OFF", "ON"})) << index;
    }
    struct List { int index; std::vector<std::string> entries; };
    for (const List& list : {List {12, {"MS", "BPM", "HOST"}},
                             List {13, {"1/64", "1/32", "1/16", "1/8 T", "1/8", "1/4 T", "1/4", "1/2 T", "1/2", "1 Bar"}}}) {
        const VstParameterProperties p = PropertiesOf(fx, list.index);
        EXPECT_EQ(p.flags & (kVstParameterIsSwitch | kVstParameterUsesFloatStep), kVstParameterUsesFloatStep);
        EXPECT_EQ(p.smallStepFloat, p.stepFloat);
        EXPECT_EQ(p.largeStepFloat, p.stepFloat);
        EXPECT_EQ(DisplaysWhenStepped(fx, list.index, p.stepFloat), list.entries) << list.index;
    }
    // Continuous parameters leave their steps to the host.
    for (int index : {1, 2, 3, 4, 5, 6, 7, 10, 11, 14}) {
        const VstParameterProperties p = PropertiesOf(fx, index);
        EXPECT_EQ(p.flags & (kVstParameterIsSwitch | kVstParameterUsesFloatStep), 0) << index;
        EXPECT_EQ(p.stepFloat, 0.0f);
    }
}

TEST_F(HostInterface, ProgramSelectionIgnoresNumbersOutsideTheBank)
{
    VstInstance fx(BundleLibrary());
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
    VstInstance a(BundleLibrary());
    VstInstance b(BundleLibrary());
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
    VstInstance fx(BundleLibrary(), 0);
    EXPECT_FALSE(fx.IsValid());
}
