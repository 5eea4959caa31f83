#pragma once
// One delay line, one buffer per channel, read through first-order allpass
// interpolation with the feedback sum written back at the write index.
#include <cmath>
#include <cstdint>
#include <memory>

#include "dsp/SampleGuards.h"

class CKestrune {
public:
    CKestrune() = default;
    ~CKestrune() = default;
    CKestrune(const CKestrune&) = delete;
    CKestrune& operator=(const CKestrune&) = delete;

    // N = size + span (span clamped to 0..size). New silent buffers are allocated
    // before the old ones go, so a failed allocation (false) leaves the line as it
    // was. A size below 1 empties the line (it then passes its input through).
    bool SetSize(long size, long span);
    bool SetSize(long size) { return SetSize(size, 0); }

    // Takes effect for buffers at the next SetSize.
    void SetStereo(signed char on) { m_stereo = on != 0; }
    bool IsStereo() const { return m_stereo; }
    void SetFeedback(double g) { m_g = g; }
    double GetFeedback() const { return m_g; }

    void Reset();
    void Free();

    // in and out point to a (left, right) pair; they may be the same pair.
    // pos in -1..+1 (values outside, NaN included, are pulled inside).
    void ProcessST(double* in, double* out, double pos);
    void ProcessST(double* in, double* out) { ProcessST(in, out, 0.0); }
    // Mono form on the left buffer.
    double Process(double in, double pos);
    double Process(double in) { return Process(in, 0.0); }

    long GetDelaySize() const { return static_cast<long>(m_n - m_spanInt); }
    long GetModulationSize() const { return static_cast<long>(m_spanInt); }
    long GetLength() const { return static_cast<long>(m_n); }
    bool HasRightBuffer() const { return m_bufR != nullptr; }
    long GetReadBase() const { return static_cast<long>(m_r); }
    long GetWriteIndex() const { return static_cast<long>(m_w); }

    // Where a position reads: both taps and the allpass coefficient, or one of the
    // two special cases. The read base r is one behind the write index, so the
    // newer tap lies floor(x) + 1 samples behind the sample being written.
    struct Tap {
        enum Kind { kInterpolate, kZeroDelay, kFullLength } kind;
        int64_t i, j;
        double a;
    };
    // FastFloor: x is never negative here, so truncation by conversion is floor
    // (and saves a library call per sample); both give the same bits.
    template <bool FastFloor>
    static Tap LocateAt(double pos, double span, int64_t spanInt, int64_t n, int64_t r)
    {
        const double x = (kdsp::ClampPosition(pos) + 1.0) * span;
        double f;
        int64_t F;
        if constexpr (FastFloor) {
            F = static_cast<int64_t>(x);
            f = static_cast<double>(F);
        } else {
            f = std::floor(x);
            F = static_cast<int64_t>(f);
        }
        int64_t i = r - F;
        if (i < 0) i += n;
        int64_t j = i - 1;
        if (i <= 0) j += n;
        if (f == 0.0 && spanInt == n / 2) return {Tap::kZeroDelay, i, j, 0.0};
        if (f == static_cast<double>(n)) return {Tap::kFullLength, i, j, 0.5};
        return {Tap::kInterpolate, i, j, 1.0 - (x - f)};
    }

private:
    friend class StereoLine;

    double Read(const double* buf, const Tap& tap, double in, double y) const;
    void Advance();

    bool m_stereo = false;
    double m_g = 1.0;
    std::unique_ptr<double[]> m_bufL;
    std::unique_ptr<double[]> m_bufR;
    double m_yL = 0.0, m_yR = 0.0;
    double m_span = 0.0;
    int64_t m_spanInt = 0;
    int64_t m_n = 0;
    int64_t m_r = 0, m_w = 0;
};
