#pragma once
// The stereo delay engine: raises the block to four times the host rate, runs the
// delay line once per raised sample with its read position steered by a glide or
// by the modulation oscillator, and lowers the delayed (wet) signal again.
#include <cstdint>
#include <memory>

#include "dsp/CBiquadFilter.h"
#include "dsp/CKestrune.h"
#include "dsp/LFO.h"
#include "dsp/SamplingRateConverter.h"
#include "dsp/SimdPath.h"
#include "dsp/StereoFrameSections.h"

class DelayMain {
public:
    static constexpr int kFactor = 4;
    // How long the modulation amplitude takes to follow a Depth change.
    static constexpr double kDepthRampMs = 20.0;
    // Below this headroom a shortage of memory leaves no line at all.
    static constexpr float kMinHeadroomMs = 2.0f;

    DelayMain();
    ~DelayMain() = default;
    DelayMain(const DelayMain&) = delete;
    DelayMain& operator=(const DelayMain&) = delete;

    // Work buffers for blocks of up to n frames; n < 1 or a failed allocation keeps
    // the previous ones (longer blocks are then processed in pieces).
    void SetBloackSize(int n);
    void SetStereo(signed char on) { m_line.SetStereo(on); }
    // Maximum delay time in ms; used for positions at once, for the line's size at
    // the next SetFs. Negative or non-finite times are ignored.
    void SetMaxDelayTime(float t);
    // Resizes (and silences) the line for the host rate fs. A rate the line cannot
    // be sized for leaves the engine as it was. When memory is short, the maximum
    // delay in force (GetMaxDelayTime) is lowered until the line fits; the next
    // SetFs tries the requested maximum again.
    void SetFs(long fs);
    void SetDelayTime(float t);
    void SetFeedBack(float g);
    void SetLFODepth(float depth);
    void SetLFORate(float hz);
    void CalcMod();
    void Reset();
    // Off the audio thread before sound runs: see CKestrune::Populate.
    void PrepareLine() { m_line.Populate(); }
    // n host frames of left/right input to n frames of wet output; out may be in.
    // A stereo engine runs both channels as one two-lane computation.
    void Process(double** in, double** out, int n);
    // The wet path's filters on the engine's output: the high-pass pair, then the
    // low-pass pair on the high-pass's output (chained) or on the engine's; out gets
    // the engine's output, the high-pass's or the low-pass's.
    struct WetFilters {
        CBiquadFilter *highL, *highR, *lowL, *lowR;
        bool chained;
        enum Output { kEngine, kHigh, kLow } output;
    };
    // Process with the filters run in the engine's loop, where their recursions overlap
    // the engine's: bit for bit Process followed by CBiquadFilter::OperateCascade.
    void Process(double** in, double** out, int n, const WetFilters& filters);
    // The same, step by step and channel by channel as described: converter up,
    // line, converter down. Bit-identical to Process; kept as its reference.
    void ProcessPlain(double** in, double** out, int n);

    // The build of the fused loop this engine runs; a path the processor lacks is
    // refused (false) and the current one kept. All paths give the same bits.
    bool SetSimdPath(kdsp::SimdPath path);
    kdsp::SimdPath GetSimdPath() const { return m_path; }
    // The converter's sections in the loop: step by step (the plain form's bits) or a
    // frame at a time (block form, the default: within rounding of it, faster).
    void SetBlockSections(bool block) { m_blockSections = block; }
    bool GetBlockSections() const { return m_blockSections; }

    float GetDelayTime() const { return m_delay; }
    float GetFeedBack() const { return m_feedback; }
    float GetLFODepth() const { return m_depth; }
    float GetLFORate() const { return m_rate; }
    long GetFs() const { return static_cast<long>(m_fs); }
    // The maximum delay the line holds now, and the one asked for.
    float GetMaxDelayTime() const { return m_headroom * 0.5f; }
    float GetRequestedMaxDelayTime() const { return m_requestedHeadroom * 0.5f; }
    int GetBlockSize() const { return m_blockSize; }
    bool IsStarted() const { return m_started; }
    bool IsGliding() const { return m_steer.glide; }
    double GetCurrentPosition() const { return m_steer.current; }
    double GetTargetPosition() const { return m_steer.target; }
    double GetModulationAmplitude() const { return m_steer.amplitude; }
    double GetModulationAmplitudeTarget() const { return m_steer.amplitudeTarget; }
    double GetModulationCentre() const { return m_steer.centre; }
    const CKestrune& GetLine() const { return m_line; }
    // Read position of a time in ms: -1 is 0 ms, +1 is the end of the line.
    double Position(float ms) const;

private:
    // Everything that moves the read position from one raised sample to the next.
    // Stand-ins for Steering inside the fused loop (DelayMain.cpp).
    struct OscillatorSteering;
    struct SteeringCopy;
    struct Steering {
        double current = 0.0, target = 0.0;
        double span = 0.0, start = 0.0;
        bool glide = false;
        double amplitude = 0.0, centre = 0.0;
        // A new amplitude is approached in equal steps, so a Depth change does not
        // make the read position jump.
        double amplitudeTarget = 0.0, amplitudeStep = 0.0;
        int32_t rampLeft = 0;
        LFO glideOsc, modOsc;
        int32_t countdown = 0;

        inline double Next();
        // Next() with the two oscillators given (the LFOs themselves, or stand-ins
        // that step them the same way).
        template <class Osc> inline double Step(Osc& glider, Osc& modulator);
        // While neither a glide nor a depth ramp runs, only the oscillator moves the
        // position (the last branch of Next()), and nothing in a block changes that.
        bool OscillatorOnly() const { return !glide && rampLeft <= 0; }
        void SetAmplitude(double a, int32_t rampSamples);
    };

    double Centre() const;
    // depth x d as a swing of the read position.
    double ModulationAmplitude() const;
    struct OutputPairs;
    struct WetFilterPass;
    struct StaggeredWetFilterPass;
    struct NoWetFilters;
    void Run(double** in, double** out, int n, bool plain, const WetFilters* filters);
    void ProcessPlainPiece(double* const* in, double* const* out, int n, const WetFilters* filters);
    void ProcessFusedPiece(double* const* in, double* const* out, int n, const WetFilters* filters);
    // Built once per instruction set (EngineLoop.h).
    template <kdsp::SimdPath Path>
    void FusedPiece(double* const* in, double* const* out, int n, const WetFilters* filters);
    template <kdsp::SimdPath Path, class Sections>
    void FusedPieceIn(double* const* in, double* const* out, int n, const WetFilters* filters);
    template <kdsp::SimdPath Path, bool Filled, class Steer, class Post, class Sections>
    void FusedLoop(double* const* in, double* const* out, int n, const WetFilters* filters);

    float m_delay = 0.1f;
    float m_feedback = 0.2f;
    float m_depth = 0.0f;
    float m_rate = 0.01f;
    int64_t m_fs = 44100;
    CKestrune m_line;
    Steering m_steer;
    bool m_started = false;
    kdsp::SimdPath m_path = kdsp::DefaultSimdPath();
    // A frame at a time: some 20-25 % less time per frame on every path, within 1e-12
    // of peak of the plain form (tests/dsp/BlockSectionsTests.cpp).
    bool m_blockSections = true;
    BlockCarry m_blockCarry;
    SamplingRateConverter m_src;
    std::unique_ptr<double[]> m_workL, m_workR;
    int m_blockSize = 0;
    float m_headroom = 4000.0f;
    float m_requestedHeadroom = 4000.0f;
};
