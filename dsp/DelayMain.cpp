#include "dsp/DelayMain.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

#include "dsp/PairedLFO.h"
#include "dsp/SampleGuards.h"
#include "dsp/StereoBiquad.h"
#include "dsp/StereoLine.h"

template <class Osc> inline double DelayMain::Steering::Step(Osc& glider, Osc& modulator)
{
    if (glide && !(current == target)) {
        double p = glider.Process() * span + start;
        current = p;
        const int32_t c0 = countdown;
        countdown = c0 - 1;
        if (c0 <= 0) {
            p = target;
            current = target;
            glide = false;
        }
        if (p < -1.0) {
            current = target = -1.0;
            glide = false;
            p = -1.0;
        } else if (p > 1.0) {
            current = target = 1.0;
            glide = false;
            p = 1.0;
        }
        return p;
    }
    if (rampLeft > 0) {
        --rampLeft;
        amplitude = rampLeft == 0 ? amplitudeTarget : amplitude + amplitudeStep;
    }
    const double p = kdsp::ClampPosition(modulator.Process() * amplitude + centre);
    current = p;
    return p;
}

// Next() of a Steering whose OscillatorOnly() holds, with what it reads held in
// registers for a block and handed back by Store().
struct DelayMain::OscillatorSteering {
    explicit OscillatorSteering(Steering& s)
        : steering(s), osc(s.modOsc), amplitude(s.amplitude), centre(s.centre), current(s.current)
    {
    }
    double Next() { return current = kdsp::ClampPosition(osc.Process() * amplitude + centre); }
    void Store()
    {
        osc.Store();
        steering.current = current;
    }

    Steering& steering;
    PairedLFO osc;
    const double amplitude, centre;
    double current;
};

inline double DelayMain::Steering::Next() { return Step(glideOsc, modOsc); }

void DelayMain::Steering::SetAmplitude(double a, int32_t rampSamples)
{
    amplitudeTarget = a;
    if (rampSamples <= 0 || a == amplitude) {
        amplitude = a;
        rampLeft = 0;
        return;
    }
    amplitudeStep = (a - amplitude) / static_cast<double>(rampSamples);
    rampLeft = rampSamples;
}

DelayMain::DelayMain()
{
    m_line.SetSize(353504, 353504);
    m_steer.current = m_steer.target = Position(10.0f);
    m_steer.SetAmplitude(0.0, 0);
    m_src.init();
    m_src.setSRCFactor(kFactor, 101);
    SetBloackSize(256);
}

double DelayMain::Centre() const { return static_cast<double>((m_headroom + 8.0f) * 0.5f); }

double DelayMain::Position(float ms) const
{
    const double c = Centre();
    return (static_cast<double>(ms) - c) / c;
}

void DelayMain::SetBloackSize(int n)
{
    if (n < 1) return;
    const size_t len = static_cast<size_t>(n) * kFactor;
    std::unique_ptr<double[]> left(new (std::nothrow) double[len]);
    std::unique_ptr<double[]> right(new (std::nothrow) double[len]);
    if (!left || !right) return;
    m_workL = std::move(left);
    m_workR = std::move(right);
    m_blockSize = n;
}

void DelayMain::SetMaxDelayTime(float t)
{
    const float m = t + t;
    if (!(t >= 0.0f) || !std::isfinite(m)) return;
    m_headroom = m_requestedHeadroom = m;
}

// Samples of each half of the line for the headroom M at the rate fs, or -1 when
// the doubled size would not stay a 32-bit integer.
static int32_t HalfLineSize(float headroom, long fs)
{
    const float frames = (headroom + 8.0f) * static_cast<float>(fs) / 1000.0f;
    if (!(frames < 1073741824.0f)) return -1;
    return 2 * static_cast<int32_t>(frames);
}

