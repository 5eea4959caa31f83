#pragma once
// The built Kestrune.so in our test host, prepared as a host prepares it for playback,
// with helpers to set parameters in their own units and to run stereo audio through it.
#include "effect/ParameterTable.h"
#include "tests/support/BundleLibrary.h"
#include "tests/support/Signals.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class HostedEffect {
public:
    static constexpr int kBlock = 256;

    explicit HostedEffect(double rate = 44100.0, int block = kBlock)
        : m_fx(std::make_unique<VstInstance>(BundleLibrary())), m_rate(rate), m_block(block)
    {
        if (!m_fx->IsValid()) return;
        m_fx->SetSampleRate(rate);
        m_fx->Dispatch(effOpen);
        m_fx->Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
        m_fx->Dispatch(effSetBlockSize, 0, block);
        m_fx->Dispatch(effMainsChanged, 0, 1);
        m_fx->Dispatch(effStartProcess);
    }

    bool IsValid() const { return m_fx->IsValid(); }
    VstInstance& Host() { return *m_fx; }
    double Rate() const { return m_rate; }
    int Block() const { return m_block; }
    size_t Frames(double seconds) const { return static_cast<size_t>(seconds * m_rate); }

    // Sets a parameter by its integer value (ms, Hz, tenths of % or dB or BPM, list step).
    void Set(int index, int value)
    {
        const ParamRow& row = AutomateParamMinMax_Tbl[index];
        const int clamped = std::clamp(value, row.min, row.max);
        m_fx->SetParameter(index, static_cast<float>(clamped - row.min) / static_cast<float>(row.max - row.min));
    }
    // Sets a parameter in the units the panel shows (ms, %, Hz, dB).
    void SetValue(int index, double shown)
    {
        const ParamRow& row = AutomateParamMinMax_Tbl[index];
        const double units = shown * std::pow(10.0, row.decimals);
        m_fx->SetParameter(index, static_cast<float>((units - row.min) / (row.max - row.min)));
    }
    std::string Display(int index) { return m_fx->ParameterDisplay(index); }

    // Wet signal only, levels at 0 dB, no feedback, modulation or filters, delay in ms.
    void WetOnly()
    {
        Set(kBalance, 1000);
        SetValue(kOutputLevel, 0.0);
        SetValue(kInputLevel, 0.0);
        for (int index : {kFeedBack, kDepth, kHpfOn, kLpfOn, kTimeMode}) Set(index, 0);
    }

    // Runs left/right through the single-precision entry in host blocks and returns the
    // left output (the right one into rightOut); inPlace hands the plug-in the same arrays
    // for input and output. beforeBlock is called with the first frame of each block, for
    // automation.
    std::vector<float> Run(const std::vector<float>& left, const std::vector<float>& right,
                           std::vector<float>* rightOut = nullptr,
                           const std::function<void(size_t)>& beforeBlock = nullptr, bool inPlace = false)
    {
        std::vector<float> inL = left, inR = right, outL = left, outR = right;
        for (size_t at = 0; at < left.size(); at += static_cast<size_t>(m_block)) {
            if (beforeBlock) beforeBlock(at);
            const int n = static_cast<int>(std::min<size_t>(static_cast<size_t>(m_block), left.size() - at));
            float* in[2] = {inL.data() + at, inR.data() + at};
            float* out[2] = {outL.data() + at, outR.data() + at};
            m_fx->ProcessReplacing(inPlace ? out : in, out, n);
        }
        if (rightOut) *rightOut = outR;
        return outL;
    }
    // The same mono input on both channels, processed in place; checks that both
    // outputs match and returns one.
    std::vector<float> Render(const std::vector<float>& in, const std::function<void(size_t)>& beforeBlock = nullptr)
    {
        std::vector<float> right;
        std::vector<float> left = Run(in, in, &right, beforeBlock, true);
        EXPECT_EQ(left, right);
        return left;
    }

private:
    std::unique_ptr<VstInstance> m_fx;
    double m_rate;
    int m_block;
};

using HostedEffectTest = BundleTest;
