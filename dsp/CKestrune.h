#pragma once
// One delay line, one buffer per channel, read through first-order allpass
// interpolation with the feedback sum written back at the write index.
#include <cstdint>
#include <memory>

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

private:
    // Where a position reads: both taps, the allpass coefficient, or one of the
    // two special cases.
    struct Tap {
        enum Kind { kInterpolate, kZeroDelay, kFullLength } kind;
        int64_t i, j;
        double a;
    };
    Tap Locate(double pos) const;
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
