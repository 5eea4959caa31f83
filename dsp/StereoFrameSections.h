#pragma once
// The converter's two stereo sections as the engine's loop uses them, one frame (a
// host sample and its three raised companions) at a time, in two forms:
//  - step: sample by sample, the plain recursions' own operations (identical bits);
//  - block: each output the loop needs computed straight from the frame's inputs and
//    the section's history, with coefficients found once per block by running the
//    recursion on each input alone. No output waits for the one before it, and the
//    down section skips the one output nothing reads. The sums round differently, so
//    the results differ from the step form in the last bits.
// The block form takes a frame only while its inputs and the history are far below
// overflow (NaN and infinities are not): then no value in either form can overflow,
// since both sections are stable low-passes whose outputs stay within a small multiple
// of their inputs, and the step form's guards would not act. Any other frame goes
// through the step form, so NaN, infinities and values near overflow meet exactly the
// same guards; the history it leaves is checked before the block form resumes.
#include <immintrin.h>

#include <cstring>

#include "dsp/SimdPath.h"
#include "dsp/StereoBiquad.h"

namespace kdsp {

constexpr int kFrameSamples = 4;

// Inputs and history below this in magnitude (summed) leave some 1e8 of headroom.
inline __m128d FrameLimit() { return _mm_set1_pd(1e300); }

inline __m128d Magnitude(__m128d v) { return _mm_andnot_pd(_mm_set1_pd(-0.0), v); }

// True when both lanes are below the limit (NaN is not).
inline bool BothBelow(__m128d magnitudes, __m128d limit) { return _mm_movemask_pd(_mm_cmplt_pd(magnitudes, limit)) == 3; }

// The limit a section's frames are held to: FrameLimit() while its history is below
// it, else zero, which no frame meets, until the step form has brought it down.
inline __m128d LimitFor(__m128d historyMagnitudes)
{
    return _mm_and_pd(FrameLimit(), _mm_cmplt_pd(historyMagnitudes, FrameLimit()));
}

} // namespace kdsp

struct BlockWeights;

// How one output of a block depends on the values it is computed from, per lane.
struct FrameWeights {
    // Runs the unguarded recursion of the lane's section (coefficients b0 b1 b2 a1 a2)
    // from history (x1 x2 y1 y2) over four inputs.
    static void Recurse(const double c[5], const double history[4], const double u[4], double y[4])
    {
        double x1 = history[0], x2 = history[1], y1 = history[2], y2 = history[3];
        for (int j = 0; j < kdsp::kFrameSamples; ++j) {
            y[j] = c[0] * u[j] + c[1] * x1 + c[2] * x2 - (c[4] * y2 + c[3] * y1);
            x2 = x1;
            x1 = u[j];
            y2 = y1;
            y1 = y[j];
        }
    }
    // Response of the four outputs to value `which` alone: 0-3 the inputs, 4-7 the
    // history x1 x2 y1 y2.
    static void Response(const double c[5], int which, double y[4])
    {
        double history[4] = {}, u[4] = {};
        if (which < 4) u[which] = 1.0;
        else history[which - 4] = 1.0;
        Recurse(c, history, u, y);
    }
    // The responses of both lanes' sections to each value listed: [lane][value][output].
    template <int N> static void Of(const BiquadFilter& left, const BiquadFilter& right, const int (&which)[N], double (&w)[2][N][4])
    {
        const BiquadFilter* lanes[2] = {&left, &right};
        for (int lane = 0; lane < 2; ++lane) {
            const BiquadFilter& f = *lanes[lane];
            const double c[5] = {f.b0, f.b1, f.b2, f.a1, f.a2};
            for (int v = 0; v < N; ++v) Response(c, which[v], w[lane][v]);
        }
    }
};

// Step form: bit for bit the converter's sections.
class StereoStepUp : public StereoBiquad {
public:
    using StereoBiquad::StereoBiquad;
    StereoStepUp(BiquadFilter& left, BiquadFilter& right, BlockWeights&) : StereoBiquad(left, right) {}
    void Begin() { m_zeros = ZeroProductsOf(); }
    template <kdsp::SimdPath = kdsp::SimdPath::kBaseline> void Raise(__m128d x, __m128d* y) { RaiseFrame(x, m_zeros, y); }

private:
    ZeroProducts m_zeros{};
};

