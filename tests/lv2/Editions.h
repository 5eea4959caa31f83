#pragma once
// The two editions side by side: the built VST bundle through our VST host and the built
// LV2 bundle through our lilv host, set up alike and fed the same audio.
#include "effect/BankFile.h"
#include "effect/ParameterUnits.h"
#include "lv2/Lv2Ports.h"
#include "tests/support/BundleLibrary.h"
#include "tools/lv2host/Lv2Host.h"

#include <algorithm>
#include <array>
#include <vector>

constexpr double kSampleRate = 48000.0;

using Settings = std::array<float, kNumParams>; // in the units the panel shows

inline Lv2World& BuiltLv2Bundle()
{
    static Lv2World* world = new Lv2World(KESTRUNE_LV2_BUNDLE_DIR);
    return *world;
}

inline const LilvPlugin* Lv2Plugin()
{
    return BuiltLv2Bundle().Plugin(kLv2PluginUri);
}

inline Settings DefaultSettings()
{
    Settings s {};
    for (int i = 0; i < kNumParams; ++i) s[i] = static_cast<float>(UnitsDefault(i));
    return s;
}

struct Stereo {
    std::vector<float> left, right;
    bool operator==(const Stereo&) const = default;
};

// The VST edition as a host drives it, with the parameters a host would send for these
// settings: those that differ from what the effect holds, in the effect's order.
class VstEdition {
public:
    VstEdition(const Settings& settings, int block, double tempo = 0.0, const std::vector<char>& chunk = {})
        : m_fx(BundleLibrary()), m_block(block)
    {
        m_fx.SetSampleRate(kSampleRate);
        if (tempo > 0.0) m_fx.SetTempo(tempo, true);
        m_fx.Dispatch(effOpen);
        m_fx.Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(kSampleRate));
        m_fx.Dispatch(effSetBlockSize, 0, block);
        if (!chunk.empty())
            m_fx.Dispatch(effSetChunk, 0, static_cast<intptr_t>(chunk.size()), const_cast<char*>(chunk.data()));
        Apply(settings);
        m_fx.Dispatch(effMainsChanged, 0, 1);
        m_fx.Dispatch(effStartProcess);
    }
    void Apply(const Settings& settings)
    {
        for (int i = 0; i < kNumParams; ++i)
            if (static_cast<float>(UnitsFromNormalised(i, m_fx.GetParameter(i))) != settings[i])
                m_fx.SetParameter(i, NormalisedFromUnits(i, settings[i]));
    }
    VstInstance& Fx() { return m_fx; }
    Stereo Process(const Stereo& in)
    {
        Stereo out {std::vector<float>(in.left.size()), std::vector<float>(in.right.size())};
        for (size_t done = 0; done < in.left.size(); done += m_block) {
            const int frames = static_cast<int>(std::min<size_t>(m_block, in.left.size() - done));
            float* inputs[2] = {const_cast<float*>(in.left.data()) + done, const_cast<float*>(in.right.data()) + done};
            float* outputs[2] = {out.left.data() + done, out.right.data() + done};
            m_fx.ProcessReplacing(inputs, outputs, frames);
        }
        return out;
    }

private:
    VstInstance m_fx;
    size_t m_block;
};

class Lv2Edition {
public:
    Lv2Edition(const Settings& settings, int block) : m_fx(BuiltLv2Bundle(), Lv2Plugin(), kSampleRate, block), m_block(block)
    {
        Set(settings);
    }
    void Set(const Settings& settings)
    {
        for (int i = 0; i < kNumParams; ++i) m_fx.SetControl(kLv2ParameterPorts[i].symbol, settings[i]);
    }
    Lv2Instance& Fx() { return m_fx; }
    Stereo Process(const Stereo& in)
    {
        Stereo out {std::vector<float>(in.left.size()), std::vector<float>(in.right.size())};
        for (size_t done = 0; done < in.left.size(); done += m_block) {
            const int frames = static_cast<int>(std::min<size_t>(m_block, in.left.size() - done));
            m_fx.Run(in.left.data() + done, in.right.data() + done, out.left.data() + done, out.right.data() + done,
                     frames);
        }
        return out;
    }

private:
    Lv2Instance m_fx;
    size_t m_block;
};
