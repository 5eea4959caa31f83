#pragma once
// Both channels of a stereo CKestrune as one two-lane SSE2 computation, lane 0
// left and lane 1 right, a sample (Process) or a frame of four raised samples at a
// time (Locate, ProcessLocated). Every lane performs the operations of
// CKestrune::ProcessST in the same order, so the results are the plain form's,
// bit for bit. The running state stays in registers for a block; Store() hands
// it back to the line.
#include <immintrin.h>

#include <algorithm>
#include <type_traits>

#include "dsp/CKestrune.h"
#include "dsp/SampleGuards.h"
#include "dsp/SimdPath.h"
#include "dsp/StereoFrameSections.h"

class StereoLine {
public:
    // Only for a line with both buffers.
    static bool Applies(const CKestrune& line) { return line.m_n > 0 && line.m_buf && line.m_channels == 2; }

    explicit StereoLine(CKestrune& line)
        : m_line(line), m_samples(line.m_buf.get()),
          m_y(_mm_set_pd(line.m_yR, line.m_yL)), m_g(_mm_set1_pd(line.m_g)), m_span(line.m_span),
          m_lastPos(line.m_lastPos), m_zeroDelayTap(line.ZeroDelayTap()), m_n(line.m_n), m_r(line.m_r), m_w(line.m_w),
          m_written(line.m_written),
          // The read base one behind the write index (as it stays from the first sample
          // after a reset on) lets LocateAt rule out reads of what a frame overwrites. A
          // frame's read base and write index (one ahead) must not wrap round the line's
          // end within it.
          m_lastFrameR(m_n >= kdsp::kFrameSamples && m_n < kMaxFrameLine && m_r < m_n && Wrapped(m_r + 1) == m_w
                           ? m_n - kdsp::kFrameSamples - 1
                           : -1),
          m_aheadPos(m_lastPos), m_aheadR(m_r), m_n16(_mm_set1_epi32(static_cast<int32_t>(16 * (m_n & 0x3FFFFFF)))),
          m_specialAbove(_mm_set1_epi32(static_cast<int32_t>((m_n & 0x3FFFFFF) - 6)))
    {
    }

    // A frame's taps, found a frame ahead and read back when the frame runs, so they
    // wait in memory rather than in registers: where each sample reads (LocateAt's
    // indices i and j, as byte offsets into the line), weights, which samples' positions
    // move (bit k for sample k), and the positions themselves, for Process() where the
    // frame cannot run as one.
    struct FrameTaps {
        alignas(16) int32_t newer[4]; // i
        alignas(16) int32_t older[4]; // j
        alignas(32) double weight[4];
        alignas(32) double pos[4]; // clamped to -1..1
        int moving;
        bool located;
        bool zeroDelay; // every sample reads the zero-delay tap
    };

    // True once every sample of the line has been written since the last sizing or
    // reset: from then on no read needs the written-samples test.
    bool Filled() const { return m_written == m_n; }

    // Filled: the caller knows Filled() holds for every sample it processes.
    template <bool Filled = false> __m128d Process(__m128d in, double pos)
    {
        const CKestrune::Tap tap = CKestrune::LocateAt<true>(pos, m_lastPos, m_span, m_zeroDelayTap, m_n, m_r);
        m_lastPos = tap.pos;
        __m128d y;
        if (tap.kind == CKestrune::Tap::kInterpolate) {
            const __m128d newer = Load<Filled>(tap.i), older = Load<Filled>(tap.j), w = _mm_set1_pd(tap.weight);
            y = tap.moving ? _mm_add_pd(_mm_mul_pd(_mm_sub_pd(older, newer), w), newer)
                           : _mm_add_pd(_mm_mul_pd(_mm_sub_pd(newer, m_y), w), older);
        } else if (tap.kind == CKestrune::Tap::kZeroDelay) {
            y = in;
        } else {
            const __m128d oldest = Load<Filled>(m_w);
            y = tap.moving ? oldest : _mm_add_pd(_mm_mul_pd(_mm_sub_pd(oldest, m_y), _mm_set1_pd(0.5)), oldest);
        }
        m_y = kdsp::ZeroIfNotFinite(y);
        const __m128d written = _mm_add_pd(_mm_mul_pd(m_y, m_g), in);
        _mm_store_pd(m_samples + 2 * m_w, written);
        if (!Filled && m_written < m_n) ++m_written;
        if (++m_r >= m_n) m_r = 0;
        if (++m_w >= m_n) m_w = 0;
        m_aheadPos = m_lastPos;
        m_aheadR = m_r;
        return m_y;
    }

