#include "toolkit/X11View.h"

#include "toolkit/ButtonState.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame0.h"
#include "toolkit/CVSTGUITimer.h"
#include "toolkit/ModalLoop.h"
#include "toolkit/PixelScale.h"
#include "toolkit/PopupMenu.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <cairo-xlib.h>
#include <cmath>
#include <cstring>

namespace VSTGUI {
namespace {

constexpr long kKeyMask = KeyPressMask | KeyReleaseMask;
// An embedded panel selects no keys: X then passes them up to the host's window, so the
// host's shortcuts work with the pointer over the panel. Text fields take the keys they need
// in windows of their own; top-level dialogs select keys for their own handling.
constexpr long kEmbeddedMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask
                               | StructureNotifyMask | FocusChangeMask;

Atom atom(Display* display, const char* name) { return XInternAtom(display, name, False); }

// Places a dialog over the middle of the window it belongs to.
void placeOver(Display* display, Window window, Window owner, int width, int height)
{
    XWindowAttributes ownerAttributes;
    if (!owner || !XGetWindowAttributes(display, owner, &ownerAttributes))
        return;
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(display, owner, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    x += (ownerAttributes.width - width) / 2;
    y += (ownerAttributes.height - height) / 2;
    XMoveWindow(display, window, x < 0 ? 0 : x, y < 0 ? 0 : y);
}

} // namespace

X11View::X11View(CFrame0* owner, Window parent, int w, int h, const char* title, Window transientFor)
    : frame(owner), width(w > 0 ? w : 1), height(h > 0 ? h : 1)
{
    display = XOpenDisplay(nullptr);
    if (display)
        createWindow(parent, title, transientFor);
}

X11View::~X11View()
{
    cairo_device_t* device = surface ? cairo_device_reference(cairo_surface_get_device(surface)) : nullptr;
    if (surface)
        cairo_surface_destroy(surface);
    if (device) {
        // Releases cairo's per-connection state before the connection closes.
        cairo_device_finish(device);
        cairo_device_destroy(device);
    }
    if (window) {
        unregisterWindow(display, window);
        XDestroyWindow(display, window);
    }
    if (inputMethod)
        XCloseIM(inputMethod);
    if (display) {
        XSync(display, False);
        XCloseDisplay(display);
    }
}

void X11View::createWindow(Window parent, const char* title, Window transientFor)
{
    const Window root = DefaultRootWindow(display);
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None; // every exposed pixel is painted by the frame
    attributes.event_mask = parent ? kEmbeddedMask : kEmbeddedMask | kKeyMask;
    attributes.bit_gravity = NorthWestGravity;
    window = XCreateWindow(display, parent ? parent : root, 0, 0, unsigned(width), unsigned(height), 0, CopyFromParent,
                           InputOutput, CopyFromParent, CWBackPixmap | CWEventMask | CWBitGravity, &attributes);
    if (parent) {
        // XEmbed hosts show an embedded window only once it says it is mapped.
        const long info[2] = {0, 1};
        const Atom embed = atom(display, "_XEMBED_INFO");
        XChangeProperty(display, window, embed, embed, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(info), 2);
    } else {
        const char* name = title ? title : "";
        XStoreName(display, window, name);
        XChangeProperty(display, window, atom(display, "_NET_WM_NAME"), atom(display, "UTF8_STRING"), 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(name), int(std::strlen(name)));
        const Atom dialogType = atom(display, "_NET_WM_WINDOW_TYPE_DIALOG");
        XChangeProperty(display, window, atom(display, "_NET_WM_WINDOW_TYPE"), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&dialogType), 1);
        deleteWindowAtom = atom(display, "WM_DELETE_WINDOW");
        XSetWMProtocols(display, window, &deleteWindowAtom, 1);
        XSizeHints* hints = XAllocSizeHints();
        hints->flags = PMinSize | PMaxSize;
        hints->min_width = hints->max_width = width;
        hints->min_height = hints->max_height = height;
        XSetWMNormalHints(display, window, hints);
        XFree(hints);
        if (transientFor) {
            XSetTransientForHint(display, window, transientFor);
            placeOver(display, window, transientFor, width, height);
        }
    }
    registerWindow(display, window);
    XMapWindow(display, window);
    XFlush(display);
}

Window X11View::getTopLevel() const
{
    Window current = window;
    while (current) {
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, current, &root, &parent, &children, &count))
            break;
        if (children)
            XFree(children);
        if (!parent || parent == root)
            return current;
        current = parent;
    }
    return window;
}

cairo_surface_t* X11View::getSurface()
{
    if (!surface && window) {
        XWindowAttributes attributes;
        XGetWindowAttributes(display, window, &attributes);
        surface = cairo_xlib_surface_create(display, window, attributes.visual, width, height);
    }
    return surface;
}

XIM X11View::getInputMethod()
{
    if (!inputMethodTried && display) {
        inputMethodTried = true;
        inputMethod = XOpenIM(display, nullptr, nullptr, nullptr);
    }
    return inputMethod;
}

