#include "port/UiServices.h"

#include "port/Diagnostics.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <X11/keysym.h>
#include <cairo-xlib.h>
#include <mutex>
#include <pango/pangocairo.h>
#include <poll.h>

namespace {

constexpr int kAlertResult = 1000;
constexpr int kAlertWidth = 380;
constexpr int kButtonWidth = 84;
constexpr int kButtonHeight = 28;
constexpr int kMargin = 20;

// A one-button alert on a connection of its own, run until dismissed.
class Alert {
public:
    Alert(Display* display, const char* text) : display(display), message(text ? text : "") {}

    void run()
    {
        layoutHeight = measureText();
        height = kMargin + layoutHeight + kMargin + kButtonHeight + kMargin;
        const int screen = DefaultScreen(display);
        const int x = (DisplayWidth(display, screen) - kAlertWidth) / 2;
        const int y = (DisplayHeight(display, screen) - height) / 3;
        XSetWindowAttributes attributes{};
        attributes.background_pixmap = None;
        attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | KeyPressMask | StructureNotifyMask;
        window = XCreateWindow(display, DefaultRootWindow(display), x, y, kAlertWidth, unsigned(height), 0,
                               CopyFromParent, InputOutput, CopyFromParent, CWBackPixmap | CWEventMask, &attributes);
        XStoreName(display, window, "Kestrune");
        Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display, window, &deleteWindow, 1);
        const Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
        const Atom dialogType = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
        XChangeProperty(display, window, type, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&dialogType), 1);
        XMapRaised(display, window);
        XWindowAttributes mapped;
        XGetWindowAttributes(display, window, &mapped);
        surface = cairo_xlib_surface_create(display, window, mapped.visual, kAlertWidth, height);
        if (mapped.map_state == IsViewable)
            XSetInputFocus(display, window, RevertToParent, CurrentTime);

        while (!dismissed) {
            XEvent event;
            XNextEvent(display, &event);
            handle(event, deleteWindow);
        }
        cairo_device_t* device = cairo_device_reference(cairo_surface_get_device(surface));
        cairo_surface_destroy(surface);
        cairo_device_finish(device); // cairo's per-connection state goes with the connection
        cairo_device_destroy(device);
        XDestroyWindow(display, window);
        XSync(display, False);
    }

private:
    PangoLayout* makeLayout(cairo_t* cr) const
    {
        PangoLayout* layout = pango_cairo_create_layout(cr);
        PangoFontDescription* font = pango_font_description_from_string("Sans 13px");
        pango_layout_set_font_description(layout, font);
        pango_font_description_free(font);
        pango_layout_set_width(layout, (kAlertWidth - 2 * kMargin) * PANGO_SCALE);
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
        pango_layout_set_text(layout, message, -1);
        return layout;
    }

    int measureText() const
    {
        cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
        cairo_t* cr = cairo_create(scratch);
        PangoLayout* layout = makeLayout(cr);
        int textWidth = 0;
        int textHeight = 0;
        pango_layout_get_pixel_size(layout, &textWidth, &textHeight);
        g_object_unref(layout);
        cairo_destroy(cr);
        cairo_surface_destroy(scratch);
        return textHeight < 16 ? 16 : (textHeight > 600 ? 600 : textHeight);
    }

    bool inButton(int x, int y) const
    {
        const int left = kAlertWidth - kMargin - kButtonWidth;
        const int top = height - kMargin - kButtonHeight;
        return x >= left && x < left + kButtonWidth && y >= top && y < top + kButtonHeight;
    }

    void paint()
    {
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_rgb(cr, 0.925, 0.925, 0.925);
        cairo_paint(cr);
        PangoLayout* layout = makeLayout(cr);
        cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
        cairo_move_to(cr, kMargin, kMargin);
        pango_cairo_show_layout(cr, layout);
        g_object_unref(layout);

        const double left = kAlertWidth - kMargin - kButtonWidth;
        const double top = height - kMargin - kButtonHeight;
        cairo_rectangle(cr, left + 0.5, top + 0.5, kButtonWidth - 1, kButtonHeight - 1);
        if (pressed)
            cairo_set_source_rgb(cr, 0.75, 0.75, 0.75);
        else
            cairo_set_source_rgb(cr, 0.22, 0.46, 0.84);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, 0.55, 0.55, 0.55);
        cairo_set_line_width(cr, 1.0);
        cairo_stroke(cr);
        PangoLayout* caption = pango_cairo_create_layout(cr);
        PangoFontDescription* captionFont = pango_font_description_from_string("Sans Bold 13px");
        pango_layout_set_font_description(caption, captionFont);
        pango_font_description_free(captionFont);
        pango_layout_set_text(caption, "OK", -1);
        int captionWidth = 0;
        int captionHeight = 0;
        pango_layout_get_pixel_size(caption, &captionWidth, &captionHeight);
        cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
        cairo_move_to(cr, left + (kButtonWidth - captionWidth) / 2.0, top + (kButtonHeight - captionHeight) / 2.0);
        pango_cairo_show_layout(cr, caption);
        g_object_unref(caption);
        cairo_destroy(cr);
        cairo_surface_flush(surface);
        XFlush(display);
    }

    void handle(XEvent& event, Atom deleteWindow)
    {
        switch (event.type) {
        case Expose:
            if (event.xexpose.count == 0)
                paint();
            break;
        case ButtonPress:
            if (event.xbutton.button == Button1 && inButton(event.xbutton.x, event.xbutton.y)) {
                pressed = true;
                paint();
            }
            break;
        case ButtonRelease:
            if (event.xbutton.button == Button1 && pressed) {
                pressed = false;
                dismissed = inButton(event.xbutton.x, event.xbutton.y);
                paint();
            }
            break;
        case KeyPress: {
            const KeySym key = XLookupKeysym(&event.xkey, 0);
            if (key == XK_Return || key == XK_KP_Enter || key == XK_Escape || key == XK_space)
                dismissed = true;
            break;
        }
        case ClientMessage:
            if (Atom(event.xclient.data.l[0]) == deleteWindow)
                dismissed = true;
            break;
        default:
            break;
        }
    }

    Display* display;
    const char* message;
    Window window = 0;
    cairo_surface_t* surface = nullptr;
    int layoutHeight = 0;
    int height = 0;
    bool pressed = false;
    bool dismissed = false;
};

