#include "toolkit/PanelAlert.h"

#include "toolkit/ButtonState.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/ModalLoop.h"
#include "toolkit/PanelStyle.h"
#include "toolkit/X11View.h"

#include <X11/keysym.h>
#include <algorithm>

namespace VSTGUI {
namespace {

constexpr int kMargin = 20;
constexpr int kLineHeight = 18;
constexpr int kButtonHeight = 28;
constexpr int kButtonGap = 10;
constexpr int kMinButtonWidth = 84;
constexpr double kMaxTextWidth = 420.0;
constexpr double kMinWidth = 300.0;

double textWidth(const std::string& text)
{
    CDrawContext measure(nullptr, nullptr, 1, 1);
    measure.setFont(PanelStyle::textFont());
    return measure.getStringWidth(text.c_str());
}

int buttonWidth(const std::string& caption)
{
    CDrawContext measure(nullptr, nullptr, 1, 1);
    measure.setFont(PanelStyle::boldFont());
    return std::max(kMinButtonWidth, int(measure.getStringWidth(caption.c_str())) + 24);
}

} // namespace

std::vector<std::string> WrapAlertText(const std::string& message, double width)
{
    std::vector<std::string> out;
    std::string line;
    size_t at = 0;
    while (at < message.size()) {
        const size_t space = message.find(' ', at);
        const std::string word = message.substr(at, space == std::string::npos ? std::string::npos : space - at);
        at = space == std::string::npos ? message.size() : space + 1;
        const std::string longer = line.empty() ? word : line + " " + word;
        if (!line.empty() && textWidth(longer) > width) {
            out.push_back(line);
            line = word;
        } else {
            line = longer;
        }
    }
    if (!line.empty() || out.empty())
        out.push_back(line);
    return out;
}

CRect0 PanelAlert::sizeFor(const std::vector<std::string>& lines, size_t buttonCount)
{
    double widest = kMinWidth - 2 * kMargin;
    for (const std::string& line : lines)
        widest = std::max(widest, textWidth(line));
    const double buttonsWidth = double(buttonCount) * (kMinButtonWidth + kButtonGap);
    const double width = std::max(widest, buttonsWidth) + 2 * kMargin;
    const double height = kMargin + double(lines.size()) * kLineHeight + kMargin + kButtonHeight + kMargin;
    return CRect0(0, 0, CCoord(width), CCoord(height));
}

PanelAlert::PanelAlert(const std::string& message, std::vector<std::string> captions, int defaultIndex,
                       int cancelIndex, unsigned long transientFor, unsigned long centreOver, double scale)
    : CFrame0(sizeFor(WrapAlertText(message, kMaxTextWidth), captions.size()), kTitle, transientFor, scale),
      lines(WrapAlertText(message, kMaxTextWidth)), buttons(std::move(captions)), defaultButton(defaultIndex),
      cancel(cancelIndex), focus(defaultIndex)
{
    drawCallback = drawThunk;
    mouseDownCallback = downThunk;
    mouseUpCallback = upThunk;
    callbackUser = this;
    if (auto* view = static_cast<X11View*>(getPlatformView())) {
        if (centreOver)
            view->centreOver(Window(centreOver));
        view->takeKeyboardFocus();
    }
}

CRect0 PanelAlert::buttonRect(int i) const
{
    // Right-aligned row, in the order given.
    CCoord right = size.right - kMargin;
    const CCoord top = size.bottom - kMargin - kButtonHeight;
    for (int k = int(buttons.size()) - 1; k >= 0; --k) {
        const int width = buttonWidth(buttons[size_t(k)]);
        if (k == i)
            return CRect0(right - width, top, right, top + kButtonHeight);
        right -= width + kButtonGap;
    }
    return CRect0();
}

int PanelAlert::buttonAt(const CPoint0& where) const
{
    for (int i = 0; i < int(buttons.size()); ++i)
        if (buttonRect(i).pointInside(where))
            return i;
    return -1;
}

void PanelAlert::setFocus(int button)
{
    const int count = int(buttons.size());
    if (count == 0)
        return;
    focus = (button % count + count) % count;
    invalidRect(size);
}

bool PanelAlert::onKeyDown(unsigned long keysym, long modifiers)
{
    switch (keysym) {
    case XK_Return:
    case XK_KP_Enter:
    case XK_space:
        chosen = focus;
        return true;
    case XK_Escape:
        chosen = cancel;
        return true;
    case XK_Tab:
        setFocus((modifiers & kShift) ? focus - 1 : focus + 1);
        return true;
    case XK_ISO_Left_Tab:
    case XK_Left:
        setFocus(focus - 1);
        return true;
    case XK_Right:
        setFocus(focus + 1);
        return true;
    default:
        return false;
    }
}

void PanelAlert::drawThunk(CDrawContext* context, void* user, long, long, long, long)
{
    static_cast<PanelAlert*>(user)->paint(context);
}

void PanelAlert::downThunk(CDrawContext*, CPoint0& where, long buttonWord, void* user)
{
    auto* alert = static_cast<PanelAlert*>(user);
    if (!(buttonWord & kLButton))
        return;
    alert->pressed = alert->buttonAt(where);
    alert->invalidRect(alert->size);
}

void PanelAlert::upThunk(CDrawContext*, CPoint0& where, long buttonWord, void* user)
{
    auto* alert = static_cast<PanelAlert*>(user);
    if (!(buttonWord & kLButton))
        return;
    const int was = alert->pressed;
    alert->pressed = -1;
    alert->invalidRect(alert->size);
    if (was >= 0 && alert->buttonAt(where) == was)
        alert->chosen = was;
}

void PanelAlert::paint(CDrawContext* context)
{
    PanelStyle::paintBackground(context, size);
    context->setFont(PanelStyle::textFont());
    context->setFontColor(PanelStyle::kLabel);
    CCoord top = kMargin;
    for (const std::string& line : lines) {
        context->drawString(line.c_str(), CRect0(kMargin, top, size.right - kMargin, top + kLineHeight), false,
                            kLeftText);
        top += kLineHeight;
    }
    for (int i = 0; i < int(buttons.size()); ++i)
        PanelStyle::paintButton(context, buttonRect(i), buttons[size_t(i)], i == defaultButton, i == pressed,
                                i == focus);
}

} // namespace VSTGUI

int RunPanelAlert(void* view, const char* message, const std::vector<std::string>& buttons, int defaultButton,
                  int cancelButton)
{
    auto* panel = static_cast<VSTGUI::X11View*>(view);
    if (panel) {
        // Whatever closed just before (the save dialog) leaves the panel repainted first.
        XSync(panel->getDisplay(), False);
        VSTGUI::ModalLoop::drain(panel->getDisplay(), panel->getFrame());
    }
    auto* alert = new VSTGUI::PanelAlert(message ? message : "", buttons, defaultButton, cancelButton,
                                         panel ? panel->getTopLevel() : 0, panel ? panel->getWindow() : 0,
                                         panel ? panel->getFrame()->getScale() : 1.0);
    int result = cancelButton;
    if (auto* own = static_cast<VSTGUI::X11View*>(alert->getPlatformView())) {
        std::vector<Display*> displays {own->getDisplay()};
        if (panel)
            displays.push_back(panel->getDisplay()); // the panel keeps repainting underneath
        VSTGUI::ModalLoop::run(displays, static_cast<VSTGUI::CFrame0*>(alert), [alert] { return alert->isFinished(); });
        result = alert->choice();
    }
    alert->forget();
    return result;
}
