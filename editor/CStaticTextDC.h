#pragma once
// A text display of one parameter's value (the effect's own display text). Edit kind 0 only
// shows it; 1 opens a text field on a left click where a number is typed and committed with
// Return (Escape or a click elsewhere closes it without committing); 2 marks a list
// parameter whose choices the main view offers itself and applies with SetListSel.
#include "editor/CControlBase.h"

class CStaticEdit;
namespace VSTGUI {
class CControlListener;
class CFontDesc;
}

class CStaticTextDC : public CControlBase {
public:
    static constexpr int kTextSize = 71;

    CStaticTextDC();
    ~CStaticTextDC();

    void Make(unsigned int id, CRect& rect, CControlOwner* owner, VSTGUI::CBitmap0* background,
              unsigned int backColour, unsigned int textColour, VSTGUI::CFontDesc* font, int editKind,
              signed char leftAligned, ControlCallbackProc callback, void* user,
              VSTGUI::CControlListener* listener, CControlOwner* focusOwner);

    void SetReferenceParam(ParamData* param) override;
    void SetEditKind(int kind);
    // Replaces the edit field: none unless the edit kind is 1.
    void MakeChildControl();
    // Reads text as a number for the reference parameter and reports it (kind 1).
    void SetEditText(char* text);
    // Reports the list entry index (0 is the parameter's minimum).
    void SetListSel(int index);
    void SetStaticText(char* text);
    void SetText(char* text);
    const char* GetText() const { return m_text; }

    void DrawControl(VSTGUI::CDrawContext* context) override;
    void LButtonDown(VSTGUI::CDrawContext* context) override;
    bool UpdateAtDirty(VSTGUI::CDrawContext* context) override;
    void HideEdit() override;
    void ShowEdit();
    void ShowList() { ShowEdit(); }
    // True while the text field is open over the display.
    bool IsEditing() const;
    CStaticEdit* GetEditField() const { return m_edit; }

    // The edit field's notifications.
    void OnTextEditChar();
    void OnTextEditReturn();
    void OnTextEditEscape();
    // Tab commits like Return, closes the field and asks the owner for the next one.
    void OnTextEditTab(bool backward);

protected:
    void SetDisplayText();
    // Makes the font current, smaller when needed for the text to fit width pixels.
    void FitFont(VSTGUI::CDrawContext* context, int width) const;
    void ReleaseRetiredField();

    VSTGUI::CBitmap0* m_background = nullptr;
    unsigned int m_backColour = 0;
    unsigned int m_textColour = 0;
    VSTGUI::CFontDesc* m_font = nullptr;
    bool m_leftAligned = false;
    char m_text[kTextSize] = {};
    CStaticEdit* m_edit = nullptr;
    VSTGUI::CControlListener* m_listener = nullptr;
    CControlOwner* m_focusOwner = nullptr;
    int m_textOffsetX = 0;
    int m_textOffsetY = 0;
    // A field replaced while its own key handler runs; released at the next safe point.
    CStaticEdit* m_retired = nullptr;
    bool m_inFieldHook = false;
};
