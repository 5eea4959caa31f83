#include "dsp/DelayMain.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

#include "dsp/EngineLoop.h"

// Built by their own translation units, with the wider instruction sets.
extern template void DelayMain::FusedPiece<kdsp::SimdPath::kAvx2>(double* const*, double* const*, int,
                                                                   const WetFilters*);
extern template void DelayMain::FusedPiece<kdsp::SimdPath::kAvx512>(double* const*, double* const*, int,
                                                                     const WetFilters*);

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

void DelayMain::Process(double** in, double** out, int n) { Run(in, out, n, false, nullptr); }

void DelayMain::Process(double** in, double** out, int n, const WetFilters& filters) { Run(in, out, n, false, &filters); }

void DelayMain::ProcessPlain(double** in, double** out, int n) { Run(in, out, n, true, nullptr); }

void DelayMain::Run(double** in, double** out, int n, bool plain, const WetFilters* filters)
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
        if (fused) ProcessFusedPiece(pieceIn, pieceOut, len, filters);
        else ProcessPlainPiece(pieceIn, pieceOut, len, filters);
        done += len;
    }
}

void DelayMain::ProcessPlainPiece(double* const* in, double* const* out, int n, const WetFilters* filters)
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
    if (!filters) return;
    // The work buffers hold four times n: the high-pass's output in their first
    // quarters, the low-pass's in their second.
    const WetFilters& f = *filters;
    CBiquadFilter::OperateCascade(*f.highL, *f.highR, *f.lowL, *f.lowR, f.chained, out[0], out[1], wl, wr, wl + n,
                                  wr + n, n);
    if (f.output == WetFilters::kEngine) return;
    const long from = f.output == WetFilters::kLow ? n : 0;
    std::copy(wl + from, wl + from + n, out[0]);
    std::copy(wr + from, wr + from + n, out[1]);
}

// The loop as built for the path chosen (EngineLoop.h); the same bits on every path.
void DelayMain::ProcessFusedPiece(double* const* in, double* const* out, int n, const WetFilters* filters)
{
    switch (m_path) {
    case kdsp::SimdPath::kAvx512: FusedPiece<kdsp::SimdPath::kAvx512>(in, out, n, filters); break;
    case kdsp::SimdPath::kAvx2: FusedPiece<kdsp::SimdPath::kAvx2>(in, out, n, filters); break;
    default: FusedPiece<kdsp::SimdPath::kBaseline>(in, out, n, filters); break;
    }
}

bool DelayMain::SetSimdPath(kdsp::SimdPath path)
{
    if (!kdsp::SimdPathSupported(path)) return false;
    m_path = path;
    return true;
}

template void DelayMain::FusedPiece<kdsp::SimdPath::kBaseline>(double* const*, double* const*, int,
                                                               const WetFilters*);
