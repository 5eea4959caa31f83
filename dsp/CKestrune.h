#pragma once
// One delay line, one buffer per channel, with the feedback sum written back at
// the write index. A read position that holds still is read through first-order
// allpass interpolation; a moving one through a linear read, which cannot add
// energy to the loop (the allpass can, once its coefficient changes per sample).
#include <cmath>
#include <cstdint>
#include <cstddef>
#include <memory>

#include "dsp/SampleGuards.h"

namespace kdsp {
// Mapped pages of a delay line, returned whole to the system when the line goes.
struct Unmap {
    size_t bytes = 0;
    void operator()(double* p) const;
};
} // namespace kdsp

class CKestrune {
public:
    CKestrune() = default;
    ~CKestrune() = default;
    CKestrune(const CKestrune&) = delete;
    CKestrune& operator=(const CKestrune&) = delete;

    // N = size + span (span clamped to 0..size). The line is silent afterwards. The
    // buffers are reused when they hold N to 2N samples; otherwise new ones, zeroed by
    // the system, are taken before the old ones go, so a failed allocation (false)
    // leaves the line as it was. A size below 1 empties the line (it then passes
    // its input through).
    bool SetSize(long size, long span);
    bool SetSize(long size) { return SetSize(size, 0); }

    // Takes effect for buffers at the next SetSize.
    void SetStereo(signed char on) { m_stereo = on != 0; }
    bool IsStereo() const { return m_stereo; }
    void SetFeedback(double g) { m_g = g; }
    double GetFeedback() const { return m_g; }

    // Silences the line in constant time: samples not written since are read as 0.
    // Buffers still as the system gave them (nothing written yet) hold zeros already:
    // then every sample counts as written from the start.
    void Reset();
    // Releases the buffers.
    void Free();
    // Takes the buffers' pages from the system now, once per allocation: called off
    // the audio thread before sound runs, so the write index's first pass through a
    // line of megabytes takes no page fault per 4 KiB (several microseconds each on a
    // virtual machine). Where the system cannot do it, pages stay taken on first touch.
    void Populate();

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
    long GetCapacity() const { return static_cast<long>(m_capacity); }
    bool HasRightBuffer() const { return m_channels == 2; }
    long GetReadBase() const { return static_cast<long>(m_r); }
    long GetWriteIndex() const { return static_cast<long>(m_w); }

    // Where a position reads: both taps and the interpolation weight, or one of the
    // two special cases. The read base r is one behind the write index, so the
    // newer tap lies floor(x) + 1 samples behind the sample being written.
    // A position that differs from the previous sample's is moving: the weight is
    // then the older tap's share of a linear read, d = frac / (2 - frac), the
    // allpass's own low-frequency delay, so the delay stays continuous when the
    // read changes from one form to the other. Held still, it is the allpass
    // coefficient a = 1 - frac.
    struct Tap {
        enum Kind { kInterpolate, kZeroDelay, kFullLength } kind;
        bool moving;
        int64_t i, j;
        double weight;
        double pos; // the position after clamping, the next sample's "previous"
    };
    // zeroDelayTap: the span is half the length (so position -1 means no delay at
    // all), which holds for every line the engine sizes.
    // Fast: x is never negative here, so truncation by conversion is floor (and
    // saves a library call per sample), and the special taps are tested on the
    // integer: F == 0 exactly when f == 0.0, F == n exactly when f == n, as both
    // lie far below 2^53. Both forms give the same taps and bits.
    template <bool Fast>
    static Tap LocateAt(double pos, double lastPos, double span, bool zeroDelayTap, int64_t n, int64_t r)
    {
        const double p = kdsp::ClampPosition(pos);
        const bool moving = !(p == lastPos);
        const double x = (p + 1.0) * span;
        double f;
        int64_t F;
        if constexpr (Fast) {
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
        const bool atStart = Fast ? F == 0 : f == 0.0;
        const bool atEnd = Fast ? F == n : f == static_cast<double>(n);
        if (atStart && zeroDelayTap) return {Tap::kZeroDelay, moving, i, j, 0.0, p};
        if (atEnd) return {Tap::kFullLength, moving, i, j, 0.5, p};
        const double frac = x - f;
        return {Tap::kInterpolate, moving, i, j, moving ? frac / (2.0 - frac) : 1.0 - frac, p};
    }

private:
    friend class StereoLine;

    using Buffer = std::unique_ptr<double[], kdsp::Unmap>;
    static Buffer AllocateSilent(int64_t n);

    // A sample not written since the last sizing or reset reads as silence. Writes
    // run from index 0 upwards after either, so those are the indices >= m_written.
    // buf is the channel's first sample; the channels' samples alternate.
    double Fetch(const double* buf, int64_t k) const { return k < m_written ? buf[k * m_channels] : 0.0; }
    double Read(const double* buf, const Tap& tap, double in, double y) const;
    void Advance();
    bool ZeroDelayTap() const { return m_spanInt == m_n / 2; }

    bool m_stereo = false;
    double m_g = 1.0;
    // One buffer; a stereo line keeps the left and right samples of an index side by
    // side, so the two-lane loop reads and writes both with one access.
    Buffer m_buf;
    int64_t m_channels = 0; // of the buffer in hand: 1 or 2
    double m_yL = 0.0, m_yR = 0.0;
    double m_span = 0.0;
    int64_t m_spanInt = 0;
    int64_t m_n = 0;
    int64_t m_r = 0, m_w = 0;
    int64_t m_written = 0;  // samples written since the last sizing or reset, at most N
    int64_t m_capacity = 0; // samples held per channel
    bool m_populated = false;
    bool m_clean = false; // the buffers hold the system's zeros: nothing written since they were taken
    double m_lastPos = std::nan("");
};
