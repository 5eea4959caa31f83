// The main view's pointer handling and what it runs itself: the program menu, the note
// menu, the time-mode indicator, the save dialog and a click on the changed mark.
#include "editor/CUIWindow.h"

#include "editor/CDelayEditor.h"
#include "editor/SaveName.h"
#include "editor/CEditorEffect.h"
#include "port/SjisText.h"
#include "port/UiServices.h"
#include "toolkit/ButtonState.h"
#include "toolkit/CBitmap0.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame0.h"
#include "toolkit/PanelAlert.h"
#include "toolkit/PixelScale.h"
#include "toolkit/PopupMenu.h"
#include "toolkit/PresetSave.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kShiftKey = 16;
constexpr unsigned int kNoteCommandBase = 1200;
constexpr int kNameBufferBytes = 256;
constexpr int kNoteMenuMax = 16;

CPoint ToPoint(const VSTGUI::CPoint0& where)
{
    return CPoint(static_cast<int32_t>(where.h), static_cast<int32_t>(where.v));
}

} // namespace

void CUIWindow::mouseD(VSTGUI::CDrawContext* context, VSTGUI::CPoint0& where, long buttons)
{
    if ((buttons & VSTGUI::kRButton) && IsBackground(ToPoint(where))) {
        RunSizeMenu();
        return;
    }
    if (!(buttons & VSTGUI::kLButton)) return;
    if (buttons & VSTGUI::kDoubleClick)
        OnLButtonDblClk(context, ToPoint(where));
    else
        OnLButtonDown(context, ToPoint(where));
}

void CUIWindow::mouseU(VSTGUI::CDrawContext* context, VSTGUI::CPoint0& where, long buttons)
{
    if (!(buttons & VSTGUI::kLButton)) return;
    for (CControlBase* control : m_controls)
        control->SetFineDrag((buttons & VSTGUI::kShift) != 0);
    OnLButtonUp(context, ToPoint(where));
}

void CUIWindow::mouseM(VSTGUI::CDrawContext* context, VSTGUI::CPoint0& where, long buttons)
{
    // Shift turns a drag into fine steps, as it does for the wheel.
    const bool fine = (buttons & VSTGUI::kShift) != 0;
    for (CControlBase* control : m_controls)
        control->SetFineDrag(fine);
    OnMouseMove(context, ToPoint(where));
}

void CUIWindow::mouseW(VSTGUI::CPoint0& where, long distance)
{
    if (distance == 0) return;
    const CPoint point = ToPoint(where);
    const signed char fine = KeyHeld(kShiftKey) ? 1 : 0;
    VSTGUI::CDrawContext* context = m_frame->createDrawContext0();
    for (CControlBase* control : m_controls)
        if (control->m_enabled) control->MouseWheel(point, static_cast<float>(distance), fine, context);
    context->forget();
}

void CUIWindow::OnMouseMove(VSTGUI::CDrawContext* context, CPoint point)
{
    for (CControlBase* control : m_controls)
        if (control->IsTracking()) control->MouseMove(point, context);
}

bool CUIWindow::PressOwnControl(CControlBase* control, VSTGUI::CDrawContext* context, CPoint point)
{
    if (control == &m_swProgram) {
        RunProgramMenu(context);
    } else if (control == &m_txNote) {
        RunNoteMenu();
    } else if (control == &m_swTimeMode) {
        ChooseTimeMode(point);
    } else {
        return false;
    }
    return true;
}

void CUIWindow::OnLButtonDblClk(VSTGUI::CDrawContext* context, CPoint point)
{
    m_pressing = true;
    m_pressArea = AreaAt(point);
    for (CControlBase* control : m_controls) {
        if (!control->m_enabled || !control->HitTest(point)) continue;
        // The menus and the indicator take a quick second click as another press.
        if (PressOwnControl(control, context, point)) {
            if (control == &m_swProgram) return;
        } else if (control->PtInControl(point)) {
            control->LButtonDblClk(context); // knobs return to their default
        }
    }
}

bool CUIWindow::IsBackground(CPoint point) const
{
    if (AreaAt(point) != PressArea::Elsewhere || m_nameRect.PtInRect(point)) return false;
    for (CControlBase* control : m_controls)
        if (control->HitTest(point)) return false;
    return true;
}

