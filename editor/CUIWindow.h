#pragma once
// The editor's main view: owns every control of the panel, lays them out, keeps them in step
// with the effect's parameters at each idle, paints the panel and handles the pointer, the
// program and note menus, the time-mode indicator and the save dialog.
//
// Everything here runs on the host's user-interface thread. Parameter changes made on other
// threads reach the panel through the effect's pending flags, which idle applies.
#include "editor/CBitmapFreqKnob.h"
#include "editor/CBitmapKnob.h"
#include "editor/CBitmapSwitch.h"
#include "editor/CControlOwner.h"
#include "editor/CMeterLevels.h"
#include "editor/CStateBitmapSwitch.h"
#include "editor/CStaticTextDC.h"
#include "editor/CVSTWnd.h"

#include <chrono>
#include <vector>

class CEditorEffect;
class CDelayEditor;
namespace VSTGUI {
class CBitmap0;
class CControlListener;
class CDrawContext;
class CFrame0;
struct CPoint0;
} // namespace VSTGUI

class CUIWindow : public CVSTWnd, public CControlOwner {
public:
    static constexpr int kProgramButtonId = 140;
    static constexpr int kSaveLeft = 460;
    static constexpr int kSaveTop = 12;

    explicit CUIWindow(VSTGUI::CFrame0* frame);
    virtual ~CUIWindow();
    CUIWindow(const CUIWindow&) = delete;
    CUIWindow& operator=(const CUIWindow&) = delete;

    bool MakeWindow(CVSTWnd* parentRecord, VSTGUI::CBitmap0* background, CDelayEditor* editor);
    int OnCreate();

    static signed char ControlCallback(int id, float value, void* user, int kind);
    void UpdateTimeMode(int mode);
    void UpdateModify();

    // Control owner.
    void InvalidateRect(CRect* rect, bool erase) override;
    VSTGUI::CFrame0* GetFrame() override { return m_frame; }
    CEditorEffect* GetEffect() override;
    void SetFocusEdit(CStaticTextDC* display) override { m_focusEdit = display; }
    void KillFocusEdit(CStaticTextDC* display) override;
    // Panel order: the input level, the delay section top down, the right section, the
    // modulation and filter row, the output level; fields that take no typing are skipped.
    void FocusNextEdit(CStaticTextDC* display, bool backward) override;

    // Idle: applies pending changes, follows the parameters, moves the meters. The second
    // form draws into the context given instead of a fresh one of the frame.
    void idle();
    void idle(VSTGUI::CDrawContext* context);

    // Painting (CUIWindowPaint.cpp).
    void draw(VSTGUI::CDrawContext* context, int left, int top, int right, int bottom);
    void DrawVU(VSTGUI::CDrawContext* context);
    void DrawUnit(VSTGUI::CDrawContext* context);
    // The current program's name in the header, beside PROGRAM.
    void DrawProgramName(VSTGUI::CDrawContext* context);
    const CRect& ProgramNameRect() const { return m_nameRect; }
    const char* ShownProgramName() const { return m_shownName; }

    // Pointer (CUIWindowPointer.cpp).
    void mouseD(VSTGUI::CDrawContext* context, VSTGUI::CPoint0& where, long buttons);
    void mouseU(VSTGUI::CDrawContext* context, VSTGUI::CPoint0& where, long buttons);
    void mouseM(VSTGUI::CDrawContext* context, VSTGUI::CPoint0& where, long buttons);
    void mouseW(VSTGUI::CPoint0& where, long distance);
    void OnLButtonDown(VSTGUI::CDrawContext* context, CPoint point);
    void OnLButtonDblClk(VSTGUI::CDrawContext* context, CPoint point);
    void OnLButtonUp(VSTGUI::CDrawContext* context, CPoint point);
    void OnMouseMove(VSTGUI::CDrawContext* context, CPoint point);
    void OnSelSyncNote(unsigned int command);

    const CMeterLevels& Meters() const { return m_meters; }
    const std::vector<CControlBase*>& Controls() const { return m_controls; }
    CStaticTextDC* GetFocusEdit() const { return m_focusEdit; }
    const CRect& ChangedMarkRect() const { return m_changedRect; }
    CBitmapKnob& TimeKnob() { return m_knTime; }
    CStaticTextDC& DelayTimeDisplay() { return m_txDelayTime; }
    CStaticTextDC& BpmDisplay() { return m_txBpm; }
    CStaticTextDC& NoteDisplay() { return m_txNote; }

private:
    void AddKnob(CBitmapKnob& knob, CRect rect, VSTGUI::CBitmap0* bitmap, int id, bool transparent);
    void AddFreqKnob(CBitmapFreqKnob& knob, CRect rect, int id);
    void AddDisplay(CStaticTextDC& display, CRect rect, int id, VSTGUI::CFontDesc* font, int editKind);
    void AddSwitch(CBitmapSwitch& control, int left, int top, VSTGUI::CBitmap0* off, VSTGUI::CBitmap0* on, int id);
    void Append(CControlBase& control) { m_controls.push_back(&control); }

