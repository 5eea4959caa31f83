#pragma once
// Integer-factor stereo sample-rate converter: raises a block by the factor
// before the delay line and lowers it again after it.
//
// Modes: 101 zero insertion + second-order low-pass, 100 zero insertion +
// first-order low-pass, 3 sample repetition / plain decimation, 0 1 2 4
// libsamplerate's converter of that number. Factor 1 copies.
#include <samplerate.h>

#include <cstdint>
#include <memory>

#include "dsp/BiquadFilter.h"
#include "dsp/IIR_1.h"

// Mode-3 kernels: each input sample repeated factor times / the first of each group.
long src_uzoh(const double* in, double* out, long n, long factor);
long src_dzoh(const double* in, double* out, long n, long factor);

class SamplingRateConverter {
public:
    // Filter sections and library states, in the order up left, up right, down left, down right.
    enum Section { kUpLeft = 0, kUpRight = 1, kDownLeft = 2, kDownRight = 3 };

    SamplingRateConverter();
    virtual ~SamplingRateConverter();
    SamplingRateConverter(const SamplingRateConverter&) = delete;
    SamplingRateConverter& operator=(const SamplingRateConverter&) = delete;

    // An invalid factor leaves the converter as it was.
    void setSRCFactor(long factor, long mode);
    void setSRCFactor(long factor) { setSRCFactor(factor, static_cast<long>(m_mode)); }
    void init();

    // n host frames in, factor * n per channel out. Returns a frame count.
    long usrc(double* inL, double* inR, double* outL, double* outR, long n);
    // factor * n frames in (filtered in place), n host frames out.
    long dsrc(double* inL, double* inR, double* outL, double* outR, long n);

    long getLatency() const;
    void freeSRC();
    int process(SRC_STATE* state, SRC_DATA* data);

    long getFactor() const { return static_cast<long>(m_factor); }
    long getMode() const { return static_cast<long>(m_mode); }
    bool hasLibraryStates() const;
    // The second-order sections of mode 101, for the engine's fused stereo loop.
    BiquadFilter& biquad(Section s) { return m_biquad[s]; }

private:
    struct StateDeleter {
        void operator()(SRC_STATE* s) const { src_delete(s); }
    };
    using StatePtr = std::unique_ptr<SRC_STATE, StateDeleter>;

    bool createLibraryStates();
    void measureLatency();
    long runLibrary(int first, double* inL, double* inR, double* outL, double* outR, long inFrames,
                    long outFrames);
    long runLibraryChannel(int index, double* in, double* out, long inFrames, long outFrames);

    int64_t m_factor = 1;
    int64_t m_mode = 101;
    int64_t m_latency = 0;
    StatePtr m_state[4];
    SRC_DATA m_data[4] = {};
    int64_t m_errorLeft = 0;
    int64_t m_errorRight = 0;
    IIR_1 m_iir[4];
    BiquadFilter m_biquad[4];
    double m_q = 0.5773502691896257;

    // The library works on floats: conversions go through these, in pieces of
    // m_scratchSize frames, so nothing is allocated per block.
    std::unique_ptr<float[]> m_scratchIn;
    std::unique_ptr<float[]> m_scratchOut;
    long m_scratchSize = 0;
};