void CUIWindow::RunSizeMenu()
{
    if (!m_frame || !m_editor) return;
    static const char* const kTitles[] = {"100 %", "150 %", "200 %"};
    constexpr int kCount = static_cast<int>(sizeof kTitles / sizeof kTitles[0]);
    char titles[kCount][8] = {};
    char* items[kCount] = {};
    int current = -1;
    for (int i = 0; i < kCount; ++i) {
        std::snprintf(titles[i], sizeof titles[i], "%s", kTitles[i]);
        items[i] = titles[i];
        if (VSTGUI::kPanelScales[i] == m_frame->getScale()) current = i;
    }
    const int chosen = DoPopupMenu(g_pEventVSTGUI, m_frame->getPlatformView(), current, items, kCount);
    // The editor resizes after this event: the view is made again at the new size.
    if (chosen >= 0 && chosen != current) m_editor->RequestScale(VSTGUI::kPanelScales[chosen]);
}

CUIWindow::PressArea CUIWindow::AreaAt(CPoint point) const
{
    if (SaveButtonRect().PtInRect(point)) return PressArea::Save;
    if (m_changedRect.PtInRect(point)) return PressArea::ChangedMark;
    return PressArea::Elsewhere;
}

CRect CUIWindow::SaveButtonRect() const
{
    // The drawn button (the bitmap's top half), not the whole height of the bitmap.
    return CRect(kSaveLeft, kSaveTop, kSaveLeft + static_cast<int>(m_bmSave->getWidth()),
                 kSaveTop + static_cast<int>(m_bmSave->getHeight() / 2));
}

void CUIWindow::OnLButtonDown(VSTGUI::CDrawContext* context, CPoint point)
{
    m_pressing = true;
    m_pressArea = AreaAt(point);
    for (CControlBase* control : m_controls) {
        // A disabled control (the time knob in HOST mode, the note display in MS mode)
        // takes no press.
        const bool hit = control->m_enabled && control->HitTest(point);
        if (hit && PressOwnControl(control, context, point)) {
            if (control == &m_swProgram) return; // the program menu ends the walk
        } else if (hit && control->PtInControl(point)) {
            // A knob starts its drag in PtInControl: the host hears of the gesture now.
            const int hostIndex = HostIndexOf(static_cast<int>(control->m_id));
            if (control->IsTracking() && hostIndex >= 0
                && std::find(m_openGestures.begin(), m_openGestures.end(), hostIndex) == m_openGestures.end()) {
                m_editor->beginEdit(hostIndex);
                m_openGestures.push_back(hostIndex);
            }
            control->LButtonDown(context);
        } else if (!hit && control->m_editKind != 0) {
            control->HideEdit(); // a click elsewhere closes an open edit
        }
    }
}

void CUIWindow::OnLButtonUp(VSTGUI::CDrawContext* context, CPoint point)
{
    // Only the controls that took the press get the release: a drag that began elsewhere
    // leaves the control under the release point alone.
    for (CControlBase* control : m_controls)
        if (control->IsTracking()) control->LButtonUp(point, context);
    m_pressing = false;
    EndGestures();
    if (m_confirmAllFactory) {
        m_confirmAllFactory = false;
        ConfirmAllFactory();
        return;
    }

    // The save button and the changed mark act on a click: pressed and released on them. A
    // drag that merely ends there (a knob turned past them) must not lose or save anything.
    const PressArea pressed = m_pressArea;
    m_pressArea = PressArea::Elsewhere;
    if (pressed == PressArea::Elsewhere || AreaAt(point) != pressed) return;
    if (pressed == PressArea::Save) {
        RunSaveDialog();
    } else {
        GetEffect()->ProgramToInitial();
        ApplyPendingViewChanges();
    }
}

void CUIWindow::ConfirmAllFactory()
{
    const std::vector<std::string> buttons {"Cancel", "Return to Factory"};
    // Cancel is the default: Return or Escape changes nothing.
    if (RunPanelAlert(m_frame->getPlatformView(), "Return all 32 programs to their factory settings?", buttons, 0, 0)
        != 1)
        return;
    GetEffect()->ProgramToAllFactory();
    ApplyPendingViewChanges();
    InvalidateRect(&m_changedRect, false);
}

void CUIWindow::ShowAlert(void* view, const char* text)
{
    RunPanelAlert(static_cast<CUIWindow*>(view)->m_frame->getPlatformView(), text, {"OK"}, 0, 0);
}

void CUIWindow::ProgramNamesUtf8(char (*names)[80], char** pointers)
{
    CEditorEffect* effect = GetEffect();
    for (int i = 0; i < kNumPrograms; ++i) {
        char sjis[32] = {};
        effect->GetProgramName(i, sjis);
        sjis[sizeof sjis - 1] = '\0';
        CheckSJISAndToUFT8(sjis, names[i]);
        pointers[i] = names[i];
    }
}