void X11View::invalidate(const CRect0& rect)
{
    CRect0 area = rect;
    area.normalize();
    const double scale = frame->getScale();
    area = CRect0(CCoord(unitsToPixels(double(area.left), scale)), CCoord(unitsToPixels(double(area.top), scale)),
                  CCoord(unitsToPixels(double(area.right), scale)), CCoord(unitsToPixels(double(area.bottom), scale)));
    area.bound(CRect0(0, 0, width, height));
    if (area.isEmpty() || !window)
        return;
    // The exposure arrives as an event, so the drawing happens in the next dispatch.
    XClearArea(display, window, int(area.left), int(area.top), unsigned(area.width()), unsigned(area.height()), True);
}

void X11View::flush()
{
    if (display)
        XFlush(display);
}

void X11View::resize(int w, int h)
{
    width = w;
    height = h;
    if (surface)
        cairo_xlib_surface_set_size(surface, w, h);
    if (window)
        XResizeWindow(display, window, unsigned(w), unsigned(h));
}

void X11View::centreOver(Window owner)
{
    placeOver(display, window, owner, width, height);
    XSync(display, False);
}

void X11View::takeKeyboardFocus()
{
    XWindowAttributes attributes;
    // Focusing a window that is not viewable is a protocol error.
    if (window && XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable)
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
}

void X11View::dispatchEvents()
{
    if (!display)
        return;
    ModalLoop::drain(display, nullptr);
    CVSTGUITimer::fireDueTimers();
    frame->doIdleStuff();
    XFlush(display);
}

void X11View::handleEvent(XEvent& event)
{
    switch (event.type) {
    case Expose:
    case GraphicsExpose: {
        const XExposeEvent& expose = event.xexpose;
        CDrawContext* context = frame->getCachedContext();
        // The units that hold the exposed pixels.
        const double scale = frame->getScale();
        frame->drawRect(context, CRect0(pixelToUnit(expose.x, scale), pixelToUnit(expose.y, scale),
                                        CCoord(std::ceil((expose.x + expose.width) / scale)),
                                        CCoord(std::ceil((expose.y + expose.height) / scale))));
        context->synchronize();
        break;
    }
    case ButtonPress:
        onButton(event.xbutton, true);
        break;
    case ButtonRelease:
        onButton(event.xbutton, false);
        break;
    case MotionNotify:
        onMotion(event);
        break;
    case KeyPress:
        onKey(event.xkey);
        break;
    case ClientMessage:
        if (deleteWindowAtom && Atom(event.xclient.data.l[0]) == deleteWindowAtom)
            frame->onCloseRequest();
        break;
    default:
        break;
    }
}

CPoint0 X11View::toUnits(int x, int y) const
{
    const double scale = frame->getScale();
    return CPoint0(pixelToUnit(x, scale), pixelToUnit(y, scale));
}

void X11View::onButton(XButtonEvent& event, bool press)
{
    CPoint0 where = toUnits(event.x, event.y);
    if (event.button >= 4 && event.button <= 7) {
        if (press) {
            const CMouseWheelAxis axis = event.button <= 5 ? kMouseWheelAxisY : kMouseWheelAxisX;
            const float distance = (event.button == 4 || event.button == 6) ? 1.0f : -1.0f;
            frame->onWheel(where, axis, distance, modifiersFromXState(event.state));
        }
        return;
    }
    long buttons = buttonFromX(event.button) | modifiersFromXState(event.state);
    XEvent whole;
    whole.xbutton = event;
    g_pEventVSTGUI = &whole;
    if (press) {
        if (clicks.press(event.button, event.time, event.x, event.y) >= 2)
            buttons |= kDoubleClick;
        frame->onMouseDown(where, buttons);
    } else {
        frame->onMouseUp(where, buttons);
    }
    g_pEventVSTGUI = nullptr;
}

void X11View::onMotion(XEvent& event)
{
    // Only the latest position of a burst matters.
    while (XCheckTypedWindowEvent(display, window, MotionNotify, &event)) {
    }
    CPoint0 where = toUnits(event.xmotion.x, event.xmotion.y);
    frame->onMouseMoved(where, buttonsFromXState(event.xmotion.state));
}

void X11View::onKey(XKeyEvent& event)
{
    const KeySym keysym = XLookupKeysym(&event, 0);
    frame->onKeyDown(keysym, modifiersFromXState(event.state));
}

} // namespace VSTGUI

void InvalidateNSView(void* view, int x, int y, int width, int height)
{
    if (view)
        static_cast<VSTGUI::X11View*>(view)->invalidate(VSTGUI::CRect0(x, y, x + width, y + height));
}

void InvalNSView(void* view)
{
    if (view)
        static_cast<VSTGUI::X11View*>(view)->invalidate(VSTGUI::CRect0(0, 0, 1 << 20, 1 << 20));
}
