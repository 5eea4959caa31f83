#include "dsp/CKestrune.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <new>

#include "dsp/SampleGuards.h"

namespace {

// Longest line that can be addressed and sized without overflow.
constexpr int64_t kMaxLength = std::numeric_limits<std::ptrdiff_t>::max() / static_cast<int64_t>(sizeof(double));

std::unique_ptr<double[]> AllocateSilent(int64_t n)
{
    return std::unique_ptr<double[]>(new (std::nothrow) double[static_cast<size_t>(n)]());
}

} // namespace

bool CKestrune::SetSize(long size, long span)
{
    if (size < 1) {
        m_n = 0;
        return true;
    }
    const int64_t m = std::clamp<int64_t>(span, 0, size);
    if (size > kMaxLength - m) return false;
    const int64_t n = size + m;
    std::unique_ptr<double[]> left = AllocateSilent(n);
    if (!left) return false;
    std::unique_ptr<double[]> right;
    if (m_stereo) {
        right = AllocateSilent(n);
        if (!right) return false;
    }
    Free();
    m_bufL = std::move(left);
    m_bufR = std::move(right);
    m_n = n;
    m_spanInt = m;
    m_span = static_cast<double>(m);
    m_r = 2 * m;
    m_w = 0;
    m_yL = m_yR = 0.0;
    return true;
}

void CKestrune::Reset()
{
    if (m_n > 0) {
        std::fill(m_bufL.get(), m_bufL.get() + m_n, 0.0);
        if (m_bufR) std::fill(m_bufR.get(), m_bufR.get() + m_n, 0.0);
    }
    m_r = 2 * m_spanInt;
    m_w = 0;
    m_yL = m_yR = 0.0;
}

void CKestrune::Free()
{
    if (m_n == 0) return;
    m_bufL.reset();
    m_bufR.reset();
    m_n = 0;
    m_w = 0;
    m_yL = m_yR = 0.0;
}

// First-order allpass: y = a * newer + older - a * y[n-1], in the form
// (newer - y) * a + older; the full-length case reads the oldest sample twice.
double CKestrune::Read(const double* buf, const Tap& tap, double in, double y) const
{
    switch (tap.kind) {
    case Tap::kZeroDelay: return in;
    case Tap::kFullLength: return (buf[m_w] - y) * 0.5 + buf[m_w];
    default: return (buf[tap.i] - y) * tap.a + buf[tap.j];
    }
}

void CKestrune::Advance()
{
    if (++m_r >= m_n) m_r = 0;
    if (++m_w >= m_n) m_w = 0;
}

void CKestrune::ProcessST(double* in, double* out, double pos)
{
    const double inL = in[0], inR = in[1];
    if (m_n == 0) {
        out[0] = inL;
        out[1] = inR;
        return;
    }
    if (!m_bufR) {
        // A mono line leaves the right channel untouched.
        out[0] = Process(inL, pos);
        out[1] = inR;
        return;
    }
    const Tap tap = LocateAt<false>(pos, m_span, m_spanInt, m_n, m_r);
    m_yL = kdsp::ZeroIfNotFinite(Read(m_bufL.get(), tap, inL, m_yL));
    m_yR = kdsp::ZeroIfNotFinite(Read(m_bufR.get(), tap, inR, m_yR));
    m_bufL[m_w] = m_yL * m_g + inL;
    m_bufR[m_w] = m_g * m_yR + inR;
    Advance();
    out[0] = m_yL;
    out[1] = m_yR;
}

double CKestrune::Process(double in, double pos)
{
    if (m_n == 0) return in;
    const Tap tap = LocateAt<false>(pos, m_span, m_spanInt, m_n, m_r);
    m_yL = kdsp::ZeroIfNotFinite(Read(m_bufL.get(), tap, in, m_yL));
    m_bufL[m_w] = m_yL * m_g + in;
    Advance();
    return m_yL;
}
