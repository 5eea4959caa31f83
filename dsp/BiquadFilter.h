#pragma once
// Plain second-order section with the Audio EQ Cookbook setters. The sample-rate
// converter runs it one sample at a time through process().
#include <utility>

#include "dsp/SampleGuards.h"

struct BiquadFilter {
    double a1 = 0.0, a2 = 0.0;
    double b0 = 0.0, b1 = 0.0, b2 = 0.0;
    double x1 = 0.0, x2 = 0.0;
    double y1 = 0.0, y2 = 0.0;

    void init() { x1 = x2 = y1 = y2 = 0.0; }
    void setCoefficients(double nb0, double nb1, double nb2, double na1, double na2);

    // kind 0: q is a bandwidth in octaves; kind 1: alpha = 2 q sin w0; else alpha = 0.
    // Returns (alpha, sin w0).
    static std::pair<double, double> calcAlpha(double f, double q, double fs, unsigned int kind);

    void setLPF_RB(double f, double q, double fs, unsigned int kind);
    void setHPF_RB(double f, double q, double fs, unsigned int kind);
    void setBPF_RB(double f, double q, double fs, unsigned int kind);
    void setBPFP_RB(double f, double q, double fs, unsigned int kind);
    void setBSF_RB(double f, double q, double fs, unsigned int kind);
    void setAPF_RB(double f, double q, double fs, unsigned int kind);
    void setPeakEQ(double f, double gainDb, double width, double fs);
    void setLSF(double f, double gainDb, double slope, double fs);
    void setHSF(double f, double gainDb, double slope, double fs);

    double process(double x)
    {
        const double y = kdsp::ZeroIfNotFinite(b0 * x + b1 * x1 + b2 * x2 - (a2 * y2 + a1 * y1));
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

private:
    void setNormalised(double nb0, double nb1, double nb2, double a0, double na1, double na2);
};
