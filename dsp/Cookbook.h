#pragma once
// Raw (not normalised) coefficients of the Audio EQ Cookbook responses that both
// second-order filters share. The shelves take the term that stands for 2*sqrt(A)*alpha.

namespace kdsp {

struct RawBiquad {
    double b0, b1, b2, a0, a1, a2;
};

inline RawBiquad CookbookHighShelf(double A, double c, double t)
{
    return {A * ((A + 1.0) + (A - 1.0) * c + t),
            -2.0 * A * ((A - 1.0) + (A + 1.0) * c),
            A * ((A + 1.0) + (A - 1.0) * c - t),
            (A + 1.0) - (A - 1.0) * c + t,
            2.0 * ((A - 1.0) - (A + 1.0) * c),
            (A + 1.0) - (A - 1.0) * c - t};
}

inline RawBiquad CookbookLowShelf(double A, double c, double t)
{
    return {A * ((A + 1.0) - (A - 1.0) * c + t),
            2.0 * A * ((A - 1.0) - (A + 1.0) * c),
            A * ((A + 1.0) - (A - 1.0) * c - t),
            (A + 1.0) + (A - 1.0) * c + t,
            -2.0 * ((A - 1.0) + (A + 1.0) * c),
            (A + 1.0) + (A - 1.0) * c - t};
}

inline RawBiquad CookbookPeaking(double A, double c, double alpha)
{
    return {1.0 + alpha * A, -2.0 * c, 1.0 - alpha * A, 1.0 + alpha / A, -2.0 * c, 1.0 - alpha / A};
}

} // namespace kdsp
