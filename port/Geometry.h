#pragma once
// Windows-style integer geometry: right and bottom are exclusive.
#include <cstdint>

struct CPoint {
    int32_t x = 0;
    int32_t y = 0;
    CPoint() = default;
    CPoint(int32_t px, int32_t py) : x(px), y(py) {}
    bool operator==(const CPoint&) const = default;
};

struct CSize {
    int32_t cx = 0;
    int32_t cy = 0;
    CSize() = default;
    CSize(int32_t w, int32_t h) : cx(w), cy(h) {}
};

struct CRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    CRect() = default;
    CRect(int32_t l, int32_t t, int32_t r, int32_t b) : left(l), top(t), right(r), bottom(b) {}

    void SetRectWin(int32_t l, int32_t t, int32_t r, int32_t b) { left = l; top = t; right = r; bottom = b; }
    void CopyRectWin(const CRect* other) { if (other) *this = *other; }
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool IsRectEmpty() const { return left >= right || top >= bottom; }
    bool PtInRect(CPoint pt) const { return left <= pt.x && pt.x < right && top <= pt.y && pt.y < bottom; }

    // The platform rectangle record is four consecutive integers.
    operator int32_t*() { return &left; }
    operator const int32_t*() const { return &left; }
    bool operator==(const CRect&) const = default;
};
static_assert(sizeof(CRect) == 16, "CRect must be four packed 32-bit integers");
