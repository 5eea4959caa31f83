// The main view's construction, layout, control callback, time-mode switching and idle.
#include "editor/CUIWindow.h"

#include "editor/CDelayEditor.h"
#include "editor/EditorFonts.h"
#include "editor/CEditorEffect.h"
#include "port/UiServices.h"
#include "toolkit/CBitmap0.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame0.h"
#include "toolkit/X11View.h"

#include "port/SjisText.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kShiftKey = 16;
constexpr int kControlKey = 17;

// Knob defaults of the panel: values 0 to 1 over 61 frames between 30 and 330 degrees.
constexpr int kKnobFrames = 61;
constexpr float kKnobMinAngle = 30.0f;
constexpr float kKnobMaxAngle = 330.0f;
constexpr int kKnobSetting = 8;

} // namespace

CUIWindow::CUIWindow(VSTGUI::CFrame0* frame) : m_frame(frame)
{
}

CUIWindow::~CUIWindow()
{
    KillFocusEdit(nullptr);
    if (CEditorEffect* effect = GetEffect()) effect->SetEditorViewOpen(false);
    EndGestures();
    VSTGUI::CBitmap0* owned[] = {m_bmKnob,       m_bmPowerOff,  m_bmPowerOn, m_bmMeter, m_bmFilterOff, m_bmFilterOn,
                                 m_bmTimeMode,   m_bmProgramOff, m_bmProgramOn, m_bmSave, m_bmChanged, m_bmLargeKnob};
    for (VSTGUI::CBitmap0* bitmap : owned)
        if (bitmap) bitmap->forget();
}

CEditorEffect* CUIWindow::GetEffect()
{
    return m_editor ? m_editor->GetEditorEffect() : nullptr;
}

bool CUIWindow::MakeWindow(CVSTWnd* parentRecord, VSTGUI::CBitmap0* background, CDelayEditor* editor)
{
    m_editor = editor;
    m_background = background;
    m_parentRecord = parentRecord;
    if (m_frame) m_frame->setBackground(background);
    MoveWindow(0, 0, background ? static_cast<int>(background->getWidth()) : 0,
               background ? static_cast<int>(background->getHeight()) : 0, false);
    OnCreate();
    return true;
}

void CUIWindow::AddKnob(CBitmapKnob& knob, CRect rect, VSTGUI::CBitmap0* bitmap, int id, bool transparent)
{
    CRect noRedraw;
    knob.Make(rect, noRedraw, this, bitmap, 0.0f, 1.0f, static_cast<unsigned int>(id), kKnobFrames, kKnobMinAngle,
              kKnobMaxAngle, kKnobSetting, 0, transparent ? 1 : 0, ControlCallback, this);
    ParamData* param = GetEffect()->GetParam(id);
    knob.SetReferenceParam(param);
    knob.SetValue(param->Load(), nullptr, 0);
    Append(knob);
}

void CUIWindow::AddFreqKnob(CBitmapFreqKnob& knob, CRect rect, int id)
{
    CRect noRedraw;
    ParamData* param = GetEffect()->GetParam(id);
    knob.Make(rect, noRedraw, this, m_bmKnob, 0.0f, 1.0f, static_cast<unsigned int>(id), kKnobFrames, kKnobMinAngle,
              kKnobMaxAngle, static_cast<float>(param->min), static_cast<float>(param->max), kKnobSetting, 1,
              ControlCallback, this);
    knob.SetReferenceParam(param);
    knob.SetValue(param->Load(), nullptr, 0);
    Append(knob);
}

void CUIWindow::AddDisplay(CStaticTextDC& display, CRect rect, int id, VSTGUI::CFontDesc* font, int editKind)
{
    display.Make(static_cast<unsigned int>(id), rect, this, m_background, 0, colFont, font, editKind, 0,
                 ControlCallback, this, m_listener, this);
    display.SetReferenceParam(GetEffect()->GetParam(id));
    Append(display);
}

