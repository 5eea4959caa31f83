#include "editor/CDelayEditor.h"

#include "editor/CUIWindow.h"
#include "editor/PanelScale.h"
#include "editor/PanelSettings.h"
#include "plugin/AudioEffect.h"
#include "port/Folders.h"
#include "toolkit/CBitmap0.h"
#include "toolkit/CFrame0.h"
#include "toolkit/PixelScale.h"
#include "toolkit/ResourceFolder.h"
#include "toolkit/X11View.h"

#include <atomic>
#include <chrono>
#include <dlfcn.h>
#include <mutex>

namespace {

constexpr long kBackgroundBitmap = 3005;

// Stored for hosts that ask; nothing in the panel reads it.
std::atomic<VstInt32> gKnobMode {0};

// Milliseconds of a sixtieth-of-a-second tick clock, in unsigned 32-bit arithmetic.
uint32_t TickClockMs()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const auto ticks = static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count() * 60 / 1000);
    return ticks * 1000u / 60u;
}

// Drawing text registers pango's GObject types, which can never be unregistered: if the host
// unloaded this library (and pango with it) and loaded it again, the stale registrations would
// crash it. Once a panel opens, the library stays loaded until the process ends.
void KeepLibraryLoaded()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Dl_info info {};
        if (::dladdr(reinterpret_cast<void*>(&KeepLibraryLoaded), &info) && info.dli_fname)
            ::dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    });
}

} // namespace

CDelayEditor::CDelayEditor(std::unique_ptr<CEditorEffect> link, AudioEffect* effect)
    : AEffEditor(effect), m_link(std::move(link))
{
    if (effect) effect->setEditor(this);
}

CDelayEditor::~CDelayEditor()
{
    // Only the effect deletes its editor, from its own destructor: it is no longer an effect
    // the panel may call, so a panel still open closes without it.
    m_effect = nullptr;
    m_link.reset();
    if (m_view) close();
    if (m_background) m_background->forget();
}

VSTGUI::CBitmap0* CDelayEditor::GetBackground(double scale)
{
    scale = VSTGUI::validScale(scale);
    if (m_background && m_backgroundScale != scale) {
        m_background->forget();
        m_background = nullptr;
    }
    if (!m_background) {
        // Bitmaps come from the Resources folder beside the loaded library; a host (or a tool
        // linking the editor in) that set the folder already keeps its choice.
        if (VSTGUI::GetResourceFolder().empty())
            VSTGUI::SetResourceFolder((GetModuleFolder() + "Resources/").c_str());
        m_background = new VSTGUI::CBitmap0(kBackgroundBitmap, scale);
        m_backgroundScale = scale;
    }
    return m_background;
}

void CDelayEditor::ChooseScale()
{
    const int percent = PanelSettings::InPreferences().ChosenPercent();
    if (percent > 0) {
        m_scale = percent / 100.0;
        return;
    }
    // The screen's settings once per editor: hosts may ask for the rectangle often.
    if (m_screenScale <= 0.0) m_screenScale = ScreenScale();
    m_scale = m_screenScale;
}

void CDelayEditor::UpdateRect()
{
    // The background's size in units is the same at every scale.
    VSTGUI::CBitmap0* background = m_background ? m_background : GetBackground(m_scale);
    m_rect.top = 0;
    m_rect.left = 0;
    m_rect.bottom = static_cast<int16_t>(VSTGUI::unitsToPixels(double(background->getHeight()), m_scale));
    m_rect.right = static_cast<int16_t>(VSTGUI::unitsToPixels(double(background->getWidth()), m_scale));
}

bool CDelayEditor::getRect(ERect** rect)
{
    if (!m_view) ChooseScale();
    UpdateRect();
    if (rect) *rect = &m_rect;
    return true;
}

bool CDelayEditor::open(void* parent)
{
    if (m_view) return true;
    KeepLibraryLoaded();
    ChooseScale();
    VSTGUI::CBitmap0* background = GetBackground(m_scale);
    UpdateRect();
    const VSTGUI::CCoord width = background->getWidth();
    const VSTGUI::CCoord height = background->getHeight();
    auto* frame = new VSTGUI::CFrame0(VSTGUI::CRect0(0, 0, width, height), parent, nullptr, this, m_scale);
    if (!frame->isOpen()) {
        // No X display or no usable parent window: tell the host there is no panel.
        frame->forget();
        return false;
    }
    m_systemWindow = parent;
    m_frame = frame;
    m_window.m_hWnd = parent;
    MakeView();
    return true;
}

