#include "toolkit/CTextEdit.h"

#include "toolkit/CBitmap0.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/CFrame0.h"
#include "toolkit/FontMap.h"
#include "toolkit/PixelScale.h"
#include "toolkit/X11View.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <algorithm>
#include <cairo-xlib.h>
#include <cstring>
#include <pango/pangocairo.h>

namespace VSTGUI {
namespace {

constexpr long kFieldEvents = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask
                              | Button1MotionMask | FocusChangeMask;
constexpr double kPadding = 2.0;

void appendUtf8(std::string& out, unsigned long code)
{
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x110000) {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

// The character of a key when no input method could be opened: Latin-1 and Unicode keysyms.
std::string keysymText(KeySym keysym)
{
    std::string out;
    if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF))
        appendUtf8(out, keysym);
    else if ((keysym & 0xFF000000UL) == 0x01000000UL)
        appendUtf8(out, keysym & 0x00FFFFFFUL);
    return out;
}

void setSource(cairo_t* cr, const CColor& colour)
{
    cairo_set_source_rgba(cr, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0, colour.alpha / 255.0);
}

PangoLayout* makeLayout(CFontDesc* font, const std::string& text)
{
    PangoContext* context = FontMap::createContext();
    PangoLayout* layout = pango_layout_new(context);
    g_object_unref(context);
    pango_layout_set_font_description(layout, font->getPlatformFont());
    pango_layout_set_single_paragraph_mode(layout, TRUE);
    pango_layout_set_text(layout, text.c_str(), int(text.size()));
    return layout;
}

} // namespace

CTextEdit::CTextEdit(const CRect0& rect, CControlListener* controlListener, long controlTag, const char* initial,
                     CBitmap0* backgroundBitmap, long)
    : CView(rect), listener(controlListener), tag(controlTag), background(backgroundBitmap)
{
    if (background)
        background->remember();
    setFont(CFontDesc::systemFont());
    setText(initial);
}

CTextEdit::~CTextEdit()
{
    closeWindow();
    if (font)
        font->forget();
    if (background)
        background->forget();
}

void CTextEdit::setText(const char* newText)
{
    TextField limited;
    limited.setText(newText ? newText : "");
    text = limited.text();
    if (isEditing()) {
        editing.setText(text);
        render();
    }
}

void CTextEdit::getText(char* out) const
{
    if (!out)
        return;
    const std::string& current = isEditing() ? editing.text() : text;
    size_t length = std::min<size_t>(current.size(), kMaxTextBytes);
    while (length > 0 && length < current.size() && (static_cast<unsigned char>(current[length]) & 0xC0) == 0x80)
        --length; // never split a character
    std::memcpy(out, current.data(), length);
    out[length] = 0;
}

void CTextEdit::setFont(CFontDesc* newFont)
{
    if (!newFont)
        return;
    newFont->remember();
    if (font)
        font->forget();
    font = newFont;
}

void CTextEdit::takeFocus()
{
    if (isEditing() || !frame)
        return;
    auto* platform = static_cast<X11View*>(frame->getPlatformView());
    if (!platform)
        return;
    openWindow(platform);
}

void CTextEdit::openWindow(X11View* platform)
{
    view = platform;
    display = platform->getDisplay();
    const CRect0 area(size.left + textInset.h, size.top + textInset.v, size.right, size.bottom);
    if (area.isEmpty())
        return;
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;
    attributes.event_mask = kFieldEvents;
    scale = platform->getFrame()->getScale();
    const int left = int(unitsToPixels(double(area.left), scale));
    const int top = int(unitsToPixels(double(area.top), scale));
    const int pixelsWide = int(unitsToPixels(double(area.right), scale)) - left;
    const int pixelsHigh = int(unitsToPixels(double(area.bottom), scale)) - top;
    window = XCreateWindow(display, platform->getWindow(), left, top, unsigned(pixelsWide),
                           unsigned(pixelsHigh), 0, CopyFromParent, InputOutput, CopyFromParent,
                           CWBackPixmap | CWEventMask, &attributes);
    registerWindow(display, window);
    if (XIM method = platform->getInputMethod()) {
        inputContext = XCreateIC(method, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, window,
                                 XNFocusWindow, window, nullptr);
        if (inputContext) {
            long filterEvents = 0;
            XGetICValues(inputContext, XNFilterEvents, &filterEvents, nullptr);
            XSelectInput(display, window, kFieldEvents | filterEvents);
            XSetICFocus(inputContext);
        }
    }
    XMapRaised(display, window);
    XWindowAttributes mapped;
    XGetWindowAttributes(display, window, &mapped); // round trip: the map is done
    surface = cairo_xlib_surface_create(display, window, mapped.visual, pixelsWide, pixelsHigh);

    int revert = 0;
    XGetInputFocus(display, &focusBefore, &revert);
    if (mapped.map_state == IsViewable)
        XSetInputFocus(display, window, RevertToParent, CurrentTime);

    textAtOpen = text;
    editing.setText(text);
    editing.selectAll();
    scroll = 0.0;
    render();
    XFlush(display);
}

