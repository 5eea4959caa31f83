#pragma once
// A rectangle of view coordinates; right and bottom are exclusive.
#include "toolkit/CPoint0.h"

#include <algorithm>

namespace VSTGUI {

struct CRect0 {
    CCoord left = 0;
    CCoord top = 0;
    CCoord right = 0;
    CCoord bottom = 0;

    CRect0() = default;
    CRect0(CCoord l, CCoord t, CCoord r, CCoord b) : left(l), top(t), right(r), bottom(b) {}

    CCoord width() const { return right - left; }
    CCoord height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    bool pointInside(const CPoint0& p) const { return p.h >= left && p.h < right && p.v >= top && p.v < bottom; }
    CRect0& offset(CCoord dx, CCoord dy)
    {
        left += dx; right += dx; top += dy; bottom += dy;
        return *this;
    }
    // Intersection; an empty result keeps left == right or top == bottom.
    CRect0& bound(const CRect0& other)
    {
        left = std::max(left, other.left);
        top = std::max(top, other.top);
        right = std::max(left, std::min(right, other.right));
        bottom = std::max(top, std::min(bottom, other.bottom));
        return *this;
    }
    // Puts left <= right and top <= bottom.
    CRect0& normalize()
    {
        if (left > right) std::swap(left, right);
        if (top > bottom) std::swap(top, bottom);
        return *this;
    }
    bool operator==(const CRect0&) const = default;
};

} // namespace VSTGUI
