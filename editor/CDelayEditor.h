#pragma once
// The effect's editor object: reports the panel's size, and between open and close owns
// the frame (a child window of the host's window) and the main view that draws the panel.
// Everything here runs on the host's user-interface thread.
#include "editor/CEditorEffect.h"
#include "editor/CVSTWnd.h"
#include "plugin/AEffEditor.h"
#include "toolkit/VSTGUIEditorInterface.h"

#include <cstdint>
#include <memory>

class CUIWindow;

namespace VSTGUI {
class CBitmap0;
class CDrawContext;
class CFrame0;
struct CPoint0;
} // namespace VSTGUI

class CDelayEditor : public AEffEditor, public VSTGUI::VSTGUIEditorInterface {
public:
    // The panel acts on the effect through link; effect (may be null) is the VST effect object
    // whose editor this becomes.
    CDelayEditor(std::unique_ptr<CEditorEffect> link, AudioEffect* effect);
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

    // What the panel acts on; null once the effect is going away.
    CEditorEffect* GetEditorEffect() const { return m_link.get(); }
    CUIWindow* GetMainView() const { return m_view; }
    VSTGUI::CFrame0* GetFrame() const { return m_frame; }
    // The panel background (bitmap 3005) at a scale, loaded on first use and kept while the
    // editor lives (until another scale is asked for). Its size is in panel units.
    VSTGUI::CBitmap0* GetBackground(double scale = 1.0);

    // Pixels per unit of the panel: the size chosen in the size menu (remembered in the
    // preferences folder), or else the one that fits the screen. Read again at each
    // editor-rectangle request while no panel is open.
    double GetScale() const { return m_scale; }
    // Asks for another panel size; the next idle asks the host to resize its window and,
    // when it agrees, redraws the panel at that size and remembers the choice.
    void RequestScale(double scale) { m_pendingScale = scale; }
    // What RequestScale leads to, at once: false (and nothing changes) when the host refuses.
    bool ApplyScale(double scale);

private:
    void ChooseScale();
    void UpdateRect();
    // Makes the main view over the frame at the frame's scale.
    void MakeView();
    void DeleteView();

    std::unique_ptr<CEditorEffect> m_link;
    ERect m_rect {};
    double m_scale = 1.0;
    double m_pendingScale = 0.0;
    double m_screenScale = 0.0;
    VSTGUI::CBitmap0* m_background = nullptr;
    double m_backgroundScale = 1.0;
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