void CTextEdit::closeWindow()
{
    if (!window)
        return;
    if (inputContext)
        XDestroyIC(inputContext);
    inputContext = nullptr;
    if (surface)
        cairo_surface_destroy(surface);
    surface = nullptr;

    const Window field = window;
    Window focused = 0;
    int revert = 0;
    XGetInputFocus(display, &focused, &revert);
    unregisterWindow(display, field);
    XDestroyWindow(display, field);
    window = 0;
    if (focused == field) {
        // Back to the window that held the focus when it is the frame or the host's top
        // level; any other might be gone, and focusing it would be a protocol error.
        const Window topLevel = view->getTopLevel();
        const Window target = (focusBefore == view->getWindow() || focusBefore == topLevel) ? focusBefore : topLevel;
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, target, &attributes) && attributes.map_state == IsViewable)
            XSetInputFocus(display, target, RevertToParent, CurrentTime);
    }
    XFlush(display);
}

void CTextEdit::looseFocus()
{
    if (!isEditing())
        return;
    text = editing.text();
    closeWindow();
    if (frame)
        frame->invalidRect(size);
    if (listener && text != textAtOpen)
        listener->valueChanged(nullptr, this);
}

void CTextEdit::removed()
{
    looseFocus();
    CView::removed();
}

void CTextEdit::draw(CDrawContext* context)
{
    if (!context || isEditing())
        return;
    if (background) {
        background->draw(context, size, CPoint0(size.left, size.top));
    } else {
        context->setFillColor(backColor);
        context->drawRect(size, kDrawFilled);
    }
    context->setFont(font);
    context->setFontColor(fontColor);
    context->drawString(text.c_str(), CRect0(size.left + 2, size.top, size.right, size.bottom), false, kLeftText);
}

bool CTextEdit::raise(Hook hook)
{
    if (!hook)
        return false;
    hook(hookContext);
    return true;
}

void CTextEdit::render()
{
    if (!surface || !font)
        return;
    // Laid out in units like the panel, drawn at the window's resolution.
    const double width = cairo_xlib_surface_get_width(surface) / scale;
    const double height = cairo_xlib_surface_get_height(surface) / scale;
    cairo_t* cr = cairo_create(surface);
    setSource(cr, backColor);
    cairo_paint(cr);
    cairo_scale(cr, scale, scale);

    PangoLayout* layout = makeLayout(font, editing.text());
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    PangoRectangle caretPos;
    pango_layout_index_to_pos(layout, int(editing.caret()), &caretPos);
    const double caretX = double(caretPos.x) / PANGO_SCALE;
    // Scroll so that the caret stays inside the field.
    const double visible = width - 2 * kPadding;
    if (caretX - scroll > visible)
        scroll = caretX - visible;
    if (caretX < scroll)
        scroll = caretX;
    if (logical.width <= visible)
        scroll = 0.0;
    const double x0 = kPadding - scroll;
    const double y0 = (height - logical.height) / 2.0;

    if (editing.hasSelection()) {
        PangoRectangle from;
        PangoRectangle to;
        pango_layout_index_to_pos(layout, int(editing.selectionStart()), &from);
        pango_layout_index_to_pos(layout, int(editing.selectionEnd()), &to);
        cairo_rectangle(cr, x0 + double(from.x) / PANGO_SCALE, y0, double(to.x - from.x) / PANGO_SCALE,
                        double(logical.height));
        cairo_set_source_rgb(cr, 0.68, 0.81, 1.0);
        cairo_fill(cr);
    }
    cairo_move_to(cr, x0, y0);
    setSource(cr, fontColor);
    pango_cairo_show_layout(cr, layout);
    if (!editing.hasSelection()) {
        cairo_rectangle(cr, x0 + caretX, y0, 1.0, double(logical.height));
        cairo_fill(cr);
    }
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
}

