#pragma once
// A nested event loop on the calling (user-interface) thread, for menus and dialogs. It reads
// every given display, delivers all events to the modal group's windows and only the
// harmless ones (exposes, selections, structure) to other windows, and fires timers.
#include <X11/Xlib.h>

#include <functional>
#include <vector>

namespace VSTGUI {

class ModalLoop {
public:
    // Runs until finished() returns true. group is the modalGroup() of the windows that
    // receive input; filter, when set, sees each event first and may consume it (true).
    static void run(const std::vector<Display*>& displays, const void* group, const std::function<bool()>& finished,
                    const std::function<bool(XEvent&)>& filter = {});
    // Reads and dispatches what is queued on display now, holding back input for windows
    // outside group (null: deliver everything).
    static void drain(Display* display, const void* group, const std::function<bool(XEvent&)>& filter = {});
};

} // namespace VSTGUI
