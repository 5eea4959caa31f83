#pragma once
// A host stand-in for the tests under Xvfb: a top-level window to embed frames in, XTest
// pointer and key injection on the test's own connection, and pumping of a frame's events.
#include "toolkit/CFrame0.h"
#include "toolkit/CVSTGUITimer.h"

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

class Host {
public:
    Host()
    {
        display = XOpenDisplay(nullptr);
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
        if (display) {
            XDestroyWindow(display, window);
            XCloseDisplay(display);
        }
    }
    void* parent() const { return reinterpret_cast<void*>(uintptr_t(window)); }

    void moveTo(int rootX, int rootY)
    {
        XTestFakeMotionEvent(display, DefaultScreen(display), rootX, rootY, CurrentTime);
        XFlush(display);
    }
    void button(unsigned int which, bool down)
    {
        XTestFakeButtonEvent(display, which, down, CurrentTime);
        XFlush(display);
    }
    void click(int rootX, int rootY, unsigned int which = 1)
    {
        moveTo(rootX, rootY);
        button(which, true);
        button(which, false);
    }
    void key(KeySym keysym, bool down)
    {
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, keysym), down, CurrentTime);
        XFlush(display);
    }
    void tap(KeySym keysym)
    {
        key(keysym, true);
        key(keysym, false);
    }
    // Printable ASCII (its keysym is its code), with Shift for characters on the shifted level.
    void type(const std::string& text)
    {
        for (char c : text) {
            const KeySym keysym = KeySym(static_cast<unsigned char>(c));
            const KeyCode code = XKeysymToKeycode(display, keysym);
            const bool shifted = XkbKeycodeToKeysym(display, code, 0, 0) != keysym;
            if (shifted)
                key(XK_Shift_L, true);
            tap(keysym);
            if (shifted)
                key(XK_Shift_L, false);
        }
    }
    // The top-level window whose name is name, or 0.
    Window findWindow(const char* name)
    {
        Window root = 0, parentWindow = 0;
        Window* children = nullptr;
        unsigned count = 0;
        Window found = 0;
        XQueryTree(display, DefaultRootWindow(display), &root, &parentWindow, &children, &count);
        for (unsigned i = 0; i < count && !found; ++i) {
            char* title = nullptr;
            if (XFetchName(display, children[i], &title) && title) {
                if (std::string(title) == name)
                    found = children[i];
                XFree(title);
            }
        }
        if (children)
            XFree(children);
        return found;
    }
    // Root position of a point of window.
    std::pair<int, int> rootOf(Window of, int x, int y)
    {
        int rx = 0, ry = 0;
        Window child = 0;
        XTranslateCoordinates(display, of, DefaultRootWindow(display), x, y, &rx, &ry, &child);
        return {rx, ry};
    }
    // A copy of that window area as an image surface (RGB24).
    cairo_surface_t* capture(Window of, int width, int height, int x = 0, int y = 0)
    {
        XSync(display, False);
        XImage* image = XGetImage(display, of, x, y, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
        cairo_surface_flush(surface);
        unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                reinterpret_cast<uint32_t*>(data + y * stride)[x] = uint32_t(XGetPixel(image, x, y)) & 0xFFFFFFu;
        cairo_surface_mark_dirty(surface);
        XDestroyImage(image);
        return surface;
    }

    Display* display = nullptr;
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