class StereoStepDown : public StereoBiquad {
public:
    using StereoBiquad::StereoBiquad;
    StereoStepDown(BiquadFilter& left, BiquadFilter& right, BlockWeights&) : StereoBiquad(left, right) {}
    void Begin() {}
    // The first output of the frame, the one decimation keeps. small: the inputs'
    // InputSize() is below kdsp::FrameLimit(), as the caller has found.
    __m128d Lower(const __m128d* u, bool /*small*/ = false)
    {
        const __m128d first = process(u[0]);
        for (int j = 1; j < kdsp::kFrameSamples; ++j) process(u[j]);
        return first;
    }
};

// The block form's weights of the two sections, kept from block to block and found
// again only when a section's coefficients change (a new rate), not at every block.
template <class Weights> class CachedWeights {
public:
    const Weights& For(const BiquadFilter& left, const BiquadFilter& right)
    {
        const double key[10] = {left.b0, left.b1, left.b2, left.a1, left.a2, right.b0, right.b1, right.b2, right.a1, right.a2};
        if (!m_found || std::memcmp(key, m_key, sizeof key) != 0) {
            std::memcpy(m_key, key, sizeof key);
            m_weights.Find(left, right);
            m_found = true;
        }
        return m_weights;
    }

private:
    double m_key[10] = {};
    bool m_found = false;
    Weights m_weights {};
};

// The up section's: each output is w_x x + w_1 y1 + w_2 y2.
struct UpWeights {
    void Find(const BiquadFilter& left, const BiquadFilter& right)
    {
        double w[2][3][4];
        FrameWeights::Of(left, right, {0, 6, 7}, w); // x, y1, y2
        for (int j = 0; j < kdsp::kFrameSamples; ++j)
            for (int v = 0; v < 3; ++v)
                for (int lane = 0; lane < 2; ++lane) pairs[j / 2][v][2 * (j % 2) + lane] = w[lane][v][j];
    }
    // [outputs 0-1, 2-3][x, y1, y2][left, right of each]: an output's weights are a
    // pair, two outputs' a 256-bit group.
    alignas(32) double pairs[2][3][4];
};

// The down section's, for the first output (kept) and the last two (the next frame's
// history), from [u0 u1 u2 u3 x1 x2 y1 y2].
struct DownWeights {
    void Find(const BiquadFilter& left, const BiquadFilter& right)
    {
        double w[2][8][4];
        FrameWeights::Of(left, right, {0, 1, 2, 3, 4, 5, 6, 7}, w);
        for (int v = 0; v < 8; ++v) {
            first[v] = _mm_set_pd(w[1][v][0], w[0][v][0]);
            third[v] = _mm_set_pd(w[1][v][2], w[0][v][2]);
            fourth[v] = _mm_set_pd(w[1][v][3], w[0][v][3]);
        }
    }
    __m128d first[8], third[8], fourth[8];
};

struct BlockWeights {
    CachedWeights<UpWeights> up;
    CachedWeights<DownWeights> down;
};

// Block form of the up section: input x then three zeros, with the input history at
// +0 (ZeroHistory), so each output is w_x x + w_1 y1 + w_2 y2.
class StereoBlockUp : public StereoStepUp {
public:
    StereoBlockUp(BiquadFilter& left, BiquadFilter& right, BlockWeights& weights)
        : StereoStepUp(left, right), m_weights(weights.up.For(left, right))
    {
    }

    void Begin()
    {
        StereoStepUp::Begin();
        Check();
    }

