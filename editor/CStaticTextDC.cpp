#include "editor/CStaticTextDC.h"

#include "editor/CControlOwner.h"
#include "editor/CStaticEdit.h"
#include "editor/EditorFonts.h"
#include "editor/CEditorEffect.h"
#include "effect/ParamData.h"
#include "toolkit/CBitmap0.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/CFrame0.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using VSTGUI::CBitmap0;
using VSTGUI::CColor;
using VSTGUI::CDrawContext;
using VSTGUI::CRect0;

namespace {

CColor OpaqueColour(unsigned int word)
{
    CColor colour = CColor::fromWord(word);
    colour.alpha = 255;
    return colour;
}

constexpr int kTextClearance = 2;

void ReturnHook(void* control) { static_cast<CStaticTextDC*>(control)->OnTextEditReturn(); }
void EscapeHook(void* control) { static_cast<CStaticTextDC*>(control)->OnTextEditEscape(); }
void TabHook(void* control, bool backward) { static_cast<CStaticTextDC*>(control)->OnTextEditTab(backward); }

// A decimal number after optional white space and sign, as typed; 0 when there is none.
// The reading does not depend on the host's locale (a comma never counts as a point).
double ReadDecimal(const char* text)
{
    while (*text && std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    if (*text == '+') {
        ++text;
        if (*text == '-' || *text == '+')
            return 0.0;
    }
    double x = 0.0;
    const auto [end, error] = std::from_chars(text, text + std::strlen(text), x);
    (void)end;
    return error == std::errc() ? x : 0.0;
}

// Copies text into the shown-text buffer, cut to fit.
void CopyShownText(char (&shown)[CStaticTextDC::kTextSize], const char* text)
{
    const size_t length = strnlen(text, sizeof shown - 1);
    std::memcpy(shown, text, length);
    shown[length] = 0;
}

// RAII mark that a handler runs inside the edit field's own key handling.
class FieldHookScope {
public:
    explicit FieldHookScope(bool& flag) : flag(flag), before(flag) { flag = true; }
    ~FieldHookScope() { flag = before; }

private:
    bool& flag;
    bool before;
};

} // namespace

CStaticTextDC::CStaticTextDC() { m_editKind = 0; }

CStaticTextDC::~CStaticTextDC()
{
    HideEdit();
    if (m_edit)
        m_edit->forget();
    m_edit = nullptr;
    ReleaseRetiredField();
}

void CStaticTextDC::Make(unsigned int id, CRect& rect, CControlOwner* owner, CBitmap0* background,
                         unsigned int backColour, unsigned int textColour, VSTGUI::CFontDesc* font, int editKind,
                         signed char leftAligned, ControlCallbackProc callback, void* user,
                         VSTGUI::CControlListener* listener, CControlOwner* focusOwner)
{
    m_id = id;
    m_rect = rect;
    m_owner = owner;
    m_background = background;
    m_backColour = backColour;
    m_textColour = textColour;
    m_font = font;
    m_editKind = editKind;
    m_leftAligned = leftAligned != 0;
    m_callback = callback;
    m_user = user;
    m_listener = listener;
    m_focusOwner = focusOwner;
    m_textOffsetX = 0;
    m_textOffsetY = 0;
    MakeChildControl();
}

void CStaticTextDC::SetEditKind(int kind)
{
    m_editKind = kind;
    MakeChildControl();
}

void CStaticTextDC::MakeChildControl()
{
    if (m_edit) {
        HideEdit();
        if (m_inFieldHook) {
            // The field's key handler is still running on it: release it later.
            ReleaseRetiredField();
            m_retired = m_edit;
        } else {
            m_edit->forget();
        }
        m_edit = nullptr;
    }
    ReleaseRetiredField();
    if (m_editKind != 1)
        return;
    const CRect0 area(m_rect.left - 3, m_rect.top - 2, m_rect.right + 3, m_rect.bottom + 2);
    m_edit = new CStaticEdit(area, m_listener, long(m_id));
    m_edit->returnHook = ReturnHook;
    m_edit->escapeHook = EscapeHook;
    m_edit->tabHook = TabHook;
    m_edit->hookContext = this;
    m_edit->setFont(m_font);
    m_edit->setTextInset(VSTGUI::CPoint0(m_textOffsetX, m_textOffsetY));
    m_edit->setFontColor(VSTGUI::kBlackCColor);
    m_edit->setBackColor(VSTGUI::kWhiteCColor);
}

void CStaticTextDC::ReleaseRetiredField()
{
    if (m_retired && !m_inFieldHook) {
        m_retired->forget();
        m_retired = nullptr;
    }
}

void CStaticTextDC::SetDisplayText()
{
    CEditorEffect* effect = m_owner ? m_owner->GetEffect() : nullptr;
    if (!effect || !m_param)
        return;
    char display[256] = {};
    effect->GetParameterDisplay(m_param, display);
    CopyShownText(m_text, display);
}

void CStaticTextDC::SetReferenceParam(ParamData* param)
{
    m_param = param;
    if (param) {
        // Half the value: the next UpdateAtDirty sees a difference and formats again.
        m_value = param->Load() * 0.5f;
        SetDisplayText();
        Invalidate(m_rect);
    }
    if (m_editKind != 0)
        m_editKind = (param && param->list != -1) ? 2 : 1;
    MakeChildControl();
}

bool CStaticTextDC::UpdateAtDirty(CDrawContext*)
{
    if (!m_param)
        return false;
    const float current = m_param->Load();
    if (current == m_value)
        return false;
    m_value = current;
    SetDisplayText();
    Invalidate(CRect(m_rect.left - 2, m_rect.top - 4, m_rect.right + 2, m_rect.bottom + 2));
    return true;
}

void CStaticTextDC::SetStaticText(char* text)
{
    if (!text || std::strncmp(text, m_text, sizeof m_text - 1) == 0)
        return;
    CopyShownText(m_text, text);
}

void CStaticTextDC::SetText(char*) {}

void CStaticTextDC::DrawControl(CDrawContext* context)
{
    if (!context || IsEditing())
        return; // the open field covers the display
    if (m_background) {
        DrawBitmap(m_background, context, m_rect, CPoint(m_rect.left, m_rect.top));
    } else {
        context->setFillColor(OpaqueColour(m_backColour));
        context->drawRect(CRect0(m_rect.left, m_rect.top, m_rect.right, m_rect.bottom), VSTGUI::kDrawFilled);
    }
    FitFont(context, m_leftAligned ? m_rect.Width() - 2 : m_rect.Width());
    CColor colour = OpaqueColour(m_textColour);
    if (!m_enabled)
        colour.alpha = kDimmedAlpha; // a field that does nothing in this mode looks it
    context->setFontColor(colour);
    if (m_leftAligned)
        context->drawString(m_text, CRect0(m_rect.left + 2, m_rect.top, m_rect.right, m_rect.bottom), false,
                            VSTGUI::kLeftText);
    else
        context->drawString(m_text, CRect0(m_rect.left, m_rect.top - 4, m_rect.right, m_rect.bottom), false,
                            VSTGUI::kCenterText);
}

void CStaticTextDC::FitFont(CDrawContext* context, int width) const
{
    // Clear pixels on each side: "8000" never runs into the unit beside it.
    FitFontToWidth(context, m_font, 0, m_text, double(width - 2 * kTextClearance));
}

void CStaticTextDC::LButtonDown(CDrawContext*)
{
    if (m_editKind == 1)
        ShowEdit();
}

bool CStaticTextDC::IsEditing() const { return m_edit && m_edit->isEditing(); }

void CStaticTextDC::ShowEdit()
{
    ReleaseRetiredField();
    if (!m_edit || m_edit->isEditing())
        return;
    if (!m_edit->getFrame()) {
        VSTGUI::CFrame0* frame = m_owner ? m_owner->GetFrame() : nullptr;
        if (!frame)
            return;
        // The frame releases its views when it goes; this reference keeps the field ours.
        m_edit->remember();
        frame->addView(m_edit);
    }
    char start[10] = {};
    if (m_param) {
        if (m_param->decimals != 0 && m_param->list < 1)
            std::snprintf(start, sizeof start, "%.*f", int(m_param->decimals), double(m_param->GetReal()));
        else
            std::snprintf(start, sizeof start, "%d", int(m_param->GetInt()));
        m_edit->setText(start);
    } else {
        m_edit->setText(m_text);
    }
    m_edit->takeFocus();
    if (m_focusOwner)
        m_focusOwner->SetFocusEdit(this);
}

void CStaticTextDC::HideEdit()
{
    if (!m_edit || !(m_edit->isEditing() || m_edit->getFrame()))
        return;
    // The owner may call HideEdit again from here; the steps below then find nothing to do.
    if (m_focusOwner)
        m_focusOwner->KillFocusEdit(this);
    if (m_edit->isEditing())
        m_edit->looseFocus();
    if (VSTGUI::CFrame0* frame = m_edit->getFrame()) {
        if (frame->removeView(m_edit, false))
            m_edit->forget();
    }
}

void CStaticTextDC::SetEditText(char* text)
{
    if (!m_param || !text)
        return;
    const ParamData& param = *m_param;
    double number = 0.0;
    if (param.decimals == 0 || param.list >= 1) {
        number = double(std::strtol(text, nullptr, 10));
    } else {
        const float typed = float(ReadDecimal(text));
        double scale = 1.0;
        for (int i = 0; i < param.decimals; ++i)
            scale *= 10.0;
        double scaled = scale * double(typed);
        if (scaled != scaled)
            scaled = 0.0;
        // Clamping before the truncation gives the same integer and keeps the cast defined.
        if (scaled < param.min)
            scaled = param.min;
        if (scaled > param.max)
            scaled = param.max;
        number = double(static_cast<int32_t>(scaled));
    }
    Notify(param.id, param.NormFrom(number), 1);
}

void CStaticTextDC::SetListSel(int index)
{
    if (!m_param)
        return;
    const ParamData& param = *m_param;
    const long long entry = index < 0 ? param.min : (long long)param.min + index;
    Notify(param.id, param.NormFrom(double(entry)), 0);
}

void CStaticTextDC::OnTextEditChar()
{
    if (!m_edit)
        return;
    char text[VSTGUI::CTextEdit::kMaxTextBytes + 1] = {};
    m_edit->getText(text);
    SetEditText(text);
}

void CStaticTextDC::OnTextEditReturn()
{
    FieldHookScope scope(m_inFieldHook);
    OnTextEditChar();
    HideEdit();
}

void CStaticTextDC::OnTextEditTab(bool backward)
{
    FieldHookScope scope(m_inFieldHook);
    OnTextEditChar();
    HideEdit();
    if (m_focusOwner)
        m_focusOwner->FocusNextEdit(this, backward);
}

void CStaticTextDC::OnTextEditEscape()
{
    FieldHookScope scope(m_inFieldHook);
    HideEdit();
}