void CUIWindow::RunProgramMenu(VSTGUI::CDrawContext* context)
{
    // The button shows its pressed look while the menu is open.
    if (context) {
        m_swProgram.SetValue(1.0f, context, 0);
        m_swProgram.DrawControl(context);
    }
    char names[kNumPrograms][80];
    char* pointers[kNumPrograms];
    ProgramNamesUtf8(names, pointers);
    CEditorEffect* effect = GetEffect();
    int result = -1;
    if (g_pEventVSTGUI && m_frame->getPlatformView())
        result = DoPopupMenu(g_pEventVSTGUI, m_frame->getPlatformView(), effect->GetProgram(), pointers, kNumPrograms);
    if (result >= 0 && result < kNumPrograms) {
        AlertPresenterScope alerts(ShowAlert, this); // "Failed to Save" over the panel
        effect->CopyPgFrom(result);
        ApplyPendingViewChanges();
        InvalidateRect(&m_changedRect, false);
    }
    if (context) {
        m_swProgram.SetValue(0.0f, context, 0);
        m_swProgram.DrawControl(context);
    }
    // The menu's nested loop took the release: no drag outlives it.
    m_pressing = false;
}

void CUIWindow::RunNoteMenu()
{
    CEditorEffect* effect = GetEffect();
    ParamData* note = effect->GetParam(kNote);
    const ParamValueNames* names = effect->GetValueNames(note->list);
    const int count = std::min(note->max - note->min + 1, kNoteMenuMax);
    if (!names || count < 1) return;
    char titles[kNoteMenuMax][80];
    char* pointers[kNoteMenuMax];
    for (int i = 0; i < count; ++i) {
        const char* name = static_cast<uint32_t>(i) < names->count && names->names[i] ? names->names[i] : "";
        CheckSJISAndToUFT8(name, titles[i]);
        pointers[i] = titles[i];
    }
    int result = -1;
    if (g_pEventVSTGUI && m_frame->getPlatformView())
        result = DoPopupMenu(g_pEventVSTGUI, m_frame->getPlatformView(), note->GetInt() - note->min, pointers, count);
    // The menu's nested loop took the release: the choice is a gesture of its own (begin,
    // automation and end together), not one left open until some later release.
    m_pressing = false;
    if (result >= 0 && result < count) OnSelSyncNote(kNoteCommandBase + static_cast<unsigned int>(result));
}

void CUIWindow::OnSelSyncNote(unsigned int command)
{
    ParamData* note = GetEffect()->GetParam(kNote);
    const int n = std::clamp(static_cast<int>(command - kNoteCommandBase), note->min, note->max);
    const float value = note->max == note->min
                            ? 0.0f
                            : static_cast<float>(n - note->min) / static_cast<float>(note->max - note->min);
    note->Store(value);
    ParameterFromUI(kNote, value, 0);
}

void CUIWindow::ChooseTimeMode(CPoint point)
{
    const int third = m_swTimeMode.m_rect.Width() / 3;
    if (third <= 0) return; // an indicator narrower than three pixels has no thirds
    int k = (point.x - m_swTimeMode.m_rect.left) / third;
    if (k > 2) k = 0;
    ParamData* mode = GetEffect()->GetParam(kTimeMode);
    const int n = std::clamp(k, mode->min, mode->max);
    const float value = mode->max == mode->min
                            ? 0.0f
                            : static_cast<float>(n - mode->min) / static_cast<float>(mode->max - mode->min);
    mode->Store(value);
    ParameterFromUI(kTimeMode, value, 0);
}

void CUIWindow::RunSaveDialog()
{
    CEditorEffect* effect = GetEffect();
    char names[kNumPrograms][80];
    char* pointers[kNumPrograms];
    ProgramNamesUtf8(names, pointers);
    char typed[kNameBufferBytes] = {};
    // The name field holds what a program name stores: 23 Shift-JIS bytes.
    const PresetNameLimit limit {SjisNameBytes, kProgramNameBytes};
    const int result = DoModalPresetDialog(m_frame->getPlatformView(), typed, kNameBufferBytes, effect->GetProgram(),
                                           pointers, kNumPrograms, &limit);
    if (result < 0 || result >= kNumPrograms) return;
    typed[kNameBufferBytes - 1] = '\0';
    char name[kProgramNameBytes + 1];
    MakeSjisProgramName(typed, name);
    AlertPresenterScope alerts(ShowAlert, this);
    effect->SaveProgram(result, name);
    ApplyPendingViewChanges();
    InvalidateRect(&m_changedRect, false);
}
