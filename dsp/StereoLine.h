#pragma once
// Both channels of a stereo CKestrune as one two-lane SSE2 computation, lane 0
// left and lane 1 right. Every lane performs the operations of
// CKestrune::ProcessST in the same order, so the results are the plain form's,
// bit for bit. The running state stays in registers for a block; Store() hands
// it back to the line.
#include <emmintrin.h>

#include "dsp/CKestrune.h"
#include "dsp/SampleGuards.h"

class StereoLine {
public:
    // Only for a line with both buffers.
    static bool Applies(const CKestrune& line) { return line.m_n > 0 && line.m_buf && line.m_channels == 2; }

    explicit StereoLine(CKestrune& line)
        : m_line(line), m_samples(line.m_buf.get()),
          m_y(_mm_set_pd(line.m_yR, line.m_yL)), m_g(_mm_set1_pd(line.m_g)), m_span(line.m_span),
          m_lastPos(line.m_lastPos), m_zeroDelayTap(line.ZeroDelayTap()), m_n(line.m_n), m_r(line.m_r), m_w(line.m_w),
          m_written(line.m_written)
    {
    }

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
        return m_y;
    }

    void Store()
    {
        _mm_store_sd(&m_line.m_yL, m_y);
        _mm_storeh_pd(&m_line.m_yR, m_y);
        m_line.m_lastPos = m_lastPos;
        m_line.m_r = m_r;
        m_line.m_w = m_w;
        m_line.m_written = m_written;
    }

private:
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
};
