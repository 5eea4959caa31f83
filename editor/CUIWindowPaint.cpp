// The main view's painting: the whole panel composed offscreen and copied once, the four
// level meters and the "ms" label.
#include "editor/CUIWindow.h"

#include "editor/EditorFonts.h"
#include "editor/CEditorEffect.h"
#include "toolkit/CBitmap0.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/COffscreenContext.h"

namespace {

constexpr int kMeterLefts[CMeterLevels::kCount] = {46, 55, 703, 712};
constexpr int kMeterTop = 82;
constexpr VSTGUI::CColor kPanelFontColour(155, 212, 242, 255);

VSTGUI::CRect0 ToRect0(int left, int top, int right, int bottom)
{
    return VSTGUI::CRect0(left, top, right, bottom);
}

} // namespace

void CUIWindow::draw(VSTGUI::CDrawContext* context, int left, int top, int right, int bottom)
{
    if (!context || !m_background) return;
    const VSTGUI::CRect0 clip = ToRect0(left, top, right, bottom);
    context->setClipRect(clip);
    const VSTGUI::CCoord width = m_background->getWidth();
    const VSTGUI::CCoord height = m_background->getHeight();
    if (width <= 0 || height <= 0) return;

    auto* bitmap = new VSTGUI::CBitmap0(m_frame, width, height);
    auto* offscreen = new VSTGUI::COffscreenContext(context, bitmap, true);
    offscreen->setClipRect(clip);
    m_background->draw(offscreen, VSTGUI::CRect0(0, 0, width, height), VSTGUI::CPoint0(0, 0));
    offscreen->setFontColor(kPanelFontColour);
    for (CControlBase* control : m_controls)
        control->DrawControl(offscreen);
    DrawVU(offscreen);
    DrawUnit(offscreen);
    DrawProgramName(offscreen);
    const VSTGUI::CCoord saveWidth = m_bmSave->getWidth();
    const VSTGUI::CCoord saveHalf = m_bmSave->getHeight() / 2;
    m_bmSave->draw(offscreen, VSTGUI::CRect0(kSaveLeft, kSaveTop, kSaveLeft + saveWidth, kSaveTop + saveHalf),
                   VSTGUI::CPoint0(0, 0));
    const VSTGUI::CCoord markHalf = m_bmChanged->getHeight() / 2;
    const int changed = GetEffect()->IsProgramChanged() ? 1 : 0;
    m_bmChanged->draw(offscreen,
                      VSTGUI::CRect0(m_changedRect.left, m_changedRect.top,
                                     m_changedRect.left + m_bmChanged->getWidth(), m_changedRect.top + markHalf),
                      VSTGUI::CPoint0(0, changed * markHalf));
    offscreen->copyFrom(context, VSTGUI::CRect0(0, 0, width, height), VSTGUI::CPoint0(0, 0));
    offscreen->forget();
    bitmap->forget();
}

void CUIWindow::DrawVU(VSTGUI::CDrawContext* context)
{
    if (!context || !m_bmMeter || !m_bmMeter->isLoaded()) return;
    const VSTGUI::CCoord half = m_bmMeter->getWidth() / 2;
    const VSTGUI::CCoord height = m_bmMeter->getHeight();
    if (half <= 0 || height <= 0) return;
    for (int i = 0; i < CMeterLevels::kCount; ++i) {
        auto* bitmap = new VSTGUI::CBitmap0(m_frame, half, height);
        auto* offscreen = new VSTGUI::COffscreenContext(context, bitmap, true);
        m_bmMeter->draw(offscreen, VSTGUI::CRect0(0, 0, half, height), VSTGUI::CPoint0(0, 0));
        const int row = CMeterLevels::LitTopRow(m_meters.Level(i));
        VSTGUI::CRect0 lit(0, row, half, height);
        m_bmMeter->draw(offscreen, lit.normalize(), VSTGUI::CPoint0(half, row));
        const int x = kMeterLefts[i];
        offscreen->copyFrom(context, VSTGUI::CRect0(x, kMeterTop, x + half, kMeterTop + height), VSTGUI::CPoint0(0, 0));
        offscreen->forget();
        bitmap->forget();
    }
}

void CUIWindow::DrawUnit(VSTGUI::CDrawContext* context)
{
    if (!context) return;
    context->setFont(TempoFont(), 0, -1);
    VSTGUI::CColor colour = VSTGUI::CColor::fromWord(colFont);
    colour.alpha = 255;
    context->setFontColor(colour);
    VSTGUI::CCoord textWidth = 0;
    VSTGUI::CCoord lineHeight = 0;
    context->getString("ms", textWidth, lineHeight);
    context->drawString("ms", ToRect0(422, 99, 422 + static_cast<int>(textWidth), 103 + static_cast<int>(lineHeight)),
                        false, VSTGUI::kRightText);
}

void CUIWindow::DrawProgramName(VSTGUI::CDrawContext* context)
{
    if (!context) return;
    constexpr long kNameSize = 14;
    constexpr int kInset = 4;
    const CRect& r = m_nameRect;
    FitFontToWidth(context, TempoFont(), kNameSize, m_shownName, double(r.Width() - 2 * kInset));
    VSTGUI::CColor colour = VSTGUI::CColor::fromWord(colFont);
    colour.alpha = 255;
    context->setFontColor(colour);
    context->drawString(m_shownName, ToRect0(r.left + kInset, r.top, r.right - kInset, r.bottom), false,
                        VSTGUI::kLeftText);
}