size_t CTextEdit::offsetAt(int pixel)
{
    const double x = pixel / scale;
    PangoLayout* layout = makeLayout(font, editing.text());
    int index = 0;
    int trailing = 0;
    pango_layout_xy_to_index(layout, int((x - kPadding + scroll) * PANGO_SCALE), 0, &index, &trailing);
    size_t offset = size_t(index);
    const std::string& current = editing.text();
    // trailing counts characters past index: step over that many.
    for (int k = 0; k < trailing && offset < current.size(); ++k) {
        ++offset;
        while (offset < current.size() && (static_cast<unsigned char>(current[offset]) & 0xC0) == 0x80)
            ++offset;
    }
    g_object_unref(layout);
    return offset;
}

void CTextEdit::handleEvent(XEvent& event)
{
    switch (event.type) {
    case Expose:
        if (event.xexpose.count == 0)
            render();
        break;
    case KeyPress:
        onKey(event.xkey);
        break;
    case ButtonPress:
        onButton(event.xbutton);
        break;
    case MotionNotify:
        editing.setCaret(offsetAt(event.xmotion.x), true);
        render();
        break;
    case FocusOut:
        // Grabs (menus) and pointer moves do not take the focus away for good.
        if (event.xfocus.mode == NotifyNormal && event.xfocus.detail != NotifyInferior
            && event.xfocus.detail != NotifyPointer)
            looseFocus();
        break;
    case SelectionNotify:
        receivePaste(event.xselection);
        break;
    default:
        break;
    }
}

void CTextEdit::onButton(XButtonEvent& event)
{
    if (event.button == Button1) {
        editing.setCaret(offsetAt(event.x), (event.state & ShiftMask) != 0);
        render();
    } else if (event.button == Button2) {
        editing.setCaret(offsetAt(event.x), false);
        requestPaste("PRIMARY");
    }
}

void CTextEdit::onKey(XKeyEvent& event)
{
    char buffer[64] = {};
    KeySym keysym = NoSymbol;
    int length = 0;
    if (inputContext) {
        Status status = 0;
        length = Xutf8LookupString(inputContext, &event, buffer, sizeof buffer - 1, &keysym, &status);
        if (status == XBufferOverflow || status == XLookupNone)
            length = 0;
        if (status == XLookupChars)
            keysym = NoSymbol;
    } else {
        XLookupString(&event, buffer, sizeof buffer - 1, &keysym, nullptr);
        length = 0;
    }
    std::string typed(buffer, size_t(length > 0 ? length : 0));
    if (typed.empty() && keysym != NoSymbol)
        typed = keysymText(keysym);

    const bool shift = (event.state & ShiftMask) != 0;
    const bool control = (event.state & ControlMask) != 0;
    switch (keysym) {
    case XK_Return:
    case XK_KP_Enter:
        raise(returnHook);
        looseFocus();
        return;
    case XK_Escape:
        raise(escapeHook);
        looseFocus();
        return;
    case XK_Tab:
    case XK_ISO_Left_Tab:
        if (tabHook)
            tabHook(hookContext, keysym == XK_ISO_Left_Tab || shift);
        else
            looseFocus();
        return;
    case XK_BackSpace:
        editing.backspace();
        break;
    case XK_Delete:
    case XK_KP_Delete:
        editing.deleteForward();
        break;
    case XK_Left:
    case XK_KP_Left:
        editing.moveLeft(shift);
        break;
    case XK_Right:
    case XK_KP_Right:
        editing.moveRight(shift);
        break;
    case XK_Home:
    case XK_KP_Home:
        editing.home(shift);
        break;
    case XK_End:
    case XK_KP_End:
        editing.end(shift);
        break;
    default:
        if (control && (keysym == XK_a || keysym == XK_A)) {
            editing.selectAll();
        } else if (control && (keysym == XK_v || keysym == XK_V)) {
            requestPaste("CLIPBOARD");
        } else if (!control && !typed.empty()) {
            editing.insert(typed);
        } else {
            return;
        }
        break;
    }
    render();
    raise(changeHook);
}

void CTextEdit::selectAll()
{
    if (!isEditing())
        return;
    editing.selectAll();
    render();
}

void CTextEdit::requestPaste(const char* selectionName)
{
    const Atom selection = XInternAtom(display, selectionName, False);
    const Atom property = XInternAtom(display, "KESTRUNE_PASTE", False);
    XConvertSelection(display, selection, XInternAtom(display, "UTF8_STRING", False), property, window, CurrentTime);
    XFlush(display);
}

void CTextEdit::receivePaste(XSelectionEvent& event)
{
    if (event.property == None)
        return;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, event.property, 0, 4096, True, AnyPropertyType, &type, &format, &count,
                           &remaining, &data) == Success && data) {
        if (format == 8)
            editing.insert(std::string(reinterpret_cast<char*>(data), count));
        XFree(data);
        render();
        raise(changeHook);
    }
}

} // namespace VSTGUI
