#pragma once
// A modal message or question in the panel's style, centred over the panel: the message
// and a row of buttons. Return takes the focused button (the default one at first), Escape
// the cancel button; Tab, Shift-Tab and the arrow keys move between buttons, Space presses.
#include "toolkit/CFrame0.h"

#include <string>
#include <vector>

namespace VSTGUI {

class PanelAlert : public CFrame0 {
public:
    // centreOver: the panel's window; transientFor: its top-level window.
    PanelAlert(const std::string& message, std::vector<std::string> buttons, int defaultButton, int cancelButton,
               unsigned long transientFor, unsigned long centreOver, double scale = 1.0);

    bool isFinished() const { return chosen >= 0; }
    int choice() const { return chosen; }
    // Where button i sits, in the alert's own units.
    CRect0 buttonRect(int i) const;

    bool onKeyDown(unsigned long keysym, long modifiers) override;
    void onCloseRequest() override { chosen = cancel; }

    static constexpr const char* kTitle = "Kestrune";

private:
    static CRect0 sizeFor(const std::vector<std::string>& lines, size_t buttonCount);
    static void drawThunk(CDrawContext* context, void* user, long left, long top, long right, long bottom);
    static void downThunk(CDrawContext* context, CPoint0& where, long buttons, void* user);
    static void upThunk(CDrawContext* context, CPoint0& where, long buttons, void* user);
    void paint(CDrawContext* context);
    int buttonAt(const CPoint0& where) const;
    void setFocus(int button);

    std::vector<std::string> lines;
    std::vector<std::string> buttons;
    int defaultButton;
    int cancel;
    int focus;
    int pressed = -1;
    int chosen = -1;
};

// Words of message broken into lines no wider than width pixels in the alert's font.
std::vector<std::string> WrapAlertText(const std::string& message, double width);

} // namespace VSTGUI

// Runs a PanelAlert over view (the panel's platform view; null centres it on the screen),
// keeping the panel painted underneath. Returns the chosen button's index, or cancelButton
// when no window can be shown.
int RunPanelAlert(void* view, const char* message, const std::vector<std::string>& buttons, int defaultButton,
                  int cancelButton);
