#pragma once
// An RGBA colour; as a 32-bit word red is the lowest byte, alpha the highest.
#include <cstdint>

namespace VSTGUI {

struct CColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 255;

    constexpr CColor() = default;
    constexpr CColor(uint8_t r, uint8_t g, uint8_t b, uint8_t a) : red(r), green(g), blue(b), alpha(a) {}

    static constexpr CColor fromWord(uint32_t w)
    {
        return CColor(uint8_t(w & 0xFF), uint8_t((w >> 8) & 0xFF), uint8_t((w >> 16) & 0xFF), uint8_t(w >> 24));
    }
    constexpr uint32_t toWord() const
    {
        return uint32_t(red) | (uint32_t(green) << 8) | (uint32_t(blue) << 16) | (uint32_t(alpha) << 24);
    }
    constexpr bool operator==(const CColor&) const = default;
};
static_assert(sizeof(CColor) == 4, "CColor is one 32-bit word");

constexpr CColor kWhiteCColor(255, 255, 255, 255);
constexpr CColor kBlackCColor(0, 0, 0, 255);
constexpr CColor kTransparentCColor(255, 255, 255, 0);

} // namespace VSTGUI