// The connection that keeps the pointer hidden: XFixes undoes a hide when its client goes.
std::mutex& cursorLock()
{
    static std::mutex lock;
    return lock;
}
Display* gCursorDisplay = nullptr;

} // namespace

static thread_local AlertPresenter tPresenter = nullptr;
static thread_local void* tPresenterContext = nullptr;

AlertPresenterScope::AlertPresenterScope(AlertPresenter presenter, void* context)
    : previousPresenter(tPresenter), previousContext(tPresenterContext)
{
    tPresenter = presenter;
    tPresenterContext = context;
}

AlertPresenterScope::~AlertPresenterScope()
{
    tPresenter = previousPresenter;
    tPresenterContext = previousContext;
}

int AfxMessageBoxN(const char* text)
{
    if (tPresenter) {
        tPresenter(tPresenterContext, text ? text : "");
        return kAlertResult;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        LogDiagnostic("%s", text ? text : "");
        return kAlertResult;
    }
    Alert(display, text).run();
    XCloseDisplay(display);
    return kAlertResult;
}

short GetKeyState(int key)
{
    if (key < 16 || key > 19)
        return 0;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 0;
    const short state = GetKeyState(display, key);
    XCloseDisplay(display);
    return state;
}

short GetKeyState(Display* display, int key)
{
    unsigned int mask = 0;
    switch (key) {
    case 16: mask = ShiftMask; break;
    case 17: mask = ControlMask; break;
    case 18: mask = Mod4Mask; break; // Super
    case 19: mask = Mod1Mask; break; // Alt
    default: return 0;
    }
    if (!display)
        return 0;
    Window root = 0;
    Window child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int state = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y, &state);
    return (state & mask) ? short(-32768) : short(0);
}

void HideCursorCocoa()
{
    std::lock_guard<std::mutex> guard(cursorLock());
    if (gCursorDisplay)
        return;
    gCursorDisplay = XOpenDisplay(nullptr);
    if (!gCursorDisplay)
        return;
    int eventBase = 0;
    int errorBase = 0;
    if (!XFixesQueryExtension(gCursorDisplay, &eventBase, &errorBase)) {
        XCloseDisplay(gCursorDisplay);
        gCursorDisplay = nullptr;
        return;
    }
    XFixesHideCursor(gCursorDisplay, DefaultRootWindow(gCursorDisplay));
    XFlush(gCursorDisplay);
}

void ShowCursorCocoa()
{
    std::lock_guard<std::mutex> guard(cursorLock());
    if (!gCursorDisplay)
        return;
    XFixesShowCursor(gCursorDisplay, DefaultRootWindow(gCursorDisplay));
    XCloseDisplay(gCursorDisplay);
    gCursorDisplay = nullptr;
}