    // Four raised samples at once, in two steps. Locate() finds where each of a frame's
    // samples reads, for all four together (the lanes do LocateAt's operations, so the
    // taps are its taps); it may run a frame ahead of ProcessLocated(), which runs the
    // samples one after the other as Process() does. Located ahead, the reads' addresses
    // are known well before they are needed, and the line's work no longer waits on the
    // oscillator's. A frame with a special tap, a result not far below overflow (NaN and
    // infinities included), a wrap round the line's end, or a line unfit for frames
    // (too small or too large, or just reset) goes through Process(), sample by sample,
    // out of line: inlined, it would keep the line's state out of registers in the
    // common case. Process() itself is for when no frame is located ahead.
    // taps.pos holds the frame's positions, clamped (kdsp::ClampPositions). The AVX
    // builds find the four taps in one 256-bit register instead of two halves.
    template <kdsp::SimdPath Path = kdsp::SimdPath::kBaseline> void Locate(FrameTaps& taps)
    {
        // A frame that would wrap the read base or the write index round the line's end
        // is left to Process(): within the frame both then simply count up.
        const bool fits = m_aheadR <= m_lastFrameR;
        if constexpr (Path == kdsp::SimdPath::kBaseline)
            taps.located = fits && LocateAt(_mm_load_pd(taps.pos), _mm_load_pd(taps.pos + 2), taps);
        else taps.located = fits && LocateAtWide(taps);
        m_aheadPos = taps.pos[3];
        m_aheadR = Wrapped(m_aheadR + kdsp::kFrameSamples);
    }
    // True where the frame ran as one, its outputs summing to below kdsp::FrameLimit().
    template <kdsp::SimdPath Path, bool Filled> bool ProcessLocated(__m128d* x, const FrameTaps& taps)
    {
        if (__builtin_expect(taps.located && RunFrame<Filled>(x, taps), 1)) return true;
        Store();
        __m128d frame[4] = {x[0], x[1], x[2], x[3]};
        SampleBySample<Path, Filled>(m_line, frame, taps.pos);
        Each([&](auto k) { x[k] = frame[k]; });
        Reload();
        return false;
    }
    // Both steps for one frame; as ProcessLocated.
    template <kdsp::SimdPath Path, bool Filled = false> bool ProcessFrame(__m128d* x, __m128d pos01, __m128d pos23)
    {
        FrameTaps taps;
        _mm_store_pd(taps.pos, kdsp::ClampPositions(pos01));
        _mm_store_pd(taps.pos + 2, kdsp::ClampPositions(pos23));
        Locate<Path>(taps);
        return ProcessLocated<Path, Filled>(x, taps);
    }

    void Store()
    {
        _mm_store_sd(&m_line.m_yL, m_y);
        _mm_storeh_pd(&m_line.m_yR, m_y);
        m_line.m_lastPos = m_lastPos;
        m_line.m_r = m_r;
        m_line.m_w = m_w;
        m_line.m_written = m_written;
        m_line.m_clean = false;
    }

private:
    // Built once per path of the engine loop (its name carries the path).
    template <kdsp::SimdPath Path, bool Filled>
    __attribute__((noinline)) static void SampleBySample(CKestrune& l, __m128d* x, const double* pos)
    {
        StereoLine line(l);
        for (int j = 0; j < kdsp::kFrameSamples; ++j) x[j] = line.Process<Filled>(x[j], pos[j]);
        line.Store();
    }

