#pragma once
// Something that owns X windows and handles their events. Windows are found from an event
// through the display's context table, so one dispatch routes events for the panel, its
// text fields, menus and dialogs alike.
#include <X11/Xlib.h>

namespace VSTGUI {

class X11EventTarget {
public:
    virtual ~X11EventTarget();
    virtual void handleEvent(XEvent& event) = 0;
    // The object whose modal loop may deliver input to this target (the top-level frame,
    // menu or dialog the window belongs to).
    virtual const void* modalGroup() const { return this; }

    // Routes events of window to this target until unregister().
    void registerWindow(Display* display, Window window);
    void unregisterWindow(Display* display, Window window);

    static X11EventTarget* find(Display* display, Window window);
    // Hands the event to its window's target; false when no target owns the window.
    static bool dispatch(XEvent& event);
    // True for events that carry user input (pointer, keys); modal loops hold these back
    // from targets outside the modal group.
    static bool isInputEvent(const XEvent& event);
};

} // namespace VSTGUI
