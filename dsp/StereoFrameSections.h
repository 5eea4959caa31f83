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

struct BlockCarry;

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
    StereoStepUp(BiquadFilter& left, BiquadFilter& right, BlockCarry&) : StereoBiquad(left, right) {}
    void Begin() { m_zeros = ZeroProductsOf(); }
    template <kdsp::SimdPath = kdsp::SimdPath::kBaseline> void Raise(__m128d x, __m128d* y) { RaiseFrame(x, m_zeros, y); }

private:
    ZeroProducts m_zeros{};
};

class StereoStepDown : public StereoBiquad {
public:
    using StereoBiquad::StereoBiquad;
    StereoStepDown(BiquadFilter& left, BiquadFilter& right, BlockCarry&) : StereoBiquad(left, right) {}
    void Begin() {}
    // The first output of the frame, the one decimation keeps. small: the inputs'
    // InputSize() is below kdsp::FrameLimit(), as the caller has found.
    template <kdsp::SimdPath = kdsp::SimdPath::kBaseline> __m128d Lower(const __m128d* u, bool /*small*/ = false)
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

// The down section's. Its block form keeps the recursion's state as the two values
// the future reads, s1 = b1 x1 + b2 x2 - a1 y1 - a2 y2 and s2 = b2 x1 - a2 y1 (the
// transposed form's), so the first output is b0 u0 + s1. The weights, on
// [u0 u1 u2 u3 s1 s2], give the state after the frame and the frame's last two
// outputs (the history x1 x2 y1 y2 that the step form and the sections' store need).
struct DownWeights {
    void Find(const BiquadFilter& left, const BiquadFilter& right)
    {
        const BiquadFilter* lanes[2] = {&left, &right};
        double w[2][kValues][4];
        for (int lane = 0; lane < 2; ++lane) {
            const BiquadFilter& f = *lanes[lane];
            const double c[5] = {f.b0, f.b1, f.b2, f.a1, f.a2};
            for (int v = 0; v < kValues; ++v) Response(c, v, w[lane][v]);
        }
        for (int v = 0; v < kValues; ++v) {
            third[v] = _mm_set_pd(w[1][v][0], w[0][v][0]);
            fourth[v] = _mm_set_pd(w[1][v][1], w[0][v][1]);
            for (int lane = 0; lane < 2; ++lane) {
                next[v][lane] = w[lane][v][2];
                next[v][2 + lane] = w[lane][v][3];
            }
        }
    }
    static constexpr int kValues = 6;
    __m128d third[kValues], fourth[kValues];
    // [value][s1 left, s1 right, s2 left, s2 right]: both parts of the state in one
    // 256-bit group.
    alignas(32) double next[kValues][4];

private:
    // The frame's third and fourth outputs and the state after it, for value `which`
    // (0-3 the inputs, 4-5 the state) alone.
    static void Response(const double c[5], int which, double out[4])
    {
        double u[4] = {}, s1 = which == 4 ? 1.0 : 0.0, s2 = which == 5 ? 1.0 : 0.0, y[4];
        if (which < 4) u[which] = 1.0;
        for (int j = 0; j < kdsp::kFrameSamples; ++j) {
            y[j] = c[0] * u[j] + s1;
            s1 = c[1] * u[j] - c[3] * y[j] + s2;
            s2 = c[2] * u[j] - c[4] * y[j];
        }
        out[0] = y[2];
        out[1] = y[3];
        out[2] = s1;
        out[3] = s2;
    }
};

// The down section's state as the last block left it, with the history and
// coefficients it was stored with: the next block goes on from the same values, so a
// run's bits do not depend on where the host's blocks end. Any other history (a reset,
// the step form's frames) is converted anew.
class DownState {
public:
    struct Key {
        double v[18]; // x1 x2 y1 y2 b0 b1 b2 a1 a2, each a pair
        bool operator==(const Key& o) const { return std::memcmp(v, o.v, sizeof v) == 0; }
    };
    bool Take(const Key& key, __m128d& s1, __m128d& s2) const
    {
        if (!m_kept || !(key == m_key)) return false;
        s1 = m_s1;
        s2 = m_s2;
        return true;
    }
    void Keep(const Key& key, __m128d s1, __m128d s2)
    {
        m_key = key;
        m_s1 = s1;
        m_s2 = s2;
        m_kept = true;
    }

private:
    Key m_key {};
    __m128d m_s1 = _mm_setzero_pd(), m_s2 = _mm_setzero_pd();
    bool m_kept = false;
};

// What the block form keeps from block to block.
struct BlockCarry {
    CachedWeights<UpWeights> up;
    CachedWeights<DownWeights> down;
    DownState downState;
};

// Block form of the up section: input x then three zeros, with the input history at
// +0 (ZeroHistory), so each output is w_x x + w_1 y1 + w_2 y2.
class StereoBlockUp : public StereoStepUp {
public:
    StereoBlockUp(BiquadFilter& left, BiquadFilter& right, BlockCarry& carry)
        : StereoStepUp(left, right), m_weights(carry.up.For(left, right))
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

// Block form of the down section: the first output (kept) and the state after the
// frame from the four inputs and the state before it. The history x1 x2 y1 y2 is
// found again from the last frame only when something reads it.
class StereoBlockDown : public StereoStepDown {
public:
    StereoBlockDown(BiquadFilter& left, BiquadFilter& right, BlockCarry& carry)
        : StereoStepDown(left, right), m_weights(carry.down.For(left, right)), m_carry(carry.downState)
    {
    }

