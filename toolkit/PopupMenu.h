#pragma once
// Pop-up menus: DoPopupMenu shows the titles at the pointer and reports the choice through
// gSelectedMenuItem; PopupMenu is the menu window itself (override-redirect, with pointer and
// keyboard grabs, run in a nested loop).
#include "toolkit/X11EventTarget.h"

#include <string>
#include <vector>

typedef struct _cairo_surface cairo_surface_t;

// The title of the item chosen in the last menu, as UTF-8 (empty when none was chosen).
extern char gSelectedMenuItem[256];
// The X event being delivered to the frame's mouse callbacks (an XEvent*), null otherwise.
extern void* g_pEventVSTGUI;

// Shows count titles at the location of event (an XEvent* of a pointer event) over view (the
// frame's platform view), with a check mark on item current. Returns the index of the first
// item whose title equals the chosen one, or -1.
int DoPopupMenu(void* event, void* view, int current, char** items, int count);

namespace VSTGUI {

class PopupMenu : public X11EventTarget {
public:
    // The menu is laid out in panel units at scale pixels per unit.
    PopupMenu(Display* display, std::vector<std::string> titles, int checked, double scale = 1.0);
    ~PopupMenu() override;
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    // Opens with its top-left near root position (x, y), kept on screen, and runs until an
    // item is chosen (its index) or the menu is cancelled (-1).
    int run(int x, int y);

    // Row height and size for count items on a screen of screenHeight pixels: rows shrink
    // so that every item fits.
    static int rowHeightFor(int count, int screenHeight);

    void handleEvent(XEvent& event) override;

private:
    int itemAt(int y) const;
    // An event's window pixel in units.
    int units(int pixel) const;
    void render();
    void setHighlight(int item);
    void finish(int result);
    void grab();

    Display* display;
    std::vector<std::string> titles;
    int checked;
    double scale;
    int highlight;
    int rowHeight = 20;
    int width = 0;
    int height = 0;
    Window window = 0;
    cairo_surface_t* surface = nullptr;
    bool armed = false;
    bool done = false;
    int result = -1;
};

} // namespace VSTGUI