void CUIWindow::AddSwitch(CBitmapSwitch& control, int left, int top, VSTGUI::CBitmap0* off, VSTGUI::CBitmap0* on,
                          int id)
{
    CRect rect(left, top, left + static_cast<int>(off->getWidth()), top + static_cast<int>(off->getHeight() / 2));
    CRect noRedraw;
    control.Make(rect, this, off, on, 0, static_cast<unsigned int>(id), noRedraw, 0, ControlCallback, this, 0);
    if (ParamData* param = GetEffect()->GetParam(id)) {
        control.SetReferenceParam(param);
        control.SetValue(param->Load(), nullptr, 0);
    } else {
        control.SetValue(0.0f, nullptr, 0);
    }
    Append(control);
}

int CUIWindow::OnCreate()
{
    // The bitmaps drawn for the frame's size.
    const double scale = m_frame ? m_frame->getScale() : 1.0;
    m_bmKnob = new VSTGUI::CBitmap0(3004, scale);
    m_bmPowerOff = new VSTGUI::CBitmap0(3002, scale);
    m_bmPowerOn = new VSTGUI::CBitmap0(3003, scale);
    m_bmMeter = new VSTGUI::CBitmap0(3008, scale);
    m_bmFilterOff = new VSTGUI::CBitmap0(3010, scale);
    m_bmFilterOn = new VSTGUI::CBitmap0(3009, scale);
    m_bmTimeMode = new VSTGUI::CBitmap0(5019, scale);
    m_bmProgramOff = new VSTGUI::CBitmap0(3012, scale);
    m_bmProgramOn = new VSTGUI::CBitmap0(3011, scale);
    m_bmSave = new VSTGUI::CBitmap0(5016, scale);
    m_bmChanged = new VSTGUI::CBitmap0(5017, scale);
    m_bmLargeKnob = new VSTGUI::CBitmap0(5020, scale);
    m_changedRect.SetRectWin(383, 12, 451, 43);
    m_nameRect.SetRectWin(208, 17, 372, 37);
    FollowProgramName();

    CEditorEffect* effect = GetEffect();
    // Changes marked before the panel existed are already in the descriptors.
    effect->TakePendingTimeMode();
    effect->TakePendingModify();

    AddKnob(m_knTime, CRect(112, 78, 225, 191), m_bmLargeKnob, kDelayTime, false);
    AddDisplay(m_txDelayTime, CRect(330, 92, 416, 123), kDelayTime, TimeFont(), 1);
    AddDisplay(m_txBpm, CRect(269, 140, 329, 167), kBpm, TempoFont(), 1);
    AddDisplay(m_txNote, CRect(400, 140, 456, 167), kNote, TempoFont(), 0);
    m_txNote.SetEditKind(0);
    UpdateTimeMode(effect->GetParam(kTimeMode)->GetInt());
    AddKnob(m_knFeedback, CRect(514, 71, 565, 122), m_bmKnob, kFeedBack, true);
    AddDisplay(m_txFeedback, CRect(585, 105, 619, 119), kFeedBack, ValueFont(), 1);
    AddKnob(m_knBalance, CRect(595, 154, 646, 205), m_bmKnob, kBalance, true);
    AddDisplay(m_txBalance, CRect(538, 188, 572, 202), kBalance, ValueFont(), 1);
    AddKnob(m_knDepth, CRect(119, 243, 170, 294), m_bmKnob, kDepth, true);
    AddDisplay(m_txDepth, CRect(190, 277, 224, 291), kDepth, ValueFont(), 1);
    AddKnob(m_knRate, CRect(253, 243, 304, 294), m_bmKnob, kRate, true);
    AddDisplay(m_txRate, CRect(324, 277, 358, 291), kRate, ValueFont(), 1);
    AddFreqKnob(m_knHpfFreq, CRect(399, 243, 450, 294), kHpfFreq);
    AddDisplay(m_txHpfFreq, CRect(469, 277, 505, 291), kHpfFreq, ValueFont(), 1);
    AddFreqKnob(m_knLpfFreq, CRect(533, 243, 584, 294), kLpfFreq);
    AddDisplay(m_txLpfFreq, CRect(603, 277, 639, 291), kLpfFreq, ValueFont(), 1);
    AddSwitch(m_swHpf, 385, 302, m_bmFilterOff, m_bmFilterOn, kHpfOn);
    AddSwitch(m_swLpf, 519, 302, m_bmFilterOff, m_bmFilterOn, kLpfOn);
    AddSwitch(m_swPower, 18, 12, m_bmPowerOff, m_bmPowerOn, kOnOff);
    AddSwitch(m_swProgram, 103, 12, m_bmProgramOff, m_bmProgramOn, kProgramButtonId);
    AddKnob(m_knInput, CRect(21, 261, 72, 312), m_bmKnob, kInputGainId, true);
    AddDisplay(m_txInput, CRect(20, 222, 55, 236), kInputLevel, ValueFont(), 1);
    AddKnob(m_knOutput, CRect(678, 261, 729, 312), m_bmKnob, kOutputGainId, true);
    AddDisplay(m_txOutput, CRect(676, 222, 711, 236), kOutputLevel, ValueFont(), 1);

    const int width = static_cast<int>(m_bmTimeMode->getWidth());
    const int third = static_cast<int>(m_bmTimeMode->getHeight() / 3);
    CRect indicator(263, 185, 263 + width, 185 + third);
    CRect noRedraw;
    m_swTimeMode.Make(indicator, this, m_bmTimeMode, m_bmTimeMode, 0, kTimeMode, noRedraw, 1, ControlCallback, this, 3);
    m_swTimeMode.SetReferenceParam(effect->GetParam(kTimeMode));
    m_swTimeMode.SetValue(effect->GetParam(kTimeMode)->Load(), nullptr, 0);
    Append(m_swTimeMode);

    m_meters.Reset();
    m_lastIdle = std::chrono::steady_clock::now();
    effect->SetEditorViewOpen(true);
    return 0;
}

