#pragma once
// A test's own X connection: XTest pointer and key input, window lookup and screenshots.
// The Xvfb harnesses of the toolkit, the controls and the panel build on it.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <cairo.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <utility>

class XTestConnection {
public:
    XTestConnection() : display(XOpenDisplay(nullptr)) {}
    ~XTestConnection()
    {
        if (display) XCloseDisplay(display);
    }
    XTestConnection(const XTestConnection&) = delete;
    XTestConnection& operator=(const XTestConnection&) = delete;

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
    // A press and release, then tapPause for the receiver to keep up.
    void tap(KeySym keysym)
    {
        key(keysym, true);
        key(keysym, false);
        if (tapPause.count() > 0) std::this_thread::sleep_for(tapPause);
    }
    // A click with a modifier held around it, with settle time on both sides of the click
    // for a receiver that reads the modifier state when it handles the click.
    void clickWith(KeySym modifier, int rootX, int rootY, std::chrono::milliseconds settle)
    {
        key(modifier, true);
        std::this_thread::sleep_for(settle);
        click(rootX, rootY);
        std::this_thread::sleep_for(settle);
        key(modifier, false);
    }
    void tapWith(KeySym modifier, KeySym keysym)
    {
        key(modifier, true);
        tap(keysym);
        key(modifier, false);
    }
    // Printable ASCII (its keysym is its code), with Shift for characters on the shifted level.
    void type(const std::string& text)
    {
        for (char c : text) {
            const KeySym keysym = KeySym(static_cast<unsigned char>(c));
            const KeyCode code = XKeysymToKeycode(display, keysym);
            const bool shifted = XkbKeycodeToKeysym(display, code, 0, 0) != keysym;
            if (shifted) key(XK_Shift_L, true);
            tap(keysym);
            if (shifted) key(XK_Shift_L, false);
        }
    }
    // The first top-level window named name, or 0.
    Window findWindow(const char* name)
    {
        Window root = 0, parent = 0, found = 0;
        Window* children = nullptr;
        unsigned count = 0;
        XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
        for (unsigned i = 0; i < count && !found; ++i) {
            char* title = nullptr;
            if (XFetchName(display, children[i], &title) && title) {
                if (std::string(title) == name) found = children[i];
                XFree(title);
            }
        }
        if (children) XFree(children);
        return found;
    }
    // Root position of a point of a window.
    std::pair<int, int> rootOf(Window of, int x, int y)
    {
        int rx = 0, ry = 0;
        Window child = 0;
        XTranslateCoordinates(display, of, DefaultRootWindow(display), x, y, &rx, &ry, &child);
        return {rx, ry};
    }
    // A copy of that window area as an image surface (RGB24); the caller destroys it.
    cairo_surface_t* capture(Window of, int width, int height, int x = 0, int y = 0)
    {
        XSync(display, False);
        XImage* image = XGetImage(display, of, x, y, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
        if (!image) return surface;
        cairo_surface_flush(surface);
        unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        for (int row = 0; row < height; ++row)
            for (int column = 0; column < width; ++column)
                reinterpret_cast<uint32_t*>(data + row * stride)[column] =
                    uint32_t(XGetPixel(image, column, row)) & 0xFFFFFFu;
        cairo_surface_mark_dirty(surface);
        XDestroyImage(image);
        return surface;
    }

    Display* display;
    std::chrono::milliseconds tapPause {0};
};
