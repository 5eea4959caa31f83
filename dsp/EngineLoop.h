#pragma once
// The engine's fused loop and the steering it runs, included by each translation unit
// that builds the loop for one instruction set (DelayMain.cpp for the baseline,
// EngineLoopAvx2.cpp, EngineLoopAvx512.cpp). The loop is flattened: every inline
// helper it calls is compiled into it, so no out-of-line copy built for a wider
// instruction set can stand in for the baseline's (each path's functions carry the
// path in their names; tests/dsp/check-baseline-code.sh checks the library).
#include "dsp/DelayMain.h"
#include "dsp/PairedLFO.h"
#include "dsp/SampleGuards.h"
#include "dsp/StaggeredFilterPair.h"
#include "dsp/StereoBiquad.h"
#include "dsp/StereoFilterPair.h"
#include "dsp/StereoFrameSections.h"
#include "dsp/StereoLine.h"

#include <type_traits>

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
    // Next() four times, into pos; the AVX builds scale and clamp all four at once.
    template <kdsp::SimdPath Path> void NextFrame(double* pos)
    {
        if constexpr (Path == kdsp::SimdPath::kBaseline) {
            __m128d v01, v23;
            osc.ProcessFrame(v01, v23);
            const __m128d a = _mm_set1_pd(amplitude), c = _mm_set1_pd(centre);
            _mm_store_pd(pos, kdsp::ClampPositions(_mm_add_pd(_mm_mul_pd(v01, a), c)));
            _mm_store_pd(pos + 2, kdsp::ClampPositions(_mm_add_pd(_mm_mul_pd(v23, a), c)));
        } else {
#ifdef __AVX__ // only the AVX builds instantiate this branch
            const __m256d v = osc.ProcessFrameWide();
            const __m256d p = _mm256_add_pd(_mm256_mul_pd(v, _mm256_set1_pd(amplitude)), _mm256_set1_pd(centre));
            // kdsp::ClampPositions' operations.
            _mm256_store_pd(pos, _mm256_max_pd(_mm256_min_pd(_mm256_set1_pd(1.0), p), _mm256_set1_pd(-1.0)));
#endif
        }
        current = pos[3];
    }
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

// The general steering, a copy for a block, so its state can live in registers,
// with both oscillators stepped in two lanes.
struct DelayMain::SteeringCopy {
    explicit SteeringCopy(Steering& s) : steering(s), copy(s), glider(copy.glideOsc), modulator(copy.modOsc) {}
    double Next() { return copy.Step(glider, modulator); }
    // Next() four times, into pos, clamped (a glide's NaN becomes -1, as LocateAt has it).
    template <kdsp::SimdPath Path> void NextFrame(double* pos)
    {
        __m128d p01, p23;
        if (!GlideFrame(p01, p23)) {
            const double a = Next(), b = Next(), c = Next(), d = Next();
            p01 = kdsp::ClampPositions(_mm_set_pd(b, a));
            p23 = kdsp::ClampPositions(_mm_set_pd(d, c));
        }
        if constexpr (Path == kdsp::SimdPath::kBaseline) {
            _mm_store_pd(pos, p01);
            _mm_store_pd(pos + 2, p23);
        } else {
            // One store, as the AVX builds' Locate reads the four in one load.
            _mm256_store_pd(pos, _mm256_insertf128_pd(_mm256_castpd128_pd256(p01), p23, 1));
        }
    }
    // Four glide steps at once, where Step() would take its glide branch four times
    // without ending the glide or clamping: the countdown has four steps left, and no
    // position but the last reaches the target (the next step would leave the branch)
    // or leaves -1..1 (so the positions need no clamp). Otherwise nothing has changed
    // (false).
    bool GlideFrame(__m128d& p01, __m128d& p23)
    {
        Steering& s = copy;
        if (!s.glide || s.current == s.target || s.countdown < 4 || !glider.Unguarded()) return false;
        const PairedLFO::State before = glider.Save();
        __m128d v01, v23;
        glider.ProcessFrame(v01, v23);
        const __m128d span = _mm_set1_pd(s.span), start = _mm_set1_pd(s.start), target = _mm_set1_pd(s.target);
        p01 = _mm_add_pd(_mm_mul_pd(v01, span), start);
        p23 = _mm_add_pd(_mm_mul_pd(v23, span), start);
        const __m128d one = _mm_set1_pd(1.0), minusOne = _mm_set1_pd(-1.0);
        auto inside = [&](__m128d p) { return _mm_movemask_pd(_mm_and_pd(_mm_cmpge_pd(p, minusOne), _mm_cmple_pd(p, one))) == 3; };
        const bool targetBefore = _mm_movemask_pd(_mm_cmpeq_pd(p01, target)) != 0 ||
                                  (_mm_movemask_pd(_mm_cmpeq_pd(p23, target)) & 1) != 0;
        if (!inside(p01) || !inside(p23) || targetBefore) {
            glider.Restore(before);
            return false;
        }
        s.current = _mm_cvtsd_f64(_mm_unpackhi_pd(p23, p23));
        s.countdown -= 4;
        return true;
    }
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

// The loop's output buffers, frame k's left and right in the two lanes of a pair.
struct DelayMain::OutputPairs {
    void Put(int k, __m128d y) const
    {
        _mm_store_sd(outL + k, y);
        _mm_storeh_pd(outR + k, y);
    }
    double* const outL;
    double* const outR;
};

// Where the loop's output goes: Push(k, wet) takes frame k's engine output, and every
// frame pushed has been stored when Finish() returns. WetFilterPass runs the wet filters
// (WetFilters) on it first; NoWetFilters stands in when there are none.
struct DelayMain::WetFilterPass : OutputPairs {
    WetFilterPass(const WetFilters* f, double* outL, double* outR)
        : OutputPairs {outL, outR}, high(*f->highL, *f->highR), low(*f->lowL, *f->lowR), chained(f->chained),
          output(f->output)
    {
    }
    void Push(int k, __m128d wet)
    {
        const __m128d h = high.Step(wet);
        Put(k, Select(wet, h, low.Step(chained ? h : wet)));
    }
    void Finish(int)
    {
        high.Store();
        low.Store();
    }

protected:
    __m128d Select(__m128d wet, __m128d high, __m128d low) const
    {
        // Both filters on, the usual case, runs straight through.
        return __builtin_expect(output == WetFilters::kLow, 1) ? low : output == WetFilters::kHigh ? high : wet;
    }

