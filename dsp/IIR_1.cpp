#include "dsp/IIR_1.h"

#include <numbers>
#include <cmath>

void IIR_1::setCoefficients(double nb0, double nb1, double na)
{
    b0 = nb0;
    b1 = nb1;
    a = na;
}

void IIR_1::setLPF_BW(double f, double fs)
{
    const double t = std::tan(std::numbers::pi * f / fs);
    b0 = b1 = t / (1.0 + t);
    a = (1.0 - t) / (1.0 + t);
}

void IIR_1::setHPF_BW(double f, double fs)
{
    const double t = std::tan(std::numbers::pi * f / fs);
    b0 = 1.0 / (1.0 + t);
    b1 = -b0;
    a = (1.0 - t) / (1.0 + t);
}
