#pragma once
// Panel units and device pixels. The layout is in units; a window, bitmap or image at scale s
// has s pixels per unit. Every conversion rounds the same way, so that the artwork's frame
// edges, the drawing code's rectangles and the windows' sizes meet on the same pixel.
#include <cmath>
#include <cstdio>
#include <string>

namespace VSTGUI {

// The sizes the panel offers: 100 %, 150 % and 200 %.
inline constexpr double kPanelScales[] = {1.0, 1.5, 2.0};

// The device pixel edge of a unit coordinate (halves round up).
inline double unitsToPixels(double units, double scale) { return std::floor(units * scale + 0.5); }

// The unit holding a device pixel (pointer positions).
inline long pixelToUnit(double pixel, double scale) { return long(std::floor(pixel / scale)); }

// The file of a bitmap at a scale: "3004.png", "3004@1.5x.png", "3004@2x.png".
inline std::string scaledFileName(long number, double scale, const char* extension)
{
    char name[64];
    if (scale == 1.0)
        std::snprintf(name, sizeof name, "%ld.%s", number, extension);
    else
        std::snprintf(name, sizeof name, "%ld@%gx.%s", number, scale, extension);
    return name;
}

// A scale of the panel, or 1 for anything else.
inline double validScale(double scale)
{
    for (double offered : kPanelScales)
        if (scale == offered)
            return scale;
    return 1.0;
}

} // namespace VSTGUI
