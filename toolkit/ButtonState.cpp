#include "toolkit/ButtonState.h"

#include <X11/X.h>

namespace VSTGUI {

long buttonFromX(unsigned int xButton)
{
    switch (xButton) {
    case Button1: return kLButton;
    case Button2: return kMButton;
    case Button3: return kRButton;
    case 8: return kButton4;
    case 9: return kButton5;
    default: return 0;
    }
}

long modifiersFromXState(unsigned int state)
{
    long word = 0;
    if (state & ShiftMask) word |= kShift;
    if (state & Mod4Mask) word |= kControl;
    if (state & Mod1Mask) word |= kAlt;
    if (state & ControlMask) word |= kApple;
    return word;
}

long buttonsFromXState(unsigned int state)
{
    long word = modifiersFromXState(state);
    if (state & Button1Mask) word |= kLButton;
    if (state & Button2Mask) word |= kMButton;
    if (state & Button3Mask) word |= kRButton;
    return word;
}

} // namespace VSTGUI
