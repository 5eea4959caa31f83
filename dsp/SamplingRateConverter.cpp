#include "dsp/SamplingRateConverter.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <vector>

#include "dsp/SampleGuards.h"

namespace {

constexpr long kScratchHostFrames = 256;
constexpr long kMaxLatencyPasses = 1 << 16;

bool IsFilterMode(int64_t mode) { return mode == 100 || mode == 101; }
bool IsLibraryMode(int64_t mode) { return mode != 3 && !IsFilterMode(mode); }

void Copy(const double* in, double* out, long n)
{
    if (n > 0 && in != out) std::memmove(out, in, static_cast<size_t>(n) * sizeof(double));
}

void SanitiseInPlace(double* p, long n)
{
    for (long k = 0; k < n; ++k) p[k] = kdsp::ZeroIfNotFinite(p[k]);
}

// Zero insertion with the gain made up by the factor, then the section over the
// raised block. Written from the end so it also works in place.
template <typename Section> void RaiseFiltered(Section& section, const double* in, double* out, long n, long factor)
{
    const double gain = static_cast<double>(factor);
    for (long k = n - 1; k >= 0; --k) {
        const double v = in[k] * gain;
        double* group = out + k * factor;
        group[0] = v;
        for (long j = 1; j < factor; ++j) group[j] = 0.0;
    }
    for (long i = 0; i < n * factor; ++i) out[i] = section.process(out[i]);
}

template <typename Section> void LowerFiltered(Section& section, double* in, double* out, long n, long factor)
{
    for (long i = 0; i < n * factor; ++i) in[i] = section.process(in[i]);
    src_dzoh(in, out, n, factor);
}

} // namespace

long src_uzoh(const double* in, double* out, long n, long factor)
{
    for (long k = n - 1; k >= 0; --k) {
        const double v = in[k];
        for (long j = factor - 1; j >= 0; --j) out[k * factor + j] = v;
    }
    return n;
}

long src_dzoh(const double* in, double* out, long n, long factor)
{
    for (long k = 0; k < n; ++k) out[k] = in[k * factor];
    return n;
}

SamplingRateConverter::SamplingRateConverter() { setSRCFactor(1, 101); }

SamplingRateConverter::~SamplingRateConverter() { freeSRC(); }

bool SamplingRateConverter::hasLibraryStates() const
{
    return m_state[0] && m_state[1] && m_state[2] && m_state[3];
}

void SamplingRateConverter::freeSRC()
{
    for (StatePtr& s : m_state) s.reset();
}

int SamplingRateConverter::process(SRC_STATE* state, SRC_DATA* data) { return src_process(state, data); }

void SamplingRateConverter::init()
{
    for (IIR_1& s : m_iir) s.init();
    for (BiquadFilter& s : m_biquad) s.init();
    if (hasLibraryStates())
        for (StatePtr& s : m_state) src_reset(s.get());
}

void SamplingRateConverter::setSRCFactor(long factor, long mode)
{
    m_latency = 0;
    if (!src_is_valid_ratio(static_cast<double>(factor))) return;
    m_factor = factor;
    m_mode = mode;
    freeSRC();
    if (factor == 1) return;
    if (mode == 3) {
        init();
        return;
    }
    if (mode == 101) {
        for (BiquadFilter& s : m_biquad) s.setLPF_RB(1.0, m_q, 2.0 * static_cast<double>(factor), 1);
        init();
        return;
    }
    if (mode == 100) {
        for (IIR_1& s : m_iir) s.setLPF_BW(1.0, 2.0 * static_cast<double>(factor));
        init();
        return;
    }
    if (!createLibraryStates()) return;
    const double ratio = static_cast<double>(factor);
    m_data[kUpLeft].src_ratio = m_data[kUpRight].src_ratio = ratio;
    m_data[kDownLeft].src_ratio = m_data[kDownRight].src_ratio = 1.0 / ratio;
    measureLatency();
    init();
}

bool SamplingRateConverter::createLibraryStates()
{
    const int type = (m_mode >= 0 && m_mode <= INT_MAX) ? static_cast<int>(m_mode) : -1;
    int errLeft = 0, errRight = 0;
    for (int first : {0, 2}) {
        m_state[first].reset(src_new(type, 1, &errLeft));
        m_state[first + 1].reset(src_new(type, 1, &errRight));
        m_errorLeft = errLeft;
        m_errorRight = errRight;
        if (!m_state[first] || !m_state[first + 1]) {
            freeSRC();
            return false;
        }
    }
    const long size = kScratchHostFrames * static_cast<long>(m_factor);
    if (m_scratchSize != size) {
        m_scratchIn.reset(new (std::nothrow) float[static_cast<size_t>(size)]);
        m_scratchOut.reset(new (std::nothrow) float[static_cast<size_t>(size)]);
        m_scratchSize = (m_scratchIn && m_scratchOut) ? size : 0;
    }
    if (m_scratchSize == 0) {
        freeSRC();
        return false;
    }
    return true;
}

