#pragma once
// What the panel's controls need of the view that owns them (the main view, CUIWindow):
// invalidation, the frame (for the text field and the pointer position), the effect (for
// display texts) and the record of the one text display whose edit field is open.
// Controls never draw outside a context they are given; they ask the owner to repaint.
#include "port/Geometry.h"

class CEditorEffect;
class CStaticTextDC;
namespace VSTGUI {
class CFrame0;
}

class CControlOwner {
public:
    // Marks rect (frame pixels) as needing a repaint; erase is a hint only.
    virtual void InvalidateRect(CRect* rect, bool erase) = 0;
    // The frame the controls live in; may be null (then no field opens and the pointer
    // position is neither read nor moved).
    virtual VSTGUI::CFrame0* GetFrame() = 0;
    // The effect whose display texts the text displays show; may be null.
    virtual CEditorEffect* GetEffect() = 0;
    // Records display as the one whose edit field is open (ShowEdit).
    virtual void SetFocusEdit(CStaticTextDC* display) = 0;
    // Closing an edit: with display given, clears the record when it names display and calls
    // display->HideEdit(); with null, does that for whichever display is recorded.
    // CStaticTextDC::HideEdit calls this and is safe against the call coming back.
    virtual void KillFocusEdit(CStaticTextDC* display) = 0;
    // Tab (Shift-Tab: backward) in display's field, after it committed and closed: opens the
    // next field in the owner's order. Owners without an order do nothing.
    virtual void FocusNextEdit(CStaticTextDC* display, bool backward)
    {
        (void)display;
        (void)backward;
    }

protected:
    ~CControlOwner() = default;
};