    // The running state back from the line, after Store() and work on the line itself.
    void Reload()
    {
        m_y = _mm_set_pd(m_line.m_yR, m_line.m_yL);
        m_lastPos = m_line.m_lastPos;
        m_r = m_line.m_r;
        m_w = m_line.m_w;
        m_written = m_line.m_written;
    }

    // F in bytes (16 per pair) stays a 32-bit integer.
    static constexpr int64_t kMaxFrameLine = int64_t{1} << 26;

    // LocateAt on four clamped positions from the state ahead; false if one of them is a
    // special tap.
    bool LocateAt(__m128d p01, __m128d p23, FrameTaps& taps) const
    {
        const __m128d one = _mm_set1_pd(1.0);
        // Each position against the one before it: !(p == last).
        const __m128d last01 = _mm_unpacklo_pd(_mm_set_sd(m_aheadPos), p01), last23 = _mm_shuffle_pd(p01, p23, 1);
        const __m128d moving01 = _mm_cmpneq_pd(p01, last01), moving23 = _mm_cmpneq_pd(p23, last23);
        taps.moving = _mm_movemask_pd(moving01) | _mm_movemask_pd(moving23) << 2;
        // x = (p + 1) span lies in 0..n, so truncation to 32 bits is floor.
        const __m128d span = _mm_set1_pd(m_span);
        const __m128d x01 = _mm_mul_pd(_mm_add_pd(p01, one), span), x23 = _mm_mul_pd(_mm_add_pd(p23, one), span);
        const __m128i f01 = _mm_cvttpd_epi32(x01), f23 = _mm_cvttpd_epi32(x23);
        if (!WholeTaps<false>(_mm_unpacklo_epi64(f01, f23), taps)) return false;
        if (taps.zeroDelay) return true;
        // Weights: frac / (2 - frac) where the position moves, 1 - frac where it holds.
        const __m128d frac01 = _mm_sub_pd(x01, _mm_cvtepi32_pd(f01)), frac23 = _mm_sub_pd(x23, _mm_cvtepi32_pd(f23));
        const __m128d two = _mm_set1_pd(2.0);
        auto moved = [&](__m128d frac) { return _mm_div_pd(frac, _mm_sub_pd(two, frac)); };
        auto held = [&](__m128d frac) { return _mm_sub_pd(one, frac); };
        // A modulated line moves at every sample, a still one at none: then one kind will do.
        if (taps.moving == 0xF) {
            _mm_store_pd(taps.weight, moved(frac01));
            _mm_store_pd(taps.weight + 2, moved(frac23));
        } else if (taps.moving == 0) {
            _mm_store_pd(taps.weight, held(frac01));
            _mm_store_pd(taps.weight + 2, held(frac23));
        } else {
            _mm_store_pd(taps.weight, Select(moving01, moved(frac01), held(frac01)));
            _mm_store_pd(taps.weight + 2, Select(moving23, moved(frac23), held(frac23)));
        }
        return true;
    }

