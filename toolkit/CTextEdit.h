#pragma once
// An inline single-line text field laid over a control as a child window of the frame's
// window while it has the focus (takeFocus .. looseFocus). Typing goes through the X input
// method as UTF-8; Return, keypad Enter and Escape raise the user's hooks and end the edit.
#include "toolkit/CColor.h"
#include "toolkit/CView.h"
#include "toolkit/TextField.h"
#include "toolkit/X11EventTarget.h"

#include <string>

typedef struct _cairo_surface cairo_surface_t;

namespace VSTGUI {

class CBitmap0;
class CFontDesc;
class CTextEdit;
class X11View;

class CControlListener {
public:
    virtual ~CControlListener() = default;
    virtual void valueChanged(CDrawContext* context, CView* control) = 0;
};

class CTextEdit : public CView, public X11EventTarget {
public:
    typedef void (*Hook)(void* context);

    CTextEdit(const CRect0& size, CControlListener* listener, long tag, const char* text = nullptr,
              CBitmap0* background = nullptr, long style = 0);
    ~CTextEdit() override;

    // Hooks set by the user: raised by Return / keypad Enter and by Escape, with hookContext.
    Hook returnHook = nullptr;
    Hook escapeHook = nullptr;
    // Tab and Shift-Tab (backward): with a hook set the user moves the focus itself; without
    // one the field just ends the edit.
    typedef void (*TabHook)(void* context, bool backward);
    TabHook tabHook = nullptr;
    // Raised after every change of the text while editing.
    Hook changeHook = nullptr;
    void* hookContext = nullptr;

    // See TextField::setLimit; applies to typing and pasting.
    void setLimit(TextField::Measure measure, size_t max) { editing.setLimit(measure, max); }
    // Selects the whole text of an open field.
    void selectAll();

    void setText(const char* text);
    static constexpr size_t kMaxTextBytes = 255;
    // Copies the text, cut to at most 255 bytes on a character boundary and terminated, into
    // a buffer of 256 bytes or more.
    void getText(char* text) const;
    const std::string& getTextString() const { return text; }
    long getTag() const { return tag; }

    // Opens the field over the view's rectangle with all text selected and the keyboard focus.
    void takeFocus();
    // Ends the edit: keeps the typed text, closes the field, gives the focus back, and tells
    // the listener when the text changed.
    void looseFocus();
    bool isEditing() const { return window != 0; }

    void setFont(CFontDesc* font);
    CFontDesc* getFont() const { return font; }
    void setFontColor(const CColor& colour) { fontColor = colour; }
    CColor getFontColor() const { return fontColor; }
    void setBackColor(const CColor& colour) { backColor = colour; }
    CColor getBackColor() const { return backColor; }
    void setTextInset(const CPoint0& inset) { textInset = inset; }

    // The model behind an open field (caret and selection).
    const TextField& field() const { return editing; }

    void removed() override;
    void draw(CDrawContext* context) override;
    void handleEvent(XEvent& event) override;
    const void* modalGroup() const override { return frame; }

private:
    void openWindow(X11View* view);
    void closeWindow();
    void render();
    void onKey(XKeyEvent& event);
    void onButton(XButtonEvent& event);
    void requestPaste(const char* selectionName);
    void receivePaste(XSelectionEvent& event);
    // The text offset at a window pixel column.
    size_t offsetAt(int pixel);
    bool raise(Hook hook);

    CControlListener* listener;
    long tag;
    std::string text;
    std::string textAtOpen;
    TextField editing;
    CBitmap0* background;
    CFontDesc* font = nullptr;
    CColor fontColor = kBlackCColor;
    CColor backColor = kWhiteCColor;
    CPoint0 textInset;
    double scroll = 0.0;
    // Pixels per unit of the open field (the frame's).
    double scale = 1.0;

    Display* display = nullptr;
    X11View* view = nullptr;
    Window window = 0;
    Window focusBefore = 0;
    XIC inputContext = nullptr;
    cairo_surface_t* surface = nullptr;
};

} // namespace VSTGUI
