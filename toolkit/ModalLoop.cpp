#include "toolkit/ModalLoop.h"

#include "toolkit/CVSTGUITimer.h"
#include "toolkit/X11EventTarget.h"

#include <poll.h>

namespace VSTGUI {
namespace {

constexpr int kMaxWaitMs = 50;

bool deliverable(const XEvent& event, const void* group)
{
    if (!group || !X11EventTarget::isInputEvent(event))
        return true;
    const X11EventTarget* target = X11EventTarget::find(event.xany.display, event.xany.window);
    return target && target->modalGroup() == group;
}

} // namespace

void ModalLoop::drain(Display* display, const void* group, const std::function<bool(XEvent&)>& filter)
{
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (XFilterEvent(&event, None))
            continue; // taken by the input method
        if (filter && filter(event))
            continue;
        if (deliverable(event, group))
            X11EventTarget::dispatch(event);
    }
}

void ModalLoop::run(const std::vector<Display*>& displays, const void* group, const std::function<bool()>& finished,
                    const std::function<bool(XEvent&)>& filter)
{
    while (!finished()) {
        for (Display* display : displays) {
            drain(display, group, filter);
            XFlush(display);
        }
        CVSTGUITimer::fireDueTimers();
        if (finished())
            break;
        std::vector<pollfd> fds;
        for (Display* display : displays)
            fds.push_back(pollfd{ConnectionNumber(display), POLLIN, 0});
        int wait = CVSTGUITimer::msUntilNextTimer();
        if (wait < 0 || wait > kMaxWaitMs)
            wait = kMaxWaitMs;
        poll(fds.data(), fds.size(), wait);
    }
}

} // namespace VSTGUI
