#pragma once
// The mouse button and modifier word delivered with pointer events, and its mapping from X.
namespace VSTGUI {

enum CButton : long {
    kLButton = 2,
    kMButton = 4,
    kRButton = 8,
    kShift = 16,
    kControl = 32, // the Command key: Super on X
    kAlt = 64,     // Option: Alt (Mod1) on X
    kApple = 128,  // the Control key
    kButton4 = 256,
    kButton5 = 512,
    kDoubleClick = 1024,
};

// The word bit of an X button (1 left, 2 middle, 3 right, 8 and 9 the extra buttons);
// 0 for the wheel buttons 4 to 7 and anything else.
long buttonFromX(unsigned int xButton);
// Held buttons and modifiers of an X state mask.
long buttonsFromXState(unsigned int state);
// Modifiers only.
long modifiersFromXState(unsigned int state);

} // namespace VSTGUI
