#include "dsp/CKestrune.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

#include <sys/mman.h>

#include "dsp/SampleGuards.h"

namespace {

// Longest line that can be addressed and sized without overflow.
constexpr int64_t kMaxLength = std::numeric_limits<std::ptrdiff_t>::max() / static_cast<int64_t>(sizeof(double));

} // namespace

// Fresh anonymous pages, which the system zeroes only when they are first touched:
// no pass over tens of megabytes when the effect opens or the rate changes. (calloc
// would do the same for most sizes, but may serve a block from its heap after a
// large free and clear it by hand.)
CKestrune::Buffer CKestrune::AllocateSilent(int64_t n)
{
    const size_t bytes = static_cast<size_t>(n) * sizeof(double);
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return Buffer(nullptr, kdsp::Unmap {0});
    // Large pages where the system offers them: a 512th of the faults and of the
    // translation misses of the two taps. Only advice; failure changes nothing.
    madvise(p, bytes, MADV_HUGEPAGE);
    return Buffer(static_cast<double*>(p), kdsp::Unmap {bytes});
}

void kdsp::Unmap::operator()(double* p) const
{
    if (p) munmap(p, bytes);
}

bool CKestrune::SetSize(long size, long span)
{
    if (size < 1) {
        m_n = 0;
        return true;
    }
    const int64_t m = std::clamp<int64_t>(span, 0, size);
    if (size > kMaxLength - m) return false;
    const int64_t n = size + m;
    // Reused when not much larger than needed: a rate change down saves returning
    // and taking pages, and a line far too large does not hold memory for good.
    const int64_t channels = m_stereo ? 2 : 1;
    const bool fits = m_buf && n <= m_capacity && m_capacity / 2 <= n && m_channels == channels;
    if (!fits) {
        if (n > kMaxLength / channels) return false;
        Buffer fresh = AllocateSilent(n * channels);
        if (!fresh) return false;
        Free();
        m_buf = std::move(fresh);
        m_channels = channels;
        m_capacity = n;
        m_populated = false;
        m_clean = true;
    }
    m_n = n;
    m_spanInt = m;
    m_span = static_cast<double>(m);
    Reset();
    return true;
}

void CKestrune::Reset()
{
    m_r = 2 * m_spanInt;
    m_w = 0;
    m_written = m_clean ? m_n : 0;
    m_yL = m_yR = 0.0;
    m_lastPos = std::nan("");
}

void CKestrune::Populate()
{
    if (m_populated || !m_buf) return;
    const size_t bytes = static_cast<size_t>(m_capacity * m_channels) * sizeof(double);
    // Writable population keeps the contents: it only maps what is not mapped yet.
    m_populated = madvise(m_buf.get(), bytes, MADV_POPULATE_WRITE) == 0;
}

void CKestrune::Free()
{
    m_buf.reset();
    m_channels = 0;
    m_capacity = 0;
    m_populated = false;
    m_clean = false;
    m_n = 0;
    m_w = 0;
    m_written = 0;
    m_yL = m_yR = 0.0;
}

// Held still: the first-order allpass y = a * newer + older - a * y[n-1], in the
// form (newer - y) * a + older; the full-length case reads the oldest sample
// twice. Moving: the linear read (older - newer) * d + newer, with non-negative
// weights that sum to 1, so with g <= 1 the loop cannot grow.
double CKestrune::Read(const double* buf, const Tap& tap, double in, double y) const
{
    switch (tap.kind) {
    case Tap::kZeroDelay: return in;
    case Tap::kFullLength: {
        const double oldest = Fetch(buf, m_w);
        return tap.moving ? oldest : (oldest - y) * 0.5 + oldest;
    }
    default: {
        const double newer = Fetch(buf, tap.i), older = Fetch(buf, tap.j);
        return tap.moving ? (older - newer) * tap.weight + newer : (newer - y) * tap.weight + older;
    }
    }
}

void CKestrune::Advance()
{
    m_clean = false;
    if (m_written < m_n) ++m_written;
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
    if (m_channels != 2) {
        // A mono line leaves the right channel untouched.
        out[0] = Process(inL, pos);
        out[1] = inR;
        return;
    }
    const Tap tap = LocateAt<false>(pos, m_lastPos, m_span, ZeroDelayTap(), m_n, m_r);
    m_lastPos = tap.pos;
    m_yL = kdsp::ZeroIfNotFinite(Read(m_buf.get(), tap, inL, m_yL));
    m_yR = kdsp::ZeroIfNotFinite(Read(m_buf.get() + 1, tap, inR, m_yR));
    m_buf[2 * m_w] = m_yL * m_g + inL;
    m_buf[2 * m_w + 1] = m_g * m_yR + inR;
    Advance();
    out[0] = m_yL;
    out[1] = m_yR;
}

double CKestrune::Process(double in, double pos)
{
    if (m_n == 0) return in;
    const Tap tap = LocateAt<false>(pos, m_lastPos, m_span, ZeroDelayTap(), m_n, m_r);
    m_lastPos = tap.pos;
    m_yL = kdsp::ZeroIfNotFinite(Read(m_buf.get(), tap, in, m_yL));
    m_buf[m_w * m_channels] = m_yL * m_g + in;
    Advance();
    return m_yL;
}
