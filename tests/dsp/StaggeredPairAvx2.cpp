// Built for AVX2 (CMakeLists.txt) and run only where the processor has it: the four-lane
// wet filter step against the two two-lane steps it stands for, on values that reach
// every case of the flush (tails, zeros of both signs, overflow, infinities, NaN).
#include "dsp/StaggeredFilterPair.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "tests/dsp/DspTestUtil.h"

namespace {

double Value(dsptest::Random& rnd, int regime)
{
    switch (regime) {
    case 0: return rnd.Uniform(-1.0, 1.0);
    case 1: return rnd.Int(0, 1) ? 0.0 : -0.0; // silence: tails decay through the flush
    case 2: return rnd.Uniform(-1.0, 1.0) * 1e-13;
    default:
        switch (rnd.Int(0, 4)) {
        case 0: return std::numeric_limits<double>::quiet_NaN();
        case 1: return std::numeric_limits<double>::infinity();
        case 2: return -1.7e308;
        default: return rnd.Uniform(-1.0, 1.0);
        }
    }
}

bool SameBits(__m128d a, __m128d b) { return std::memcmp(&a, &b, sizeof a) == 0; }

} // namespace

long StaggeredPairMismatches(uint64_t seed)
{
    dsptest::Random rnd(seed);
    CBiquadFilter filters[2][4]; // [staggered, reference][high L, high R, low L, low R]
    for (auto& set : filters) {
        for (int c : {0, 1}) set[c].CalcCoefficients(48000.0, 120.0, 0.0, 1.0, 4);
        for (int c : {2, 3}) set[c].CalcCoefficients(48000.0, 7000.0, 0.0, 1.0, 3);
    }
    StereoFilterPair high(filters[0][0], filters[0][1]), low(filters[0][2], filters[0][3]);
    StereoFilterPair refHigh(filters[1][0], filters[1][1]), refLow(filters[1][2], filters[1][3]);
    StaggeredFilterPair pair(high, low);
    long mismatches = 0;
    for (int run = 0; run < 400; ++run) {
        const int regime = rnd.Int(0, 3);
        for (int k = 0; k < 64; ++k) {
            const __m128d xHigh = _mm_set_pd(Value(rnd, regime), Value(rnd, regime));
            const __m128d xLow = _mm_set_pd(Value(rnd, regime), Value(rnd, regime));
            __m128d h, l;
            pair.Step(xHigh, xLow, h, l);
            mismatches += !SameBits(h, refHigh.Step(xHigh)) + !SameBits(l, refLow.Step(xLow));
        }
    }
    // The histories handed back carry on alike.
    pair.Store(high, low);
    for (StereoFilterPair* f : {&high, &low, &refHigh, &refLow}) f->Store();
    double in[16], out[2][16];
    for (double& x : in) x = Value(rnd, 0);
    for (int c = 0; c < 4; ++c) {
        for (int set : {0, 1}) filters[set][c].OperateFilter(in, out[set], 16);
        mismatches += std::memcmp(out[0], out[1], sizeof out[0]) != 0;
    }
    return mismatches;
}
