#include "toolkit/PopupMenu.h"

#include "port/Diagnostics.h"

#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/CFrame0.h"
#include "toolkit/ModalLoop.h"
#include "toolkit/PixelScale.h"
#include "toolkit/X11View.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <algorithm>
#include <cairo-xlib.h>
#include <cstring>
#include <poll.h>

char gSelectedMenuItem[256] = {};
void* g_pEventVSTGUI = nullptr;

namespace VSTGUI {
namespace {

constexpr int kMaxRow = 20;
constexpr int kMinRow = 8;
constexpr int kBorder = 4;
constexpr int kCheckColumn = 22;
constexpr int kRightMargin = 16;
constexpr int kMinWidth = 120;
constexpr int kGrabTries = 20;

const CColor kMenuBack(242, 242, 242, 255);
const CColor kMenuText(20, 20, 20, 255);
const CColor kMenuHighlight(56, 117, 215, 255);
const CColor kMenuBorder(150, 150, 150, 255);

} // namespace

PopupMenu::PopupMenu(Display* menuDisplay, std::vector<std::string> items, int checkedItem, double pixelsPerUnit)
    : display(menuDisplay), titles(std::move(items)), checked(checkedItem), scale(validScale(pixelsPerUnit)),
      highlight(checkedItem >= 0 && checkedItem < int(titles.size()) ? checkedItem : -1)
{
}

PopupMenu::~PopupMenu()
{
    if (surface)
        cairo_surface_destroy(surface);
    if (window) {
        unregisterWindow(display, window);
        XDestroyWindow(display, window);
        XFlush(display);
    }
}

int PopupMenu::units(int pixel) const { return int(pixelToUnit(pixel, scale)); }

int PopupMenu::rowHeightFor(int count, int screenHeight)
{
    if (count <= 0)
        return kMaxRow;
    return std::clamp((screenHeight - 2 * kBorder) / count, kMinRow, kMaxRow);
}

int PopupMenu::itemAt(int y) const
{
    if (y < kBorder || y >= height - kBorder)
        return -1;
    const int item = (y - kBorder) / rowHeight;
    return item < int(titles.size()) ? item : -1;
}

int PopupMenu::run(int x, int y)
{
    if (titles.empty())
        return -1;
    const int screen = DefaultScreen(display);
    const int screenWidth = units(DisplayWidth(display, screen));
    const int screenHeight = units(DisplayHeight(display, screen));
    rowHeight = rowHeightFor(int(titles.size()), screenHeight);

    // Measure the titles with the menu's font.
    CFontDesc font("Lucida Grande", std::min<long>(13, rowHeight - 4), kNormalFace);
    CDrawContext measure(nullptr, nullptr, 1, 1);
    measure.setFont(&font);
    double widest = 0.0;
    for (const std::string& title : titles)
        widest = std::max(widest, measure.getStringWidth(title.c_str()));
    width = std::min(screenWidth, std::max(kMinWidth, int(widest) + kCheckColumn + kRightMargin + 2 * kBorder));
    height = std::min(screenHeight, rowHeight * int(titles.size()) + 2 * kBorder);
    const int pixelsWide = int(unitsToPixels(width, scale));
    const int pixelsHigh = int(unitsToPixels(height, scale));
    x = std::clamp(x, 0, std::max(0, DisplayWidth(display, screen) - pixelsWide));
    y = std::clamp(y, 0, std::max(0, DisplayHeight(display, screen) - pixelsHigh));

    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.save_under = True;
    attributes.background_pixmap = None;
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask;
    window = XCreateWindow(display, DefaultRootWindow(display), x, y, unsigned(pixelsWide), unsigned(pixelsHigh), 0,
                           CopyFromParent, InputOutput, CopyFromParent,
                           CWOverrideRedirect | CWSaveUnder | CWBackPixmap | CWEventMask, &attributes);
    registerWindow(display, window);
    XMapRaised(display, window);
    XWindowAttributes mapped;
    XGetWindowAttributes(display, window, &mapped);
    surface = cairo_xlib_surface_create(display, window, mapped.visual, pixelsWide, pixelsHigh);
    grab();
    render();

    ModalLoop::run({display}, this, [this] { return done; });

    XUngrabPointer(display, CurrentTime);
    XUngrabKeyboard(display, CurrentTime);
    XFlush(display);
    return result;
}

void PopupMenu::grab()
{
    // Another client may hold a grab for a moment (the click that opened us): try a little.
    for (int attempt = 0; attempt < kGrabTries; ++attempt) {
        // All pointer and key events come to the menu, in its coordinates, wherever they happen.
        const int pointer = XGrabPointer(display, window, False,
                                         ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                                         GrabModeAsync, None, None, CurrentTime);
        if (pointer == GrabSuccess)
            break;
        poll(nullptr, 0, 10);
    }
    for (int attempt = 0; attempt < kGrabTries; ++attempt) {
        if (XGrabKeyboard(display, window, False, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess)
            break;
        poll(nullptr, 0, 10);
    }
}

void PopupMenu::render()
{
    if (!surface)
        return;
    // The font outlives the context, which holds a reference to it.
    CFontDesc font("Lucida Grande", std::min(13, rowHeight - 4), kNormalFace);
    CDrawContext context(nullptr, surface, width, height);
    context.setScale(scale);
    context.setFont(&font);
    context.setFillColor(kMenuBack);
    context.setFrameColor(kMenuBorder);
    context.drawRect(CRect0(0, 0, width, height), kDrawFilledAndStroked);
    for (int item = 0; item < int(titles.size()); ++item) {
        const CRect0 row(1, kBorder + item * rowHeight, width - 1, kBorder + (item + 1) * rowHeight);
        const bool lit = item == highlight;
        if (lit) {
            context.setFillColor(kMenuHighlight);
            context.drawRect(row, kDrawFilled);
        }
        context.setFontColor(lit ? kWhiteCColor : kMenuText);
        if (item == checked)
            context.drawString("\u2713", CRect0(row.left + 5, row.top, row.left + kCheckColumn, row.bottom), false,
                               kLeftText);
        context.drawString(titles[size_t(item)].c_str(), CRect0(row.left + kCheckColumn, row.top, row.right, row.bottom),
                           false, kLeftText);
    }
    context.synchronize();
    XFlush(display);
}

void PopupMenu::setHighlight(int item)
{
    if (item != highlight) {
        highlight = item;
        render();
    }
}

void PopupMenu::finish(int chosen)
{
    result = chosen;
    done = true;
}

void PopupMenu::handleEvent(XEvent& event)
{
    switch (event.type) {
    case Expose:
        if (event.xexpose.count == 0)
            render();
        break;
    case MotionNotify: {
        const int x = units(event.xmotion.x);
        const int item = (x >= 0 && x < width) ? itemAt(units(event.xmotion.y)) : -1;
        // Dragging onto another item arms selection by release (press, drag, release).
        if (item >= 0 && item != highlight && (event.xmotion.state & (Button1Mask | Button3Mask)))
            armed = true;
        setHighlight(item);
        break;
    }
    case ButtonPress: {
        const int x = units(event.xbutton.x);
        const int y = units(event.xbutton.y);
        const bool inside = x >= 0 && x < width && y >= 0 && y < height;
        if (event.xbutton.button >= 4 && event.xbutton.button <= 7)
            break;
        if (!inside)
            finish(-1); // a click outside cancels
        else
            armed = true;
        break;
    }
    case ButtonRelease: {
        if (!armed)
            break; // the release of the click that opened the menu
        const int x = units(event.xbutton.x);
        const bool inside = x >= 0 && x < width;
        const int item = inside ? itemAt(units(event.xbutton.y)) : -1;
        if (item >= 0)
            finish(item);
        break;
    }
    case KeyPress: {
        const KeySym key = XLookupKeysym(&event.xkey, 0);
        const int count = int(titles.size());
        if (key == XK_Escape)
            finish(-1);
        else if ((key == XK_Return || key == XK_KP_Enter || key == XK_space) && highlight >= 0)
            finish(highlight);
        else if (key == XK_Down || key == XK_KP_Down)
            setHighlight(highlight < 0 ? 0 : (highlight + 1) % count);
        else if (key == XK_Up || key == XK_KP_Up)
            setHighlight(highlight <= 0 ? count - 1 : highlight - 1);
        else if (key == XK_Home || key == XK_KP_Home)
            setHighlight(0);
        else if (key == XK_End || key == XK_KP_End)
            setHighlight(count - 1);
        break;
    }
    default:
        break;
    }
}

} // namespace VSTGUI

int DoPopupMenu(void* event, void* view, int current, char** items, int count)
{
    auto* xEvent = static_cast<XEvent*>(event);
    auto* platform = static_cast<VSTGUI::X11View*>(view);
    if (xEvent)
        LogDiagnostic("DoPopupMenu:event %d at %d,%d", xEvent->type, xEvent->xbutton.x_root, xEvent->xbutton.y_root);
    gSelectedMenuItem[0] = 0;
    if (!xEvent || !platform || !platform->isOpen() || count < 1 || !items)
        return -1;

    std::vector<std::string> titles;
    for (int i = 0; i < count; ++i)
        titles.emplace_back(items[i] ? items[i] : "");
    {
        VSTGUI::PopupMenu menu(platform->getDisplay(), titles, current, platform->getFrame()->getScale());
        const int chosen = menu.run(xEvent->xbutton.x_root + 1, xEvent->xbutton.y_root + 1);
        if (chosen >= 0) {
            std::strncpy(gSelectedMenuItem, titles[size_t(chosen)].c_str(), sizeof gSelectedMenuItem - 1);
            gSelectedMenuItem[sizeof gSelectedMenuItem - 1] = 0;
        }
    }
    if (gSelectedMenuItem[0] == 0)
        return -1;
    for (int i = 0; i < count; ++i)
        if (std::strcmp(titles[size_t(i)].c_str(), gSelectedMenuItem) == 0)
            return i;
    return -1;
}