void CDelayEditor::MakeView()
{
    VSTGUI::CBitmap0* background = GetBackground(m_scale);
    m_frame->setBackground(background);
    m_view = new CUIWindow(m_frame);
    m_frame->drawCallback = callback_draw;
    m_frame->mouseDownCallback = callback_mouseD;
    m_frame->mouseUpCallback = callback_mouseU;
    m_frame->mouseMovedCallback = callback_mouseM;
    m_frame->wheelCallback = callback_mouseW;
    m_frame->callbackUser = m_view;
    m_view->MakeWindow(&m_window, background, this);
    m_view->MoveWindow(0, 0, static_cast<int>(background->getWidth()), static_cast<int>(background->getHeight()), true);
}

void CDelayEditor::DeleteView()
{
    if (!m_view) return;
    m_view->DestroyWindow();
    delete m_view;
    m_view = nullptr;
}

bool CDelayEditor::ApplyScale(double scale)
{
    scale = VSTGUI::validScale(scale);
    if (scale == m_scale) return true;
    // The host may ask for the editor rectangle while it resizes: it answers the new size.
    const ERect previous = m_rect;
    const double previousScale = m_scale;
    m_scale = scale;
    UpdateRect();
    if (!m_link || !m_link->SizeWindow(m_rect.right - m_rect.left, m_rect.bottom - m_rect.top)) {
        m_scale = previousScale;
        m_rect = previous;
        return false;
    }
    PanelSettings::InPreferences().ChoosePercent(static_cast<int>(scale * 100.0 + 0.5));
    if (m_frame) {
        DeleteView();
        m_frame->callbackUser = nullptr;
        m_frame->setScale(scale);
        MakeView();
    }
    return true;
}

void CDelayEditor::close()
{
    m_systemWindow = nullptr;
    m_pendingScale = 0.0;
    DeleteView();
    // The frame goes too: its window leaves the host's window and its X connection closes.
    if (m_frame) {
        // A round trip first: cairo may still have a shared-memory attach in flight, which the
        // server must see before cairo detaches the segment while closing (else BadAccess).
        if (auto* view = static_cast<VSTGUI::X11View*>(m_frame->getPlatformView())) XSync(view->getDisplay(), False);
        m_frame->forget();
        m_frame = nullptr;
    }
}

void CDelayEditor::idle()
{
    if (!m_view) return;
    m_view->idle();
    m_frame->dispatchEvents();
    // A size chosen in the menu is applied here, outside the view's own event handling.
    if (m_pendingScale > 0.0 && m_view) {
        const double scale = m_pendingScale;
        m_pendingScale = 0.0;
        ApplyScale(scale);
    }
}

bool CDelayEditor::setKnobMode(VstInt32 mode)
{
    gKnobMode = mode;
    return true;
}

long CDelayEditor::getKnobMode() const
{
    return gKnobMode;
}

void CDelayEditor::doIdleStuff()
{
    const uint32_t clock = TickClockMs();
    const int32_t ahead = static_cast<int32_t>(m_nextIdleMs - clock);
    if (ahead > 54) return;
    idle();
    m_nextIdleMs = clock + (ahead > 0 ? 104u : 100u);
    m_inIdle = true;
    if (m_link) m_link->MasterIdle();
    m_inIdle = false;
}

void CDelayEditor::beginEdit(long index)
{
    if (m_link) m_link->BeginEdit(static_cast<int>(index));
}

void CDelayEditor::endEdit(long index)
{
    if (m_link) m_link->EndEdit(static_cast<int>(index));
}

void callback_draw(VSTGUI::CDrawContext* context, void* user, long left, long top, long right, long bottom)
{
    static_cast<CUIWindow*>(user)->draw(context, static_cast<int>(left), static_cast<int>(top),
                                        static_cast<int>(right), static_cast<int>(bottom));
}

void callback_mouseD(VSTGUI::CDrawContext* context, VSTGUI::CPoint0& where, long buttons, void* user)
{
    static_cast<CUIWindow*>(user)->mouseD(context, where, buttons);
}

void callback_mouseU(VSTGUI::CDrawContext* context, VSTGUI::CPoint0& where, long buttons, void* user)
{
    static_cast<CUIWindow*>(user)->mouseU(context, where, buttons);
}

void callback_mouseM(VSTGUI::CDrawContext* context, VSTGUI::CPoint0& where, long buttons, void* user)
{
    static_cast<CUIWindow*>(user)->mouseM(context, where, buttons);
}

// The vertical wheel turns the knob under the pointer; the horizontal one (distance 0 here)
// turns nothing, so a touchpad's sideways swipe cannot nudge a knob.
void callback_mouseW(VSTGUI::CDrawContext*, VSTGUI::CPoint0& where, long distance, long, void* user)
{
    static_cast<CUIWindow*>(user)->mouseW(where, distance);
}