// Zero frames go through both directions one host frame at a time until each has
// produced something; what they held back is the latency in host frames.
void SamplingRateConverter::measureLatency()
{
    init();
    const long factor = static_cast<long>(m_factor);
    std::vector<double> raisedL(static_cast<size_t>(factor)), raisedR(static_cast<size_t>(factor));
    long upShort = 0, downShort = 0;
    for (long pass = 0; pass < kMaxLatencyPasses; ++pass) {
        double inL = 0.0, inR = 0.0, outL = 0.0, outR = 0.0;
        const long up = usrc(&inL, &inR, raisedL.data(), raisedR.data(), 1);
        const long down = dsrc(raisedL.data(), raisedR.data(), &outL, &outR, 1);
        upShort += factor - up;
        downShort += 1 - down;
        if (up >= 1 && down >= 1) break;
    }
    m_latency = upShort / factor + downShort;
}

long SamplingRateConverter::getLatency() const
{
    if (m_factor == 1 || !IsLibraryMode(m_mode)) return 0;
    return static_cast<long>(m_latency);
}

long SamplingRateConverter::runLibraryChannel(int index, double* in, double* out, long inFrames, long outFrames)
{
    SRC_DATA& data = m_data[index];
    long consumed = 0, produced = 0;
    while (consumed < inFrames && produced < outFrames) {
        const long chunk = std::min(inFrames - consumed, m_scratchSize);
        for (long k = 0; k < chunk; ++k) m_scratchIn[k] = static_cast<float>(in[consumed + k]);
        data.data_in = m_scratchIn.get();
        data.data_out = m_scratchOut.get();
        data.input_frames = chunk;
        data.output_frames = std::min(outFrames - produced, m_scratchSize);
        data.end_of_input = 0;
        if (process(m_state[index].get(), &data) != 0) break;
        for (long k = 0; k < data.output_frames_gen; ++k)
            out[produced + k] = kdsp::ZeroIfNotFinite(m_scratchOut[k]);
        consumed += data.input_frames_used;
        produced += data.output_frames_gen;
        if (data.input_frames_used == 0 && data.output_frames_gen == 0) break;
    }
    // What the library has not delivered yet is silence, not stale memory.
    std::fill(out + produced, out + outFrames, 0.0);
    return produced;
}

long SamplingRateConverter::runLibrary(int first, double* inL, double* inR, double* outL, double* outR,
                                       long inFrames, long outFrames)
{
    SanitiseInPlace(inL, inFrames);
    SanitiseInPlace(inR, inFrames);
    if (!hasLibraryStates()) {
        std::fill(outL, outL + outFrames, 0.0);
        std::fill(outR, outR + outFrames, 0.0);
        return 0;
    }
    const long generated = runLibraryChannel(first, inL, outL, inFrames, outFrames);
    runLibraryChannel(first + 1, inR, outR, inFrames, outFrames);
    return generated;
}

long SamplingRateConverter::usrc(double* inL, double* inR, double* outL, double* outR, long n)
{
    if (n <= 0) return 0;
    const long factor = static_cast<long>(m_factor);
    if (factor == 1) {
        Copy(inL, outL, n);
        Copy(inR, outR, n);
        return n;
    }
    switch (m_mode) {
    case 101:
        RaiseFiltered(m_biquad[kUpLeft], inL, outL, n, factor);
        RaiseFiltered(m_biquad[kUpRight], inR, outR, n, factor);
        return n;
    case 100:
        RaiseFiltered(m_iir[kUpLeft], inL, outL, n, factor);
        RaiseFiltered(m_iir[kUpRight], inR, outR, n, factor);
        return n;
    case 3:
        src_uzoh(inL, outL, n, factor);
        src_uzoh(inR, outR, n, factor);
        return n;
    default:
        return runLibrary(kUpLeft, inL, inR, outL, outR, n, n * factor);
    }
}

long SamplingRateConverter::dsrc(double* inL, double* inR, double* outL, double* outR, long n)
{
    if (n <= 0) return 0;
    const long factor = static_cast<long>(m_factor);
    if (factor == 1) {
        Copy(inL, outL, n);
        Copy(inR, outR, n);
        return n;
    }
    switch (m_mode) {
    case 101:
        LowerFiltered(m_biquad[kDownLeft], inL, outL, n, factor);
        LowerFiltered(m_biquad[kDownRight], inR, outR, n, factor);
        return n;
    case 100:
        LowerFiltered(m_iir[kDownLeft], inL, outL, n, factor);
        LowerFiltered(m_iir[kDownRight], inR, outR, n, factor);
        return n;
    case 3:
        src_dzoh(inL, outL, n, factor);
        src_dzoh(inR, outR, n, factor);
        return n;
    default:
        return runLibrary(kDownLeft, inL, inR, outL, outR, n * factor, n);
    }
}
