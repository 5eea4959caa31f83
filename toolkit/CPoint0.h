#pragma once
// A point of the editor's view coordinates: origin top-left, v grows downwards.
#include <cstdint>

namespace VSTGUI {

using CCoord = int64_t;

struct CPoint0 {
    CCoord h = 0;
    CCoord v = 0;
    CPoint0() = default;
    CPoint0(CCoord ph, CCoord pv) : h(ph), v(pv) {}
    bool operator==(const CPoint0&) const = default;
};

} // namespace VSTGUI
