#include "editor/GlobalCursor.h"

#include "toolkit/CFrame0.h"
#include "toolkit/X11View.h"

#include <X11/Xlib.h>

namespace {

Display* FrameDisplay(VSTGUI::CFrame0* frame)
{
    auto* view = frame ? static_cast<VSTGUI::X11View*>(frame->getPlatformView()) : nullptr;
    return view ? view->getDisplay() : nullptr;
}

} // namespace

bool GetGlobalCursorPos(VSTGUI::CFrame0* frame, int& x, int& y)
{
    Display* display = FrameDisplay(frame);
    if (!display)
        return false;
    Window root = 0;
    Window child = 0;
    int windowX = 0, windowY = 0;
    unsigned int state = 0;
    return XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &windowX, &windowY, &state);
}

void SetGlobalCursorPos(VSTGUI::CFrame0* frame, int x, int y)
{
    Display* display = FrameDisplay(frame);
    if (!display)
        return;
    XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, x, y);
    XFlush(display);
}
