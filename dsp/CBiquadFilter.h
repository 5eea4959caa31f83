#pragma once
// Second-order filter of the wet path: high shelf (0), peaking (1), low shelf (2),
// Butterworth low-pass (3) and high-pass (4). Direct form I over whole blocks,
// history carried from block to block and across coefficient changes.

class CBiquadFilter {
public:
    CBiquadFilter();
    virtual ~CBiquadFilter() = default;

    // A type outside 0..4 leaves the filter as it was.
    void CalcCoefficients(double fs, double freq, double gainDb, double q, int type);
    void OperateFilter(double* in, double* out, int n);
    void OperateFilter(float* in, float* out, int n);
    // The left and right filters of a stereo pair as one two-lane SSE2 loop: the same bits
    // as OperateFilter on each channel, in about a third of the time.
    static void OperateStereo(CBiquadFilter& left, CBiquadFilter& right, const double* inL, const double* inR,
                              double* outL, double* outR, int n);
    // Two stereo pairs in series in one loop, first into firstOut, second into secondOut.
    // The second pair takes the first pair's output when chained, else the same input.
    // The same bits as two OperateStereo calls; the two recursions overlap, so it costs
    // little more than one.
    static void OperateCascade(CBiquadFilter& firstL, CBiquadFilter& firstR, CBiquadFilter& secondL,
                               CBiquadFilter& secondR, bool chained, const double* inL, const double* inR,
                               double* firstOutL, double* firstOutR, double* secondOutL, double* secondOutR, int n);
    void Reset();

    double GetA0() const { return m_a0; }
    double GetA1() const { return m_a1; }
    double GetA2() const { return m_a2; }
    double GetB0() const { return m_b0; }
    double GetB1() const { return m_b1; }
    double GetB2() const { return m_b2; }
    double GetFc() const { return m_fc; }
    double GetFs() const { return m_fs; }

private:
    friend class StereoFilterPair;
    template <typename Sample> void Operate(const Sample* in, Sample* out, int n);
    template <bool chained>
    static void Cascade(CBiquadFilter& firstL, CBiquadFilter& firstR, CBiquadFilter& secondL, CBiquadFilter& secondR,
                        const double* inL, const double* inR, double* firstOutL, double* firstOutR,
                        double* secondOutL, double* secondOutR, int n);

    // Until the first CalcCoefficients the filter passes its input unchanged.
    double m_a0 = 1.0;
    double m_a1 = 0.0, m_a2 = 0.0;
    double m_b0 = 1.0, m_b1 = 0.0, m_b2 = 0.0;
    double m_x1 = 0.0, m_x2 = 0.0;
    double m_y1 = 0.0, m_y2 = 0.0;
    double m_fc = 0.0;
    double m_fs = 0.0;
};