    StereoFilterPair high, low;
    const bool chained;
    const WetFilters::Output output;
};

#ifdef __AVX__
// The wet filters as one StaggeredFilterPair: each Push runs the high-pass on its frame
// and the low-pass on the frame before, so a frame is stored one Push later. The first
// frame goes through the high-pass alone, the last through the low-pass alone.
struct DelayMain::StaggeredWetFilterPass : WetFilterPass {
    StaggeredWetFilterPass(const WetFilters* f, double* outL, double* outR) : WetFilterPass(f, outL, outR), m_pair(high, low)
    {
    }
    void Push(int k, __m128d wet)
    {
        if (__builtin_expect(m_started, 1)) {
            __m128d h, l;
            m_pair.Step(wet, __builtin_expect(chained, 1) ? m_high : m_wet, h, l);
            Put(k - 1, Select(m_wet, m_high, l));
            m_high = h;
        } else {
            m_high = high.Step(wet);
            m_pair.TakeHigh(high);
            m_started = true;
        }
        m_wet = wet;
    }
    void Finish(int n)
    {
        if (m_started) {
            m_pair.Store(high, low);
            Put(n - 1, Select(m_wet, m_high, low.Step(chained ? m_high : m_wet)));
        }
        WetFilterPass::Finish(n);
    }

private:
    StaggeredFilterPair m_pair;
    bool m_started = false;
    __m128d m_wet = _mm_setzero_pd(), m_high = _mm_setzero_pd(); // the last frame pushed, and its high-pass
};
#endif

struct DelayMain::NoWetFilters : OutputPairs {
    NoWetFilters(const WetFilters*, double* outL, double* outR) : OutputPairs {outL, outR} {}
    void Push(int k, __m128d wet) { Put(k, wet); }
    void Finish(int) {}
};

template <kdsp::SimdPath Path>
void DelayMain::FusedPiece(double* const* in, double* const* out, int n, const WetFilters* filters)
{
    if (m_blockSections) FusedPieceIn<Path, BlockSections>(in, out, n, filters);
    else FusedPieceIn<Path, StepSections>(in, out, n, filters);
}

template <kdsp::SimdPath Path, class Sections>
void DelayMain::FusedPieceIn(double* const* in, double* const* out, int n, const WetFilters* filters)
{
    // A line filled since its last reset needs no test of what was written.
    const bool filled = StereoLine(m_line).Filled();
    const bool oscillator = m_steer.OscillatorOnly();
    // The wider builds run the two filters as one.
    using WetFilterPass = std::conditional_t<Path == kdsp::SimdPath::kBaseline, DelayMain::WetFilterPass, StaggeredWetFilterPass>;
    if (filters) {
        if (oscillator) {
            if (filled) FusedLoop<Path, true, OscillatorSteering, WetFilterPass, Sections>(in, out, n, filters);
            else FusedLoop<Path, false, OscillatorSteering, WetFilterPass, Sections>(in, out, n, filters);
        } else {
            if (filled) FusedLoop<Path, true, SteeringCopy, WetFilterPass, Sections>(in, out, n, filters);
            else FusedLoop<Path, false, SteeringCopy, WetFilterPass, Sections>(in, out, n, filters);
        }
    } else if (oscillator) {
        if (filled) FusedLoop<Path, true, OscillatorSteering, NoWetFilters, Sections>(in, out, n, filters);
        else FusedLoop<Path, false, OscillatorSteering, NoWetFilters, Sections>(in, out, n, filters);
    } else {
        if (filled) FusedLoop<Path, true, SteeringCopy, NoWetFilters, Sections>(in, out, n, filters);
        else FusedLoop<Path, false, SteeringCopy, NoWetFilters, Sections>(in, out, n, filters);
    }
}

// Converter up, line and converter down in one pass, a frame (a host sample and its
// three raised companions) at a time, both channels in the two lanes of an SSE2
// register: the recursions overlap instead of running one after the other, and no
// work buffer is touched. Each stage is sample-sequential, so the order of operations
// per sample (and thus every bit) is that of the plain form, but for the block form
// of the sections. The first filtered sample of each frame is the output, as in the
// converter's decimation. The steering and the line's taps run ahead of the frame in
// hand, so the chains they wait on (the oscillator's rotations, the taps' conversions)
// overlap its work instead of holding it up.
template <kdsp::SimdPath Path, bool Filled, class Steer, class Post, class Sections>
__attribute__((flatten)) void DelayMain::FusedLoop(double* const* in, double* const* out, int n,
                                                   const WetFilters* filters)
{
    StereoLine line(m_line);
    typename Sections::Up up(m_src.biquad(SamplingRateConverter::kUpLeft), m_src.biquad(SamplingRateConverter::kUpRight),
                             m_blockCarry);
    typename Sections::Down down(m_src.biquad(SamplingRateConverter::kDownLeft),
                                 m_src.biquad(SamplingRateConverter::kDownRight), m_blockCarry);
    Steer steer(m_steer);
    Post post(filters, out[0], out[1]);
    static_assert(kFactor == kdsp::kFrameSamples, "the sections work on frames of the converter's factor");
    const __m128d gain = _mm_set1_pd(static_cast<double>(kFactor));
    const double* inL = in[0];
    const double* inR = in[1];
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
        post.Push(0, first);
        k = 1;
    }
    up.Begin();
    down.Begin();
    // The steering runs two frames ahead of the line, the taps one (StereoLine::Locate),
    // in a ring of three.
    StereoLine::FrameTaps taps[3];
    auto steerInto = [&](StereoLine::FrameTaps& t) { steer.template NextFrame<Path>(t.pos); };
    auto frame = [&](int k, const StereoLine::FrameTaps& here) {
        __m128d raised[kFactor];
        up.template Raise<Path>(_mm_mul_pd(_mm_set_pd(inR[k], inL[k]), gain), raised);
        const bool small = line.template ProcessLocated<Path, Filled>(raised, here);
        post.Push(k, down.template Lower<Path>(raised, small));
    };
    // Frame k with the taps in slot k % 3 (the first frame's in slot 0): locates frame
    // k + 1's, steers frame k + 2's, as far as there are such frames.
    auto step = [&](int k, StereoLine::FrameTaps& here, StereoLine::FrameTaps& next, StereoLine::FrameTaps& after) {
        if (k + 1 < n) line.template Locate<Path>(next);
        if (k + 2 < n) steerInto(after);
        frame(k, here);
    };
    const int first = k;
    if (k < n) {
        steerInto(taps[0]);
        line.template Locate<Path>(taps[0]);
    }
    if (k + 1 < n) steerInto(taps[1]);
    // Three frames a turn, so each slot's place in the ring is fixed; first the work
    // with the longest chains, so the frame's own work overlaps them.
    for (; k + 5 <= n; k += 3) {
        line.template Locate<Path>(taps[1]);
        steerInto(taps[2]);
        frame(k, taps[0]);
        line.template Locate<Path>(taps[2]);
        steerInto(taps[0]);
        frame(k + 1, taps[1]);
        line.template Locate<Path>(taps[0]);
        steerInto(taps[1]);
        frame(k + 2, taps[2]);
    }
    for (; k < n; ++k) {
        const int slot = (k - first) % 3;
        step(k, taps[slot], taps[(slot + 1) % 3], taps[(slot + 2) % 3]);
    }
    post.Finish(n);
    up.Store();
    down.Store();
    line.Store();
    steer.Store();
}
