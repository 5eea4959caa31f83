#pragma once
// A host stand-in for the tests under Xvfb: a top-level window to embed frames in, XTest
// pointer and key injection on the test's own connection, and pumping of a frame's events.
#include "toolkit/CFrame0.h"
#include "toolkit/CVSTGUITimer.h"
#include "tests/support/XTestConnection.h"

#include <X11/Xlib.h>
#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <cairo.h>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace toolkit_test {

constexpr int kHostX = 100;
constexpr int kHostY = 100;

class Host : public XTestConnection {
public:
    Host()
    {
        if (!display)
            return;
        XSetWindowAttributes attributes{};
        attributes.background_pixel = BlackPixel(display, DefaultScreen(display));
        attributes.event_mask = StructureNotifyMask;
        window = XCreateWindow(display, DefaultRootWindow(display), kHostX, kHostY, 420, 320, 0, CopyFromParent,
                               InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &attributes);
        XStoreName(display, window, "host");
        XMapWindow(display, window);
        XEvent event;
        do
            XNextEvent(display, &event);
        while (event.type != MapNotify);
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
        XSync(display, False);
    }
    ~Host()
    {
        if (display)
            XDestroyWindow(display, window);
    }
    void* parent() const { return reinterpret_cast<void*>(uintptr_t(window)); }

    Window window = 0;
};

// Writes a screenshot under the build folder.
inline void saveShot(cairo_surface_t* shot, const char* name)
{
    std::filesystem::create_directories(KESTRUNE_SCREENSHOT_DIR);
    cairo_surface_write_to_png(shot, (std::string(KESTRUNE_SCREENSHOT_DIR) + "/" + name).c_str());
}

// Dispatches the frame's events until done() or the time runs out.
inline bool pump(VSTGUI::CFrame0& frame, const std::function<bool()>& done, int timeoutMs = 2000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        frame.dispatchEvents();
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    frame.dispatchEvents();
    return done();
}

// Steps run one per timer firing from inside modal loops (menus, dialogs).
class Script : public VSTGUI::CBaseObject {
public:
    explicit Script(std::vector<std::function<void()>> steps) : steps(std::move(steps)), timer(this, 120) { timer.start(); }
    VSTGUI::CMessageResult notify(VSTGUI::CBaseObject*, const char*) override
    {
        if (next < steps.size())
            steps[next++]();
        else
            timer.stop();
        return VSTGUI::kMessageNotified;
    }
    size_t done() const { return next; }

private:
    std::vector<std::function<void()>> steps;
    size_t next = 0;
    VSTGUI::CVSTGUITimer timer;
};

} // namespace toolkit_test