    // Host automation gestures: a pointer press opens one gesture per parameter it changes,
    // the release closes them; a change outside a press is a gesture of its own.
    void ParameterFromUI(int id, float value, int kind);
    void EndGestures();
    // Shift (16) or Control (17) held now, read on the panel's own X connection.
    bool KeyHeld(int key) const;
    // Applies what parameter changes on other threads marked for the panel.
    void ApplyPendingViewChanges();

    // A press on the program button, the note display or the time-mode indicator, which the
    // view handles itself; false for any other control.
    bool PressOwnControl(CControlBase* control, VSTGUI::CDrawContext* context, CPoint point);
    void RunProgramMenu(VSTGUI::CDrawContext* context);
    void RunNoteMenu();
    void ChooseTimeMode(CPoint point);
    void RunSaveDialog();
    // A right-click on the panel's background: the menu of panel sizes, the current one checked.
    void RunSizeMenu();
    // No control, button or field at point.
    bool IsBackground(CPoint point) const;
    // Control-click on power: asks before every program returns to its factory values.
    void ConfirmAllFactory();
    // Shows the effect's alerts ("Failed to Save") over the panel, in its style.
    static void ShowAlert(void* view, const char* text);
    // The 32 program names as UTF-8, and pointers to them for the menu and the dialog.
    void ProgramNamesUtf8(char (*names)[80], char** pointers);

    VSTGUI::CFrame0* m_frame;
    VSTGUI::CControlListener* m_listener = nullptr;
    CStaticTextDC* m_focusEdit = nullptr;
    CDelayEditor* m_editor = nullptr;
    VSTGUI::CBitmap0* m_background = nullptr;

    VSTGUI::CBitmap0* m_bmKnob = nullptr;         // 3004
    VSTGUI::CBitmap0* m_bmPowerOff = nullptr;     // 3002
    VSTGUI::CBitmap0* m_bmPowerOn = nullptr;      // 3003
    VSTGUI::CBitmap0* m_bmMeter = nullptr;        // 3008
    VSTGUI::CBitmap0* m_bmFilterOff = nullptr;    // 3010
    VSTGUI::CBitmap0* m_bmFilterOn = nullptr;     // 3009
    VSTGUI::CBitmap0* m_bmTimeMode = nullptr;     // 5019
    VSTGUI::CBitmap0* m_bmProgramOff = nullptr;   // 3012
    VSTGUI::CBitmap0* m_bmProgramOn = nullptr;    // 3011
    VSTGUI::CBitmap0* m_bmSave = nullptr;         // 5016
    VSTGUI::CBitmap0* m_bmChanged = nullptr;      // 5017
    VSTGUI::CBitmap0* m_bmLargeKnob = nullptr;    // 5020

    CVSTWnd* m_parentRecord = nullptr;

    CBitmapSwitch m_swPower;
    CBitmapSwitch m_swProgram;
    CBitmapSwitch m_swHpf;
    CBitmapSwitch m_swLpf;
    CStateBitmapSwitch m_swTimeMode;
    CBitmapKnob m_knInput;
    CBitmapKnob m_knOutput;
    CBitmapKnob m_knTime;
    CBitmapKnob m_knFeedback;
    CBitmapKnob m_knBalance;
    CBitmapKnob m_knDepth;
    CBitmapKnob m_knRate;
    CBitmapFreqKnob m_knHpfFreq;
    CBitmapFreqKnob m_knLpfFreq;
    CStaticTextDC m_txOutput;
    CStaticTextDC m_txInput;
    CStaticTextDC m_txDelayTime;
    CStaticTextDC m_txBpm;
    CStaticTextDC m_txNote;
    CStaticTextDC m_txFeedback;
    CStaticTextDC m_txBalance;
    CStaticTextDC m_txDepth;
    CStaticTextDC m_txRate;
    CStaticTextDC m_txHpfFreq;
    CStaticTextDC m_txLpfFreq;

    std::vector<CControlBase*> m_controls;
    CRect m_changedRect;
    CRect m_nameRect;
    // The program and name the header shows; idle repaints it when either changes.
    int m_shownProgram = -1;
    char m_shownName[80] = {};
    void FollowProgramName();
    CMeterLevels m_meters;
    std::chrono::steady_clock::time_point m_lastIdle;

    bool m_pressing = false;
    enum class PressArea { Elsewhere, Save, ChangedMark };
    PressArea AreaAt(CPoint point) const;
    CRect SaveButtonRect() const;
    PressArea m_pressArea = PressArea::Elsewhere;
    bool m_confirmAllFactory = false;
    std::vector<int> m_openGestures;
};
