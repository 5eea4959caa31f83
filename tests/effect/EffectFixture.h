#pragma once
// An effect instance with a scriptable host callback and helpers to run audio through it.
#include "effect/AKestrune.h"

#include <memory>
#include <string>
#include <vector>

struct FakeHost {
    double tempoAt = 0.0;        // answered to the tempo query (BPM)
    double timeInfoTempo = 0.0;  // answered through the time info, when > 0
    VstTimeInfo info {};
    std::string directory;       // answered to the directory query, when set
    std::vector<int> opcodes;

    static FakeHost*& Current()
    {
        static FakeHost* host = nullptr;
        return host;
    }
    static VstIntPtr Callback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
    {
        FakeHost* self = Current();
        if (opcode == audioMasterVersion) return 2400;
        if (!self) return 0;
        self->opcodes.push_back(opcode);
        if (opcode == audioMasterGetDirectory && !self->directory.empty())
            return reinterpret_cast<VstIntPtr>(self->directory.c_str());
        if (opcode == audioMasterTempoAt) return static_cast<VstIntPtr>(self->tempoAt * 10000.0);
        if (opcode == audioMasterGetTime && self->timeInfoTempo > 0.0) {
            self->info.tempo = self->timeInfoTempo;
            self->info.flags = kVstTempoValid;
            return reinterpret_cast<VstIntPtr>(&self->info);
        }
        return 0;
    }
};

class EffectRunner {
public:
    explicit EffectRunner(bool withHost = false)
    {
        if (withHost) FakeHost::Current() = &host;
        fx = std::make_unique<AKestrune>(withHost ? &FakeHost::Callback : nullptr);
    }
    ~EffectRunner()
    {
        fx.reset();
        FakeHost::Current() = nullptr;
    }

    void Set(int index, double target) { fx->setParameter(index, fx->GetParam(index)->NormFrom(target)); }
    // The whole wet path at work: the line fed back and modulated, both filters in.
    void AllAtWork(double delayMs, double feedback, double depth, double rate)
    {
        Set(kDelayTime, delayMs);
        Set(kFeedBack, feedback);
        Set(kDepth, depth);
        Set(kRate, rate);
        fx->setParameter(kHpfOn, 1.0f);
        fx->setParameter(kLpfOn, 1.0f);
    }

    // Processes left/right in place in blocks of the given size.
    void Run(std::vector<float>& left, std::vector<float>& right, int block)
    {
        for (size_t done = 0; done < left.size();) {
            const int n = static_cast<int>(std::min<size_t>(static_cast<size_t>(block), left.size() - done));
            float* io[2] = {left.data() + done, right.data() + done};
            fx->processReplacing(io, io, n);
            done += static_cast<size_t>(n);
        }
    }

    FakeHost host;
    std::unique_ptr<AKestrune> fx;
};
