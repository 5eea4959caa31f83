#pragma once
// Where the editor puts each control, and which bitmap gives the size of those whose
// size is not fixed: the positions the artwork has to fit.
#include <string>
#include <vector>

struct Box {
    int left, top, right, bottom;

    bool empty() const { return left >= right || top >= bottom; }
    bool overlaps(const Box& o) const
    {
        return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
};

struct Place {
    std::string name;
    int left, top;
    int bitmap;       // the bitmap whose size makes the rectangle, or 0 for a fixed size
    int frames;       // frames stacked in that bitmap (the rectangle is one frame tall)
    int fixedRight;   // for fixed rectangles
    int fixedBottom;
};

inline std::vector<Place> editorPlaces()
{
    return {
        {"time knob", 112, 78, 0, 0, 225, 191},
        {"delay-time display", 330, 92, 0, 0, 416, 123},
        {"BPM display", 269, 140, 0, 0, 329, 167},
        {"note display", 400, 140, 0, 0, 456, 167},
        {"FeedBack knob", 514, 71, 0, 0, 565, 122},
        {"FeedBack display", 585, 105, 0, 0, 619, 119},
        {"Balance knob", 595, 154, 0, 0, 646, 205},
        {"Balance display", 538, 188, 0, 0, 572, 202},
        {"Depth knob", 119, 243, 0, 0, 170, 294},
        {"Depth display", 190, 277, 0, 0, 224, 291},
        {"Rate knob", 253, 243, 0, 0, 304, 294},
        {"Rate display", 324, 277, 0, 0, 358, 291},
        {"HPF knob", 399, 243, 0, 0, 450, 294},
        {"HPF display", 469, 277, 0, 0, 505, 291},
        {"LPF knob", 533, 243, 0, 0, 584, 294},
        {"LPF display", 603, 277, 0, 0, 639, 291},
        {"HPF switch", 385, 302, 3010, 2, 0, 0},
        {"LPF switch", 519, 302, 3010, 2, 0, 0},
        {"power switch", 18, 12, 3002, 2, 0, 0},
        {"program button", 103, 12, 3012, 2, 0, 0},
        {"input gain knob", 21, 261, 0, 0, 72, 312},
        {"Input Level display", 20, 222, 0, 0, 55, 236},
        {"output gain knob", 678, 261, 0, 0, 729, 312},
        {"Output Level display", 676, 222, 0, 0, 711, 236},
        {"time-mode indicator", 263, 185, 5019, 3, 0, 0},
        {"save button", 460, 12, 5016, 2, 0, 0}, // clicked on its drawn half
        {"changed mark", 383, 12, 0, 0, 451, 43},
        {"input left meter", 46, 82, 3008, 0, 0, 0},
        {"input right meter", 55, 82, 3008, 0, 0, 0},
        {"output left meter", 703, 82, 3008, 0, 0, 0},
        {"output right meter", 712, 82, 3008, 0, 0, 0},
    };
}

inline constexpr int kLevelDisplayTop = 222;
