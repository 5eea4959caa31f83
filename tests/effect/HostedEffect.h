#pragma once
// The built Kestrune.so in our test host, prepared as a host prepares it for playback,
// with helpers to set parameters in their own units and to run stereo audio through it.
#include "effect/ParameterTable.h"
#include "tools/host/VstHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

inline const VstLibrary& KestruneLibrary()
{
    static VstLibrary library(KESTRUNE_BUNDLE_DIR);
    return library;
}

class HostedEffect {
public:
    static constexpr int kBlock = 256;

    explicit HostedEffect(double rate = 44100.0)
        : m_fx(std::make_unique<VstInstance>(KestruneLibrary())), m_rate(rate)
    {
        if (!m_fx->IsValid()) return;
        m_fx->SetSampleRate(rate);
        m_fx->Dispatch(effOpen);
        m_fx->Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
        m_fx->Dispatch(effSetBlockSize, 0, kBlock);
        m_fx->Dispatch(effMainsChanged, 0, 1);
        m_fx->Dispatch(effStartProcess);
    }

    bool IsValid() const { return m_fx->IsValid(); }
    VstInstance& Host() { return *m_fx; }
    double Rate() const { return m_rate; }

    // Sets a parameter by its integer value (ms, Hz, tenths of % or dB or BPM, list step).
    void Set(int index, int value)
    {
        const ParamRow& row = AutomateParamMinMax_Tbl[index];
        const int clamped = std::clamp(value, row.min, row.max);
        m_fx->SetParameter(index, static_cast<float>(clamped - row.min) / static_cast<float>(row.max - row.min));
    }
    std::string Display(int index) { return m_fx->ParameterDisplay(index); }

    // Runs left/right through the single-precision entry in host blocks and returns the
    // left output (the right one into rightOut). beforeBlock is called with the first frame
    // of each block, for automation.
    std::vector<float> Run(const std::vector<float>& left, const std::vector<float>& right,
                           std::vector<float>* rightOut = nullptr,
                           const std::function<void(size_t)>& beforeBlock = nullptr)
    {
        std::vector<float> inL = left, inR = right, outL(left.size()), outR(left.size());
        for (size_t at = 0; at < left.size(); at += kBlock) {
            if (beforeBlock) beforeBlock(at);
            const int n = static_cast<int>(std::min<size_t>(kBlock, left.size() - at));
            float* in[2] = {inL.data() + at, inR.data() + at};
            float* out[2] = {outL.data() + at, outR.data() + at};
            m_fx->ProcessReplacing(in, out, n);
        }
        if (rightOut) *rightOut = outR;
        return outL;
    }

private:
    std::unique_ptr<VstInstance> m_fx;
    double m_rate;
};

class HostedEffectTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(KestruneLibrary().IsLoaded()) << KestruneLibrary().Error(); }
};
