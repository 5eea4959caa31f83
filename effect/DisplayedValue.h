#pragma once
// Finding the normalised value that shows a wanted value: the one rule shared by
// kestrune-render's --set (through any plug-in's display texts) and the LV2 edition's
// control ports (through the effect's own descriptors), so both set the same value.
#include <cmath>

namespace displayed {

// Normalised values are probed in this many steps when looking for a named entry.
constexpr int kEntrySteps = 2000;

// The normalised value whose shown number is nearest target, for a display that rises or
// falls with the value: bisection on the shown number, then the nearer of the two ends.
// shown(float normalised) -> double.
template <typename Shown> float NearestNormalised(Shown&& shown, double low, double high, double target)
{
    float a = 0.0f, b = 1.0f;
    const bool rising = high >= low;
    for (int i = 0; i < 40; ++i) {
        const float mid = 0.5f * (a + b);
        if ((shown(mid) < target) == rising)
            a = mid;
        else
            b = mid;
    }
    const double atA = shown(a);
    const double atB = shown(b);
    return std::fabs(atA - target) <= std::fabs(atB - target) ? a : b;
}

// The middle of the first run of steps k / kEntrySteps that shows the wanted entry, or a
// negative value when none does. matches(float normalised) -> bool.
template <typename Matches> float MiddleOfMatchingRun(Matches&& matches)
{
    int first = -1, last = -1;
    for (int k = 0; k <= kEntrySteps; ++k) {
        if (matches(static_cast<float>(k) / kEntrySteps)) {
            if (first < 0) first = k;
            last = k;
        } else if (first >= 0) {
            break;
        }
    }
    if (first < 0) return -1.0f;
    return (static_cast<float>(first) + static_cast<float>(last)) * 0.5f / kEntrySteps;
}

} // namespace displayed