void DelayMain::SetFs(long fs)
{
    if (fs <= 0) return;
    float headroom = m_requestedHeadroom;
    int32_t size = HalfLineSize(headroom, fs);
    if (size < 0) return;
    if (!m_line.SetSize(size, size)) {
        // Short of memory: the old rate's line is of no use at the new rate, and its
        // memory may be what the new one needs. Then halve the maximum delay until a
        // line fits; positions follow the smaller M, so times stay right.
        m_line.Free();
        while (!m_line.SetSize(size, size)) {
            headroom *= 0.5f;
            if (headroom < kMinHeadroomMs) {
                headroom = 0.0f; // no line at all: the input passes through undelayed
                break;
            }
            size = HalfLineSize(headroom, fs);
        }
    }
    const bool remapped = headroom != m_headroom;
    m_headroom = headroom;
    m_fs = fs;
    m_steer.current = m_steer.target = Position(m_delay);
    if (remapped) {
        // Positions mean other times now: the swing is recentred and rescaled at once.
        m_steer.centre = m_steer.target;
        m_steer.SetAmplitude(ModulationAmplitude(), 0);
    }
}

void DelayMain::SetDelayTime(float t)
{
    if (t == m_delay || !std::isfinite(t)) return;
    Steering& s = m_steer;
    s.glide = false;
    s.target = Position(t);
    if (!m_started) {
        s.current = s.target;
        m_delay = t;
        s.centre = s.target;
        return;
    }
    s.target = std::clamp(s.target, -1.0, 1.0);
    s.start = s.current;
    s.span = s.target - s.current;

    // Lengthening by d ms glides over 2d ms, shortening by d ms over d ms.
    const float diff = m_delay - t;
    double glideMs = static_cast<double>(std::llabs(static_cast<long long>(kdsp::SaturateToInt32(diff))));
    if (s.current < s.target) glideMs = 2.0 * glideMs;
    const double raisedRate = static_cast<double>(kFactor * m_fs);
    // A quarter period of the glide oscillator lasts the glide.
    s.glideOsc.SetFreq(1.0 / (glideMs / 250.0), raisedRate);
    s.glideOsc.mute();
    s.countdown = kdsp::SaturateToInt32(static_cast<double>(m_fs) * glideMs * 4.0 / 1000.0);
    s.modOsc.mute();
    s.glide = true;
    m_delay = t;
    CalcMod();
    s.centre = s.target;
}

void DelayMain::SetFeedBack(float g)
{
    if (!std::isfinite(g)) return;
    m_feedback = g;
    m_line.SetFeedback(static_cast<double>(g));
}

void DelayMain::SetLFODepth(float depth)
{
    if (!std::isfinite(depth)) return;
    m_depth = depth;
    CalcMod();
}

void DelayMain::SetLFORate(float hz)
{
    if (!std::isfinite(hz)) return;
    m_rate = hz;
    CalcMod();
}

double DelayMain::ModulationAmplitude() const
{
    const float a = m_depth * m_delay + m_delay;
    const double c = Centre();
    // A swing too large to represent means no swing rather than a NaN position.
    return kdsp::ZeroIfNotFinite((static_cast<double>(a) - c) / c - m_steer.target);
}

void DelayMain::CalcMod()
{
    // Set at once until sound runs; from then on over kDepthRampMs.
    const int32_t ramp = m_started ? kdsp::SaturateToInt32(static_cast<double>(kFactor * m_fs) * kDepthRampMs / 1000.0) : 0;
    m_steer.SetAmplitude(ModulationAmplitude(), ramp);
    m_steer.modOsc.SetFreq(static_cast<double>(m_rate), static_cast<double>(kFactor * m_fs));
}

void DelayMain::Reset()
{
    m_src.init();
    m_src.setSRCFactor(kFactor, 101);
    m_steer.current = m_steer.target = Position(m_delay);
    m_line.Reset();
}

void DelayMain::Process(double** in, double** out, int n) { Run(in, out, n, false); }

void DelayMain::ProcessPlain(double** in, double** out, int n) { Run(in, out, n, true); }

void DelayMain::Run(double** in, double** out, int n, bool plain)
{
    m_started = true;
    if (n <= 0) return;
    if (m_blockSize < 1) {
        std::fill(out[0], out[0] + n, 0.0);
        std::fill(out[1], out[1] + n, 0.0);
        return;
    }
    // The converter's sections of mode 101 are what the fused loop runs.
    const bool fused = !plain && StereoLine::Applies(m_line) && m_src.getFactor() == kFactor && m_src.getMode() == 101;
    for (int done = 0; done < n;) {
        const int len = std::min(n - done, m_blockSize);
        double* const pieceIn[2] = {in[0] + done, in[1] + done};
        double* const pieceOut[2] = {out[0] + done, out[1] + done};
        if (fused) ProcessFusedPiece(pieceIn, pieceOut, len);
        else ProcessPlainPiece(pieceIn, pieceOut, len);
        done += len;
    }
}