    // The AVX builds compute two outputs per 256-bit operation, each lane as before.
    template <kdsp::SimdPath Path = kdsp::SimdPath::kBaseline> void Raise(__m128d x, __m128d* y)
    {
        if (__builtin_expect(!kdsp::BothBelow(kdsp::Magnitude(x), m_limit), 0)) {
            StereoStepUp::Raise(x, y);
            Check();
            return;
        }
        const auto& w = m_weights.pairs;
        if constexpr (Path == kdsp::SimdPath::kBaseline) {
            auto weight = [&](int j, int v) { return _mm_load_pd(w[j / 2][v] + 2 * (j % 2)); };
            for (int j = 0; j < kdsp::kFrameSamples; ++j)
                y[j] = _mm_add_pd(_mm_mul_pd(weight(j, 0), x), _mm_add_pd(_mm_mul_pd(weight(j, 1), m_y1), _mm_mul_pd(weight(j, 2), m_y2)));
        } else {
            auto twice = [](__m128d v) { return _mm256_insertf128_pd(_mm256_castpd128_pd256(v), v, 1); };
            const __m256d x2 = twice(x), y1 = twice(m_y1), y2 = twice(m_y2);
            for (int p = 0; p < 2; ++p) {
                const __m256d pair = _mm256_add_pd(
                    _mm256_mul_pd(_mm256_load_pd(w[p][0]), x2),
                    _mm256_add_pd(_mm256_mul_pd(_mm256_load_pd(w[p][1]), y1), _mm256_mul_pd(_mm256_load_pd(w[p][2]), y2)));
                y[2 * p] = _mm256_castpd256_pd128(pair);
                y[2 * p + 1] = _mm256_extractf128_pd(pair, 1);
            }
        }
        m_y2 = y[2];
        m_y1 = y[3];
    }

private:
    void Check() { m_limit = kdsp::LimitFor(_mm_add_pd(kdsp::Magnitude(m_y1), kdsp::Magnitude(m_y2))); }

    const UpWeights m_weights;
    __m128d m_limit = _mm_setzero_pd();
};

// Block form of the down section: the first output (kept) and the last two (the next
// frame's history) from the four inputs and the history x1 x2 y1 y2.
class StereoBlockDown : public StereoStepDown {
public:
    StereoBlockDown(BiquadFilter& left, BiquadFilter& right, BlockWeights& weights)
        : StereoStepDown(left, right), m_weights(weights.down.For(left, right))
    {
    }

    void Begin() { Check(); }

    // The magnitudes of a frame's inputs, summed (NaN if one is NaN).
    static __m128d InputSize(const __m128d* u)
    {
        return _mm_add_pd(_mm_add_pd(kdsp::Magnitude(u[0]), kdsp::Magnitude(u[1])),
                          _mm_add_pd(kdsp::Magnitude(u[2]), kdsp::Magnitude(u[3])));
    }

    __m128d Lower(const __m128d* u, bool small = false)
    {
        if (__builtin_expect(!(small && m_historySmall) && !kdsp::BothBelow(InputSize(u), m_limit), 0)) {
            const __m128d first = StereoStepDown::Lower(u);
            Check();
            return first;
        }
        // The history's share, then the inputs' (the first output reads u0 only, the
        // third u0-u2: the later inputs' weights are zero).
        const DownWeights& w = m_weights;
        const __m128d h[4] = {m_x1, m_x2, m_y1, m_y2};
        const __m128d first = _mm_add_pd(_mm_mul_pd(w.first[0], u[0]), Weighted(w.first + 4, h));
        const __m128d third = _mm_add_pd(
            _mm_add_pd(_mm_add_pd(_mm_mul_pd(w.third[0], u[0]), _mm_mul_pd(w.third[1], u[1])), _mm_mul_pd(w.third[2], u[2])),
            Weighted(w.third + 4, h));
        const __m128d fourth = _mm_add_pd(Weighted(w.fourth, u), Weighted(w.fourth + 4, h));
        m_x2 = u[2];
        m_x1 = u[3];
        m_y2 = third;
        m_y1 = fourth;
        return first;
    }

private:
    void Check()
    {
        m_limit = kdsp::LimitFor(_mm_add_pd(_mm_add_pd(kdsp::Magnitude(m_x1), kdsp::Magnitude(m_x2)),
                                            _mm_add_pd(kdsp::Magnitude(m_y1), kdsp::Magnitude(m_y2))));
        m_historySmall = _mm_movemask_pd(_mm_cmpeq_pd(m_limit, _mm_setzero_pd())) == 0;
    }

    static __m128d Weighted(const __m128d* w, const __m128d* v)
    {
        return _mm_add_pd(_mm_add_pd(_mm_mul_pd(w[0], v[0]), _mm_mul_pd(w[1], v[1])),
                          _mm_add_pd(_mm_mul_pd(w[2], v[2]), _mm_mul_pd(w[3], v[3])));
    }

    const DownWeights m_weights;
    __m128d m_limit = _mm_setzero_pd();
    bool m_historySmall = false; // m_limit is FrameLimit() in both lanes
};

// The two forms, as the engine's loop takes them.
struct StepSections {
    using Up = StereoStepUp;
    using Down = StereoStepDown;
};
struct BlockSections {
    using Up = StereoBlockUp;
    using Down = StereoBlockDown;
};
