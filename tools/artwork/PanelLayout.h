#pragma once
// Where every control of the panel sits, in panel pixels (left, top, right, bottom;
// right and bottom exclusive). The editor places its controls at these positions and
// takes the sizes of switches, indicator and meters from the bitmaps drawn here, so
// the drawing code reads every position from this one table.
#include <array>

namespace artwork {

struct Rect {
    int left, top, right, bottom;
    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    constexpr double centerX() const { return (left + right) / 2.0; }
    constexpr double centerY() const { return (top + bottom) / 2.0; }
    constexpr Rect grown(int dx, int dyTop, int dyBottom) const
    {
        return {left - dx, top - dyTop, right + dx, bottom + dyBottom};
    }
};

struct Size {
    int width, height;
};

enum class Align { Left, Center, Right };

constexpr Rect placeAt(int left, int top, Size size)
{
    return {left, top, left + size.width, top + size.height};
}

namespace layout {

// Bitmap numbers, as the editor loads them.
enum Bitmap : int {
    kPowerOffBitmap = 3002,
    kPowerOnBitmap = 3003,
    kSmallKnobBitmap = 3004,
    kBackgroundBitmap = 3005,
    kMeterBitmap = 3008,
    kFilterOnBitmap = 3009,
    kFilterOffBitmap = 3010,
    kProgramPressedBitmap = 3011,
    kProgramReleasedBitmap = 3012,
    kSaveButtonBitmap = 5016,
    kChangedMarkBitmap = 5017,
    kTimeModeBitmap = 5019,
    kLargeKnobBitmap = 5020,
};

// Sizes chosen for the panel (one frame each).
inline constexpr Size kPanel{750, 332};
inline constexpr int kKnobFrames = 61;
inline constexpr double kKnobMinAngle = 30.0;
inline constexpr double kKnobMaxAngle = 330.0;
inline constexpr int kSmallKnob = 51;
inline constexpr int kLargeKnob = 113;
inline constexpr Size kPushButton{30, 30};
inline constexpr Size kFilterSwitch{79, 16};
inline constexpr int kTimeModeStates = 3;
inline constexpr Size kTimeModeIndicator{192, 16};
inline constexpr Size kMeter{7, 132};
inline constexpr Size kChangedMark{68, 31};

// Top row.
inline constexpr Rect kPowerSwitch = placeAt(18, 12, kPushButton);
inline constexpr Rect kProgramButton = placeAt(103, 12, kPushButton);
// The current program's name, drawn by the editor on a glass beside PROGRAM, then the
// changed mark and the save button.
inline constexpr Rect kProgramNameDisplay{208, 17, 372, 37};
inline constexpr Rect kChangedMarkArea = placeAt(383, 12, kChangedMark);
inline constexpr Rect kSaveButton = placeAt(460, 12, kPushButton); // the painted half

// Delay-time section.
inline constexpr Rect kTimeKnob{112, 78, 225, 191};
inline constexpr Rect kDelayTimeDisplay{330, 92, 416, 123};
inline constexpr Rect kBpmDisplay{269, 140, 329, 167};
inline constexpr Rect kNoteDisplay{400, 140, 456, 167};
inline constexpr Rect kTimeModeSwitch = placeAt(263, 185, kTimeModeIndicator);
inline constexpr int kUnitLabelLeft = 422; // "ms", drawn by the editor
inline constexpr int kUnitLabelTop = 99;

// Feedback and balance.
inline constexpr Rect kFeedbackKnob{514, 71, 565, 122};
inline constexpr Rect kFeedbackDisplay{585, 105, 619, 119};
inline constexpr Rect kBalanceKnob{595, 154, 646, 205};
inline constexpr Rect kBalanceDisplay{538, 188, 572, 202};

// Modulation and filters.
inline constexpr Rect kDepthKnob{119, 243, 170, 294};
inline constexpr Rect kDepthDisplay{190, 277, 224, 291};
inline constexpr Rect kRateKnob{253, 243, 304, 294};
inline constexpr Rect kRateDisplay{324, 277, 358, 291};
inline constexpr Rect kHpfKnob{399, 243, 450, 294};
inline constexpr Rect kHpfDisplay{469, 277, 505, 291};
inline constexpr Rect kLpfKnob{533, 243, 584, 294};
inline constexpr Rect kLpfDisplay{603, 277, 639, 291};
inline constexpr Rect kHpfSwitch = placeAt(385, 302, kFilterSwitch);
inline constexpr Rect kLpfSwitch = placeAt(519, 302, kFilterSwitch);

// Levels.
inline constexpr Rect kInputKnob{21, 261, 72, 312};
inline constexpr Rect kInputDisplay{20, 222, 55, 236};
inline constexpr Rect kOutputKnob{678, 261, 729, 312};
inline constexpr Rect kOutputDisplay{676, 222, 711, 236};
inline constexpr int kMeterTop = 82;
inline constexpr std::array<int, 4> kMeterLefts{46, 55, 703, 712};

// Meter law of the editor: the lit part starts at row 19 - 3.3 x dB.
inline constexpr double kMeterRowAtZeroDb = 19.0;
inline constexpr double kMeterRowsPerDb = 3.3;

inline constexpr std::array<Rect, 8> kSmallKnobs{
    kFeedbackKnob, kBalanceKnob, kDepthKnob, kRateKnob,
    kHpfKnob, kLpfKnob, kInputKnob, kOutputKnob,
};

// The dark glass behind a small text field: the field draws its text centred in
// (left, top - 4, right, bottom), and its edit box covers 3 pixels left and right.
constexpr Rect smallGlass(const Rect& field) { return field.grown(3, 5, 3); }
constexpr Rect largeGlass(const Rect& field) { return field.grown(4, 4, 4); }

// Text fields: the glass behind each and the unit engraved after it (empty: none).
struct Display {
    Rect field;
    Rect glass;
    const char* unit;
};

inline constexpr std::array<Display, 12> kDisplays{{
    {kProgramNameDisplay, kProgramNameDisplay.grown(4, 4, 4), ""},
    // The glass runs on under the "ms" that the editor draws after the delay time.
    {kDelayTimeDisplay, {324, 86, 454, 127}, ""},
    {kBpmDisplay, largeGlass(kBpmDisplay), ""},
    {kNoteDisplay, largeGlass(kNoteDisplay), ""},
    {kFeedbackDisplay, smallGlass(kFeedbackDisplay), "%"},
    {kBalanceDisplay, smallGlass(kBalanceDisplay), "%"},
    {kDepthDisplay, smallGlass(kDepthDisplay), "%"},
    {kRateDisplay, smallGlass(kRateDisplay), "Hz"},
    {kHpfDisplay, smallGlass(kHpfDisplay), "Hz"},
    {kLpfDisplay, smallGlass(kLpfDisplay), "Hz"},
    {kInputDisplay, smallGlass(kInputDisplay), "dB"},
    {kOutputDisplay, smallGlass(kOutputDisplay), "dB"},
}};

// Engraved names. x is the left edge, centre or right edge as `align` says; cy is
// the vertical centre of the capitals.
enum class LabelKind { Name, Small };

struct Label {
    const char* text;
    double x, cy;
    Align align;
    LabelKind kind;
};

constexpr double thirdCenter(const Rect& r, int third) { return r.left + r.width() * (2 * third + 1) / 6.0; }

inline constexpr std::array<Label, 23> kLabels{{
    {"POWER", kPowerSwitch.right + 7.0, kPowerSwitch.centerY(), Align::Left, LabelKind::Name},
    {"PROGRAM", kProgramButton.right + 7.0, kProgramButton.centerY(), Align::Left, LabelKind::Name},
    {"SAVE", kSaveButton.right + 7.0, kSaveButton.centerY(), Align::Left, LabelKind::Name},
    {"DELAY TIME", kTimeKnob.centerX(), 66, Align::Center, LabelKind::Name},
    {"BPM", kBpmDisplay.left - 9.0, kBpmDisplay.centerY() - 2, Align::Right, LabelKind::Name},
    {"NOTE", kNoteDisplay.left - 9.0, kNoteDisplay.centerY() - 2, Align::Right, LabelKind::Name},
    {"MS", thirdCenter(kTimeModeSwitch, 0), kTimeModeSwitch.bottom + 7.0, Align::Center, LabelKind::Name},
    {"BPM", thirdCenter(kTimeModeSwitch, 1), kTimeModeSwitch.bottom + 7.0, Align::Center, LabelKind::Name},
    {"HOST", thirdCenter(kTimeModeSwitch, 2), kTimeModeSwitch.bottom + 7.0, Align::Center, LabelKind::Name},
    {"FEEDBACK", kFeedbackDisplay.left, 90, Align::Left, LabelKind::Name},
    {"BALANCE", kBalanceDisplay.right, 174, Align::Right, LabelKind::Name},
    {"DRY", kBalanceKnob.left + 11.0, kBalanceKnob.bottom + 6.0, Align::Center, LabelKind::Small},
    {"WET", kBalanceKnob.right - 11.0, kBalanceKnob.bottom + 6.0, Align::Center, LabelKind::Small},
    {"DEPTH", kDepthDisplay.left, 262, Align::Left, LabelKind::Name},
    {"RATE", kRateDisplay.left, 262, Align::Left, LabelKind::Name},
    {"HPF", kHpfDisplay.left, 262, Align::Left, LabelKind::Name},
    {"LPF", kLpfDisplay.left, 262, Align::Left, LabelKind::Name},
    {"INPUT", (kMeterLefts[0] + kMeterLefts[1] + kMeter.width) / 2.0, 64, Align::Center, LabelKind::Name},
    {"OUTPUT", (kMeterLefts[2] + kMeterLefts[3] + kMeter.width) / 2.0, 64, Align::Center, LabelKind::Name},
    {"L", kMeterLefts[0] + kMeter.width / 2.0, 75, Align::Center, LabelKind::Small},
    {"R", kMeterLefts[1] + kMeter.width / 2.0, 75, Align::Center, LabelKind::Small},
    {"L", kMeterLefts[2] + kMeter.width / 2.0, 75, Align::Center, LabelKind::Small},
    {"R", kMeterLefts[3] + kMeter.width / 2.0, 75, Align::Center, LabelKind::Small},
}};

// Panel furniture: the header bar, grooves between sections and their titles.
inline constexpr int kHeaderBottom = 50;
struct Groove {
    int x0, y0, x1, y1; // horizontal or vertical
};
inline constexpr std::array<Groove, 5> kGrooves{{
    {92, 58, 92, 324},
    {666, 58, 666, 324},
    {484, 58, 484, 222},
    {381, 238, 381, 324},
    {92, 230, 666, 230},
}};
struct SectionTitle {
    const char* text;
    double cx, cy;
};
inline constexpr std::array<SectionTitle, 2> kSectionTitles{{
    {"MODULATION", (92 + 381) / 2.0, 230.5},
    {"FILTER", (381 + 666) / 2.0, 230.5},
}};
inline constexpr std::array<int, 7> kMeterScaleDb{6, 0, -6, -12, -18, -24, -30};

} // namespace layout
} // namespace artwork