void DelayMain::ProcessPlainPiece(double* const* in, double* const* out, int n)
{
    double* wl = m_workL.get();
    double* wr = m_workR.get();
    m_src.usrc(in[0], in[1], wl, wr, n);
    for (long i = 0; i < static_cast<long>(n) * kFactor; ++i) {
        double pair[2] = {wl[i], wr[i]};
        m_line.ProcessST(pair, pair, m_steer.Next());
        wl[i] = pair[0];
        wr[i] = pair[1];
    }
    m_src.dsrc(wl, wr, out[0], out[1], n);
}

// The general steering, a copy for a block, so its state can live in registers,
// with both oscillators stepped in two lanes.
struct DelayMain::SteeringCopy {
    explicit SteeringCopy(Steering& s) : steering(s), copy(s), glider(copy.glideOsc), modulator(copy.modOsc) {}
    double Next() { return copy.Step(glider, modulator); }
    void Store()
    {
        glider.Store();
        modulator.Store();
        steering = copy;
    }

    Steering& steering;
    Steering copy;
    PairedLFO glider, modulator;
};

// Converter up, line and converter down in one pass per raised sample, both
// channels in the two lanes of an SSE2 register: the three recursions overlap
// instead of running one after the other, and no work buffer is touched. Each
// stage is sample-sequential, so the order of operations per sample (and thus
// every bit) is that of the plain form. The first filtered sample of each group
// of four is the output, as in the converter's decimation.
void DelayMain::ProcessFusedPiece(double* const* in, double* const* out, int n)
{
    // A line filled since its last reset needs no test of what was written.
    const bool filled = StereoLine(m_line).Filled();
    if (m_steer.OscillatorOnly()) {
        if (filled) FusedLoop<true, OscillatorSteering>(in, out, n);
        else FusedLoop<false, OscillatorSteering>(in, out, n);
    } else {
        if (filled) FusedLoop<true, SteeringCopy>(in, out, n);
        else FusedLoop<false, SteeringCopy>(in, out, n);
    }
}

template <bool Filled, class Steer> void DelayMain::FusedLoop(double* const* in, double* const* out, int n)
{
    StereoLine line(m_line);
    StereoBiquad up(m_src.biquad(SamplingRateConverter::kUpLeft), m_src.biquad(SamplingRateConverter::kUpRight));
    StereoBiquad down(m_src.biquad(SamplingRateConverter::kDownLeft), m_src.biquad(SamplingRateConverter::kDownRight));
    Steer steer(m_steer);
    const __m128d gain = _mm_set1_pd(static_cast<double>(kFactor));
    const double* inL = in[0];
    const double* inR = in[1];
    double* outL = out[0];
    double* outR = out[1];
    // The up section's history holds the inserted zeros of the last frame, except
    // after an unusual start; then one frame goes through it sample by sample.
    int k = 0;
    if (n > 0 && !up.ZeroHistory()) {
        const __m128d x = _mm_mul_pd(_mm_set_pd(inR[0], inL[0]), gain);
        __m128d first = _mm_setzero_pd();
        for (int j = 0; j < kFactor; ++j) {
            const __m128d lowered = down.process(line.Process<Filled>(up.process(j == 0 ? x : _mm_setzero_pd()), steer.Next()));
            if (j == 0) first = lowered;
        }
        _mm_store_sd(outL, first);
        _mm_storeh_pd(outR, first);
        k = 1;
    }
    const StereoBiquad::ZeroProducts zeros = up.ZeroProductsOf();
    for (; k < n; ++k) {
        __m128d raised[kFactor];
        up.RaiseFrame(_mm_mul_pd(_mm_set_pd(inR[k], inL[k]), gain), zeros, raised);
        const __m128d first = down.process(line.Process<Filled>(raised[0], steer.Next()));
        for (int j = 1; j < kFactor; ++j) down.process(line.Process<Filled>(raised[j], steer.Next()));
        _mm_store_sd(outL + k, first);
        _mm_storeh_pd(outR + k, first);
    }
    up.Store();
    down.Store();
    line.Store();
    steer.Store();
}
