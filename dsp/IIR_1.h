#pragma once
// First-order section (b0 + b1 z^-1) / (1 - a z^-1), transposed form; the
// converter's first-order mode runs its low-pass through process().
#include "dsp/SampleGuards.h"

struct IIR_1 {
    double a = 0.0;
    double b0 = 0.0, b1 = 0.0;
    double z = 0.0;

    void init() { z = 0.0; }
    void setCoefficients(double nb0, double nb1, double na);
    // Bilinear first-order low- and high-pass with the corner f at the rate fs.
    void setLPF_BW(double f, double fs);
    void setHPF_BW(double f, double fs);

    double process(double x)
    {
        const double y = kdsp::ZeroIfNotFinite(b0 * x + z);
        z = kdsp::ZeroIfNotFinite(b1 * x + a * y);
        return y;
    }
};