    // From the four samples' F: taps.zeroDelay when all are at the zero-delay tap (a
    // delay of 0 ms reads nothing); else the indices, unless one is a special tap (false).
    // Wide: for the AVX builds (SSE4.1's unsigned minimum).
    template <bool Wide> bool WholeTaps(__m128i f, FrameTaps& taps) const
    {
        // With the read base one behind the write index, a sample's taps lie F + 1 and
        // F + 2 behind the pair it writes. F > n - 6 reaches pairs that this or a later
        // sample of the frame overwrites (F = n, the full-length tap, among them): such
        // frames, and frames partly at the zero-delay tap, are left to Process(). A frame
        // then never reads what it writes, and RunFrame may redo it from the line as it is.
        __m128i special = _mm_cmpgt_epi32(f, m_specialAbove), atStart = _mm_setzero_si128();
        if (m_zeroDelayTap) {
            atStart = _mm_cmpeq_epi32(f, _mm_setzero_si128());
            special = _mm_or_si128(special, atStart);
        }
        if (__builtin_expect(_mm_movemask_epi8(special) != 0, 0)) {
            taps.zeroDelay = _mm_movemask_epi8(atStart) == 0xFFFF;
            return taps.zeroDelay;
        }
        taps.zeroDelay = false;
        // LocateAt's indices from the frame's read base, in bytes (16 per pair; a line
        // below 2^26 pairs keeps them in 32 bits): i = r - F, one length on when below 0;
        // j = i - 1, one length on when i <= 0.
        const __m128i n16 = m_n16;
        const __m128i base = _mm_add_epi32(_mm_set1_epi32(static_cast<int32_t>(16 * m_aheadR)), _mm_set_epi32(48, 32, 16, 0));
        __m128i i = _mm_sub_epi32(base, _mm_slli_epi32(f, 4)), j;
        if constexpr (Wide) {
            // As unsigned numbers a negative index is above 2^31 and its wrapped value
            // below 2^30, so the smaller of the two is the wrapped index.
            auto wrapped = [&](__m128i k) { return _mm_min_epu32(k, _mm_add_epi32(k, n16)); };
            i = wrapped(i);
            j = wrapped(_mm_sub_epi32(i, _mm_set1_epi32(16)));
        } else {
            i = _mm_add_epi32(i, _mm_and_si128(n16, _mm_cmplt_epi32(i, _mm_setzero_si128())));
            j = _mm_add_epi32(_mm_sub_epi32(i, _mm_set1_epi32(16)), _mm_and_si128(n16, _mm_cmplt_epi32(i, _mm_set1_epi32(1))));
        }
        _mm_store_si128(reinterpret_cast<__m128i*>(taps.newer), i);
        _mm_store_si128(reinterpret_cast<__m128i*>(taps.older), j);
        return true;
    }

    // LocateAt on all four lanes of an AVX register: the same operations, and so the
    // same taps.
    bool LocateAtWide(FrameTaps& taps) const
    {
        const __m256d p = _mm256_load_pd(taps.pos), one = _mm256_set1_pd(1.0);
        const __m256d last = _mm256_blend_pd(_mm256_permute4x64_pd(p, _MM_SHUFFLE(2, 1, 0, 0)), _mm256_set1_pd(m_aheadPos), 1);
        const __m256d moving = _mm256_cmp_pd(p, last, _CMP_NEQ_UQ);
        taps.moving = _mm256_movemask_pd(moving);
        const __m256d x = _mm256_mul_pd(_mm256_add_pd(p, one), _mm256_set1_pd(m_span));
        const __m128i f = _mm256_cvttpd_epi32(x);
        if (!WholeTaps<true>(f, taps)) return false;
        if (taps.zeroDelay) return true;
        const __m256d frac = _mm256_sub_pd(x, _mm256_cvtepi32_pd(f));
        // As in LocateAt.
        if (taps.moving != 0) {
            const __m256d moved = _mm256_div_pd(frac, _mm256_sub_pd(_mm256_set1_pd(2.0), frac));
            _mm256_store_pd(taps.weight, taps.moving == 0xF ? moved : _mm256_blendv_pd(_mm256_sub_pd(one, frac), moved, moving));
        } else {
            _mm256_store_pd(taps.weight, _mm256_sub_pd(one, frac));
        }
        return true;
    }