    void Begin()
    {
        Check();
        if (!m_carry.Take(KeyNow(), m_s1, m_s2)) StateFromHistory();
    }

    // The magnitudes of a frame's inputs, summed (NaN if one is NaN).
    static __m128d InputSize(const __m128d* u)
    {
        return _mm_add_pd(_mm_add_pd(kdsp::Magnitude(u[0]), kdsp::Magnitude(u[1])),
                          _mm_add_pd(kdsp::Magnitude(u[2]), kdsp::Magnitude(u[3])));
    }

    // The AVX builds find both parts of the state in one 256-bit group, each lane as before.
    template <kdsp::SimdPath Path = kdsp::SimdPath::kBaseline> __m128d Lower(const __m128d* u, bool small = false)
    {
        if (__builtin_expect(!(small && m_historySmall) && !kdsp::BothBelow(InputSize(u), m_limit), 0)) {
            FindHistory();
            const __m128d first = StereoStepDown::Lower(u);
            Check();
            StateFromHistory();
            return first;
        }
        const __m128d first = _mm_add_pd(_mm_mul_pd(m_b0, u[0]), m_s1);
        const __m128d v[DownWeights::kValues] = {u[0], u[1], u[2], u[3], m_s1, m_s2};
        const auto& w = m_weights.next;
        if constexpr (Path == kdsp::SimdPath::kBaseline) {
            auto part = [&](int half) {
                auto term = [&](int k) { return _mm_mul_pd(_mm_load_pd(w[k] + 2 * half), v[k]); };
                return _mm_add_pd(_mm_add_pd(_mm_add_pd(term(0), term(1)), _mm_add_pd(term(2), term(3))),
                                  _mm_add_pd(term(4), term(5)));
            };
            m_s1 = part(0);
            m_s2 = part(1);
        } else {
            auto term = [&](int k) {
                return _mm256_mul_pd(_mm256_load_pd(w[k]), _mm256_insertf128_pd(_mm256_castpd128_pd256(v[k]), v[k], 1));
            };
            const __m256d both = _mm256_add_pd(_mm256_add_pd(_mm256_add_pd(term(0), term(1)), _mm256_add_pd(term(2), term(3))),
                                               _mm256_add_pd(term(4), term(5)));
            m_s1 = _mm256_castpd256_pd128(both);
            m_s2 = _mm256_extractf128_pd(both, 1);
        }
        for (int k = 0; k < DownWeights::kValues; ++k) m_last[k] = v[k];
        m_historyFound = false;
        return first;
    }

    void Store()
    {
        FindHistory();
        StereoStepDown::Store();
        m_carry.Keep(KeyNow(), m_s1, m_s2);
    }

private:
    void Check()
    {
        m_limit = kdsp::LimitFor(_mm_add_pd(_mm_add_pd(kdsp::Magnitude(m_x1), kdsp::Magnitude(m_x2)),
                                            _mm_add_pd(kdsp::Magnitude(m_y1), kdsp::Magnitude(m_y2))));
        m_historySmall = _mm_movemask_pd(_mm_cmpeq_pd(m_limit, _mm_setzero_pd())) == 0;
    }

    void StateFromHistory()
    {
        m_s1 = _mm_sub_pd(_mm_add_pd(_mm_mul_pd(m_b1, m_x1), _mm_mul_pd(m_b2, m_x2)),
                          _mm_add_pd(_mm_mul_pd(m_a1, m_y1), _mm_mul_pd(m_a2, m_y2)));
        m_s2 = _mm_sub_pd(_mm_mul_pd(m_b2, m_x1), _mm_mul_pd(m_a2, m_y1));
        m_historyFound = true;
    }

    // The history after the last block-form frame: its last two inputs and outputs.
    void FindHistory()
    {
        if (m_historyFound) return;
        m_x2 = m_last[2];
        m_x1 = m_last[3];
        m_y2 = Weighted(m_weights.third, m_last);
        m_y1 = Weighted(m_weights.fourth, m_last);
        m_historyFound = true;
    }

    DownState::Key KeyNow() const
    {
        DownState::Key key;
        const __m128d pairs[9] = {m_x1, m_x2, m_y1, m_y2, m_b0, m_b1, m_b2, m_a1, m_a2};
        for (int k = 0; k < 9; ++k) _mm_storeu_pd(key.v + 2 * k, pairs[k]);
        return key;
    }

    static __m128d Weighted(const __m128d* w, const __m128d* v)
    {
        const __m128d inputs = _mm_add_pd(_mm_add_pd(_mm_mul_pd(w[0], v[0]), _mm_mul_pd(w[1], v[1])),
                                          _mm_add_pd(_mm_mul_pd(w[2], v[2]), _mm_mul_pd(w[3], v[3])));
        return _mm_add_pd(inputs, _mm_add_pd(_mm_mul_pd(w[4], v[4]), _mm_mul_pd(w[5], v[5])));
    }

    const DownWeights m_weights;
    DownState& m_carry;
    __m128d m_s1 = _mm_setzero_pd(), m_s2 = _mm_setzero_pd();
    __m128d m_last[DownWeights::kValues] {}; // the last block-form frame's inputs and state before it
    bool m_historyFound = true;               // m_x1 m_x2 m_y1 m_y2 are the history after the last frame
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
