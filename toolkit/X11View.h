#pragma once
// The frame's platform view: its own X display connection and one window, either a child of
// the host's window (marked for XEmbed) or a top-level dialog window. Turns X events into
// the frame's draw, pointer and key calls.
#include "toolkit/ClickCounter.h"
#include "toolkit/CRect0.h"
#include "toolkit/X11EventTarget.h"

typedef struct _cairo_surface cairo_surface_t;

namespace VSTGUI {

class CFrame0;

class X11View : public X11EventTarget {
public:
    // parent 0 makes a top-level window titled title and transient for transientFor. The
    // size is in pixels; everything the frame sees is in panel units.
    X11View(CFrame0* frame, Window parent, int width, int height, const char* title, Window transientFor);
    ~X11View() override;
    X11View(const X11View&) = delete;
    X11View& operator=(const X11View&) = delete;

    bool isOpen() const { return window != 0; }
    Display* getDisplay() const { return display; }
    Window getWindow() const { return window; }
    CFrame0* getFrame() const { return frame; }
    // The top-level window that holds this one (the host's window for an embedded view).
    Window getTopLevel() const;

    void invalidate(const CRect0& rect);
    void dispatchEvents();
    void handleEvent(XEvent& event) override;
    const void* modalGroup() const override { return frame; }
    void flush();
    void resize(int width, int height);
    // Moves this (top-level) window over the middle of owner.
    void centreOver(Window owner);
    // Gives the keyboard focus to this view's window (when it can be focused).
    void takeKeyboardFocus();

    // The cairo surface of the window, made on first use and kept.
    cairo_surface_t* getSurface();
    // The connection's input method for text fields, opened on first use; null without one.
    XIM getInputMethod();

private:
    void createWindow(Window parent, const char* title, Window transientFor);
    void onButton(XButtonEvent& event, bool press);
    void onMotion(XEvent& event);
    void onKey(XKeyEvent& event);
    // A window pixel as panel units.
    CPoint0 toUnits(int x, int y) const;

    CFrame0* frame;
    Display* display = nullptr;
    Window window = 0;
    int width;
    int height;
    cairo_surface_t* surface = nullptr;
    Atom deleteWindowAtom = 0;
    XIM inputMethod = nullptr;
    bool inputMethodTried = false;
    ClickCounter clicks;
};

} // namespace VSTGUI

// Marks that rectangle of the platform view (an X11View, as CFrame0::getPlatformView gives
// it) as needing display. Null views are ignored.
void InvalidateNSView(void* view, int x, int y, int width, int height);
// Marks the whole view.
void InvalNSView(void* view);