signed char CUIWindow::ControlCallback(int id, float value, void* user, int kind)
{
    auto* view = static_cast<CUIWindow*>(user);
    CEditorEffect* effect = view ? view->GetEffect() : nullptr;
    if (!effect || id == kProgramButtonId) return 0;
    if (id == kOnOff) {
        // Shift-click: the current program takes its factory values; Control-click: all do,
        // once the user confirms it after the release. The click's own value is dropped; the
        // switch shows the parameter again at the next idle.
        if (view->KeyHeld(kShiftKey)) {
            effect->ProgramToFactory();
            view->ApplyPendingViewChanges();
            return 0;
        }
        if (view->KeyHeld(kControlKey)) {
            view->m_confirmAllFactory = true;
            return 0;
        }
    }
    view->ParameterFromUI(id, value, kind);
    view->InvalidateRect(&view->m_changedRect, false);
    return 0;
}

bool CUIWindow::KeyHeld(int key) const
{
    auto* view = m_frame ? static_cast<VSTGUI::X11View*>(m_frame->getPlatformView()) : nullptr;
    return view && GetKeyState(view->getDisplay(), key) < 0;
}

void CUIWindow::ParameterFromUI(int id, float value, int kind)
{
    CEditorEffect* effect = GetEffect();
    const int hostIndex = HostIndexOf(id);
    const bool inGesture = std::find(m_openGestures.begin(), m_openGestures.end(), hostIndex) != m_openGestures.end();
    if (hostIndex >= 0 && !inGesture) m_editor->beginEdit(hostIndex);
    effect->SetParameterFromUI(id, value, kind);
    if (hostIndex >= 0 && !inGesture) {
        if (m_pressing)
            m_openGestures.push_back(hostIndex); // closed by the release
        else
            m_editor->endEdit(hostIndex);
    }
    ApplyPendingViewChanges();
}

void CUIWindow::EndGestures()
{
    for (int hostIndex : m_openGestures)
        m_editor->endEdit(hostIndex);
    m_openGestures.clear();
}

void CUIWindow::ApplyPendingViewChanges()
{
    CEditorEffect* effect = GetEffect();
    if (!effect) return;
    const int mode = effect->TakePendingTimeMode();
    if (mode >= 0) UpdateTimeMode(mode);
    if (effect->TakePendingModify()) UpdateModify();
}

