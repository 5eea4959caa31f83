#include "toolkit/X11EventTarget.h"

#include <X11/Xresource.h>
#include <X11/Xutil.h>

namespace VSTGUI {
namespace {

XContext targetContext()
{
    static const XContext context = XUniqueContext();
    return context;
}

} // namespace

X11EventTarget::~X11EventTarget() = default;

void X11EventTarget::registerWindow(Display* display, Window window)
{
    XSaveContext(display, window, targetContext(), reinterpret_cast<XPointer>(this));
}

void X11EventTarget::unregisterWindow(Display* display, Window window)
{
    XDeleteContext(display, window, targetContext());
}

X11EventTarget* X11EventTarget::find(Display* display, Window window)
{
    XPointer found = nullptr;
    if (XFindContext(display, window, targetContext(), &found) != 0)
        return nullptr;
    return reinterpret_cast<X11EventTarget*>(found);
}

bool X11EventTarget::dispatch(XEvent& event)
{
    X11EventTarget* target = find(event.xany.display, event.xany.window);
    if (!target)
        return false;
    target->handleEvent(event);
    return true;
}

bool X11EventTarget::isInputEvent(const XEvent& event)
{
    switch (event.type) {
    case ButtonPress:
    case ButtonRelease:
    case MotionNotify:
    case KeyPress:
    case KeyRelease:
    case EnterNotify:
    case LeaveNotify:
        return true;
    default:
        return false;
    }
}

} // namespace VSTGUI