    // The frame's four samples; false, with nothing kept, unless their magnitudes sum
    // to below kdsp::FrameLimit() (so none is NaN or infinite, the guard's case): then
    // Process() does them again, guards and all. True tells the down section that its
    // inputs meet its limit.
    template <bool Filled> bool RunFrame(__m128d* x, const FrameTaps& taps)
    {
        char* const samples = reinterpret_cast<char*>(m_samples);
        const int64_t written16 = 16 * m_written;
        double* const write = m_samples + 2 * m_w;
        __m128d y[4];
        // Each sample's pair is written before the next sample reads: with taps a pair or
        // two behind, a sample reads what the one before it wrote.
        if (taps.zeroDelay) {
            for (int k = 0; k < kdsp::kFrameSamples; ++k) {
                y[k] = x[k];
                _mm_store_pd(write + 2 * k, _mm_add_pd(_mm_mul_pd(y[k], m_g), x[k]));
            }
        } else {
            for (int k = 0; k < kdsp::kFrameSamples; ++k) {
                const int64_t i = taps.newer[k], j = taps.older[k];
                // Unwritten samples read as silence, as in CKestrune::Fetch.
                const int64_t written = written16 + 16 * k;
                const __m128d newer = Filled || i < written ? _mm_load_pd(reinterpret_cast<const double*>(samples + i)) : _mm_setzero_pd();
                const __m128d older = Filled || j < written ? _mm_load_pd(reinterpret_cast<const double*>(samples + j)) : _mm_setzero_pd();
                const __m128d w = _mm_load1_pd(taps.weight + k);
                // The allpass (a position held still) reads the sample before's output. A
                // modulated line moves at every sample: that way runs straight through.
                const __m128d before = k == 0 ? m_y : y[k - 1];
                y[k] = __builtin_expect(taps.moving >> k & 1, 1) ? _mm_add_pd(_mm_mul_pd(_mm_sub_pd(older, newer), w), newer)
                                              : _mm_add_pd(_mm_mul_pd(_mm_sub_pd(newer, before), w), older);
                _mm_store_pd(write + 2 * k, _mm_add_pd(_mm_mul_pd(y[k], m_g), x[k]));
            }
        }
        if (__builtin_expect(!kdsp::BothBelow(StereoBlockDown::InputSize(y), kdsp::FrameLimit()), 0)) return false;
        m_y = y[3];
        if (!Filled) m_written = std::min(m_n, m_written + kdsp::kFrameSamples);
        m_lastPos = taps.pos[3];
        m_r += kdsp::kFrameSamples; // no wrap: Locate() took the frame
        m_w = Wrapped(m_w + kdsp::kFrameSamples);
        for (int k = 0; k < kdsp::kFrameSamples; ++k) x[k] = y[k];
        return true;
    }

    // f(k) for the samples k of a frame in order, k a constant (the lanes are chosen by it).
    template <class F> static void Each(F f)
    {
        f(std::integral_constant<int, 0>());
        f(std::integral_constant<int, 1>());
        f(std::integral_constant<int, 2>());
        f(std::integral_constant<int, 3>());
    }

    static __m128d Select(__m128d mask, __m128d a, __m128d b) { return _mm_or_pd(_mm_and_pd(mask, a), _mm_andnot_pd(mask, b)); }
    int64_t Wrapped(int64_t k) const { return k >= m_n ? k - m_n : k; }

    // Unwritten samples read as silence, as in CKestrune::Fetch.
    template <bool Filled> __m128d Load(int64_t k) const
    {
        return Filled || k < m_written ? _mm_load_pd(m_samples + 2 * k) : _mm_setzero_pd();
    }

    CKestrune& m_line;
    double* m_samples; // left and right of an index side by side, 16-byte aligned (whole pages)
    __m128d m_y;
    __m128d m_g;
    double m_span;
    double m_lastPos;
    bool m_zeroDelayTap; // invariant while the line is in registers
    int64_t m_n, m_r, m_w, m_written;
    int64_t m_lastFrameR; // the last read base a frame may start at; -1 where the line does not suit frames
    // The position of the last frame located, which may be one frame ahead.
    double m_aheadPos;
    int64_t m_aheadR; // the read base of the next frame to locate
    // 16 n and n - 6 in four lanes (only frames read them, on lines below 2^26 pairs).
    __m128i m_n16, m_specialAbove;
};