void CUIWindow::UpdateTimeMode(int mode)
{
    CEditorEffect* effect = GetEffect();
    if (!effect || mode < kTimeModeMs || mode > kTimeModeHost) return;
    // A field whose entry is about to be switched off must not stay open over the panel.
    if (m_focusEdit == &m_txDelayTime || m_focusEdit == &m_txBpm) KillFocusEdit(m_focusEdit);
    const bool bpm = mode == kTimeModeBpm;
    const int knobId = bpm ? kBpm : kDelayTime;
    m_knTime.SetReferenceParam(effect->GetParam(knobId));
    m_knTime.m_id = static_cast<unsigned int>(knobId);
    // In HOST mode the knob shows the delay time the host's tempo gives and takes no drag.
    m_knTime.m_enabled = mode != kTimeModeHost;
    m_txDelayTime.SetEditKind(mode == kTimeModeMs ? 1 : 0);
    m_txBpm.SetEditKind(bpm ? 1 : 0);
    m_txNote.m_enabled = mode != kTimeModeMs;
    // The tempo field does nothing in MS mode: it shows dimmed and takes no click.
    m_txBpm.m_enabled = mode != kTimeModeMs;
    // Their look changed with the mode.
    InvalidateRect(&m_knTime.m_rect, true);
    InvalidateRect(&m_txBpm.m_rect, true);
    InvalidateRect(&m_txNote.m_rect, true);
}

void CUIWindow::UpdateModify()
{
    InvalidateRect(&m_changedRect, false);
}

void CUIWindow::InvalidateRect(CRect* rect, bool)
{
    if (!rect || !m_frame || !m_frame->getPlatformView()) return;
    InvalidateNSView(m_frame->getPlatformView(), rect->left, rect->top, rect->Width(), rect->Height());
}

void CUIWindow::KillFocusEdit(CStaticTextDC* display)
{
    CStaticTextDC* focused = m_focusEdit;
    if (!focused || (display && display != focused)) return;
    m_focusEdit = nullptr;
    focused->HideEdit();
}

void CUIWindow::FocusNextEdit(CStaticTextDC* display, bool backward)
{
    CStaticTextDC* const order[] = {&m_txInput, &m_txDelayTime, &m_txBpm,     &m_txFeedback, &m_txBalance,
                                    &m_txDepth, &m_txRate,      &m_txHpfFreq, &m_txLpfFreq,  &m_txOutput};
    constexpr int count = static_cast<int>(sizeof order / sizeof order[0]);
    int at = 0;
    while (at < count && order[at] != display) ++at;
    if (at == count) return;
    for (int step = 1; step < count; ++step) {
        CStaticTextDC* next = order[(at + (backward ? count - step : step)) % count];
        if (next->m_enabled && next->m_editKind == 1) {
            next->ShowEdit();
            return;
        }
    }
}

void CUIWindow::idle()
{
    VSTGUI::CDrawContext* context = m_frame->createDrawContext0();
    idle(context);
    context->forget();
}

void CUIWindow::FollowProgramName()
{
    CEditorEffect* effect = GetEffect();
    if (!effect) return;
    char sjis[32] = {};
    effect->GetProgramName(effect->GetProgram(), sjis);
    sjis[sizeof sjis - 1] = '\0';
    char utf8[80] = {};
    CheckSJISAndToUFT8(sjis, utf8);
    const int program = effect->GetProgram();
    if (program == m_shownProgram && std::strcmp(utf8, m_shownName) == 0) return;
    m_shownProgram = program;
    std::memcpy(m_shownName, utf8, sizeof m_shownName);
    InvalidateRect(&m_nameRect, false);
}

void CUIWindow::idle(VSTGUI::CDrawContext* context)
{
    ApplyPendingViewChanges();
    FollowProgramName();
    for (CControlBase* control : m_controls)
        if (control->UpdateAtDirty(context)) InvalidateRect(&m_changedRect, false);

    const auto now = std::chrono::steady_clock::now();
    const double elapsedMs = std::chrono::duration<double, std::milli>(now - m_lastIdle).count();
    m_lastIdle = now;
    CEditorEffect* effect = GetEffect();
    bool changed = false;
    if (m_meters.NewBlock(effect->GetProcessBlockCount())) {
        float peaks[CMeterLevels::kCount];
        effect->GetVU(&peaks[0], &peaks[1], &peaks[2], &peaks[3]);
        changed = m_meters.Rise(peaks);
    } else {
        changed = m_meters.Fall(elapsedMs);
    }
    if (changed && context) {
        DrawVU(context);
        context->synchronize();
    }
}
