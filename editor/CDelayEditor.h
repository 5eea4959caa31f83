#pragma once
// The effect's editor object: reports the panel's size, and between open and close owns
// the frame (a child window of the host's window) and the main view that draws the panel.
// Everything here runs on the host's user-interface thread.
#include "editor/CVSTWnd.h"
#include "plugin/AEffEditor.h"
#include "toolkit/VSTGUIEditorInterface.h"

#include <cstdint>

class CUIWindow;

namespace VSTGUI {
class CBitmap0;
class CDrawContext;
class CFrame0;
struct CPoint0;
} // namespace VSTGUI

class CDelayEditor : public AEffEditor, public VSTGUI::VSTGUIEditorInterface {
public:
    explicit CDelayEditor(AudioEffect* effect);
    ~CDelayEditor() override;

    bool getRect(ERect** rect) override;
    bool open(void* parent) override;
    void close() override;
    void idle() override;
    VstInt32 mouse(VstInt32, VstIntPtr) override { return 0; }
    bool onKeyDown(VstKeyCode&) override { return false; }
    bool onKeyUp(VstKeyCode&) override { return false; }
    bool onWheel(float) override { return false; }
    bool setKnobMode(VstInt32 mode) override;

    // What the toolkit may ask of the editor.
    void doIdleStuff() override;
    long getKnobMode() const override;
    void beginEdit(long index) override;
    void endEdit(long index) override;

    CUIWindow* GetMainView() const { return m_view; }
    VSTGUI::CFrame0* GetFrame() const { return m_frame; }
    // The panel background (bitmap 3005), loaded on first use and kept while the editor lives.
    VSTGUI::CBitmap0* GetBackground();

private:
    ERect m_rect {};
    VSTGUI::CBitmap0* m_background = nullptr;
    CUIWindow* m_view = nullptr;
    VSTGUI::CFrame0* m_frame = nullptr;
    CVSTWnd m_window;
    uint32_t m_nextIdleMs = 0;
    bool m_inIdle = false;
};

// The frame's callbacks; user is the main view.
void callback_draw(VSTGUI::CDrawContext* context, void* user, long left, long top, long right, long bottom);
void callback_mouseD(VSTGUI::CDrawContext* context, VSTGUI::CPoint0& where, long buttons, void* user);
void callback_mouseU(VSTGUI::CDrawContext* context, VSTGUI::CPoint0& where, long buttons, void* user);
void callback_mouseM(VSTGUI::CDrawContext* context, VSTGUI::CPoint0& where, long buttons, void* user);
void callback_mouseW(VSTGUI::CDrawContext* context, VSTGUI::CPoint0& where, long distance, long distance2, void* user);
