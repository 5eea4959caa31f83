// One knob, one switch and one text display in a real frame under Xvfb, driven by XTest:
// the knob dragged around its arc, the switch clicked, a value typed into the display.
// Pictures are checked against the frames of the panel's own bitmap strips.
#include <gtest/gtest.h> // before X11, whose macros clash with its names

#include "ControlTestSupport.h"
#include "XvfbHarness.h"
#include "editor/CBitmapKnob.h"
#include "editor/CBitmapSwitch.h"
#include "editor/CStaticEdit.h"
#include "editor/CStaticTextDC.h"
#include "effect/AKestrune.h"
#include "effect/CVstEditorEffect.h"
#include "port/UiServices.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/ResourceFolder.h"
#include "toolkit/X11View.h"

#include <cmath>
#include <cstdlib>
#include <limits>

using namespace controls_test;
using namespace toolkit_test;

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 200;
constexpr int kKnobFrames = 61;
const CRect kKnobRect(20, 20, 71, 71); // 51 × 51, as the strip 3004
const CPoint kKnobCentre(45, 45);
const CRect kDisplayRect(150, 100, 220, 120);
const CPoint kEmpty(250, 180);

// A main view in miniature: routes the frame's pointer events to the controls the way the
// panel does, and paints them over black.
class Panel : public TestOwner {
public:
    explicit Panel(void* parent)
    {
        frame = new VSTGUI::CFrame0(VSTGUI::CRect0(0, 0, kWidth, kHeight), parent, nullptr, nullptr);
        frame->drawCallback = Draw;
        frame->mouseDownCallback = Down;
        frame->mouseUpCallback = Up;
        frame->mouseMovedCallback = Moved;
        frame->callbackUser = this;
        effect = &link;
    }
    ~Panel() { frame->forget(); }

    static void Draw(VSTGUI::CDrawContext* context, void* user, long left, long top, long right, long bottom)
    {
        auto* panel = static_cast<Panel*>(user);
        context->setFillColor(VSTGUI::kBlackCColor);
        context->drawRect(VSTGUI::CRect0(left, top, right, bottom), VSTGUI::kDrawFilled);
        for (CControlBase* control : panel->controls)
            control->DrawControl(context);
    }
    static void Down(VSTGUI::CDrawContext* context, VSTGUI::CPoint0& where, long buttons, void* user)
    {
        auto* panel = static_cast<Panel*>(user);
        const CPoint pt(int(where.h), int(where.v));
        if (!(buttons & 2))
            return;
        for (CControlBase* control : panel->controls) {
            if (control->PtInControl(pt)) {
                if (buttons & 1024)
                    control->LButtonDblClk(context);
                else
                    control->LButtonDown(context);
            } else if (control->m_editKind != 0) {
                control->HideEdit();
            }
        }
    }
    static void Up(VSTGUI::CDrawContext* context, VSTGUI::CPoint0& where, long buttons, void* user)
    {
        if (!(buttons & 2))
            return;
        for (CControlBase* control : static_cast<Panel*>(user)->controls)
            if (control->IsTracking())
                control->LButtonUp(CPoint(int(where.h), int(where.v)), context);
    }
    static void Moved(VSTGUI::CDrawContext* context, VSTGUI::CPoint0& where, long, void* user)
    {
        for (CControlBase* control : static_cast<Panel*>(user)->controls)
            if (control->IsTracking())
                control->MouseMove(CPoint(int(where.h), int(where.v)), context);
    }

    AKestrune plugin{nullptr};
    CVstEditorEffect link{plugin};
    std::vector<CControlBase*> controls;
};

// Mean absolute difference per channel between a screenshot area and a frame of a strip
// drawn over black (the strip's premultiplied colour).
double difference(cairo_surface_t* shot, const CRect& area, cairo_surface_t* strip, int frame)
{
    const int height = area.Height();
    double sum = 0.0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < area.Width(); ++x) {
            const uint32_t seen = rgbAt(shot, area.left + x, area.top + y);
            const uint32_t want = rgbAt(strip, x, frame * height + y);
            for (int shift = 0; shift <= 16; shift += 8)
                sum += std::abs(int((seen >> shift) & 0xFF) - int((want >> shift) & 0xFF));
        }
    return sum / (3.0 * area.Width() * height);
}

// The strip frame that the screenshot area matches best.
int bestFrame(cairo_surface_t* shot, const CRect& area, cairo_surface_t* strip, int frames)
{
    int best = -1;
    double bestDifference = std::numeric_limits<double>::max();
    for (int k = 0; k < frames; ++k) {
        const double d = difference(shot, area, strip, k);
        if (d < bestDifference) {
            bestDifference = d;
            best = k;
        }
    }
    return best;
}

class ControlsXvfbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(host.display, nullptr) << "no X display: run under xvfb-run";
        VSTGUI::SetResourceFolder(KESTRUNE_RESOURCES_DIR);
        knobStrip = new VSTGUI::CBitmap0(3004);
        switchOff = new VSTGUI::CBitmap0(3010);
        switchOn = new VSTGUI::CBitmap0(3009);
        ASSERT_TRUE(knobStrip->isLoaded() && switchOff->isLoaded() && switchOn->isLoaded());
        ASSERT_EQ(knobStrip->getHeight(), 51 * kKnobFrames);

        panel = std::make_unique<Panel>(host.parent());
        ASSERT_TRUE(panel->frame->isOpen());
        CRect none;
        CRect knobRect = kKnobRect;
        knob.Make(knobRect, none, panel.get(), knobStrip, 0.0f, 1.0f, 4, kKnobFrames, 30.0f, 330.0f, 8, 0, 1,
                  CallbackLog::Record, &knobLog);
        switchRect = CRect(20, 120, 20 + int(switchOff->getWidth()), 120 + int(switchOff->getHeight()) / 2);
        button.Make(switchRect, panel.get(), switchOff, switchOn, 0, 8, none, 0, CallbackLog::Record, &switchLog, 0);
        CRect displayRect = kDisplayRect;
        display.Make(10, displayRect, panel.get(), nullptr, 0x303030u, 0x00FEE065u, &font, 1, 0,
                     CallbackLog::Record, &displayLog, nullptr, panel.get());
        display.SetReferenceParam(panel->plugin.GetParam(kHpfFreq));
        panel->controls = {&knob, &button, &display};
        panel->frame->invalidRect(VSTGUI::CRect0(0, 0, kWidth, kHeight));
        settle();
    }
    void TearDown() override
    {
        display.HideEdit();
        panel.reset();
        for (VSTGUI::CBitmap0* bitmap : {knobStrip, switchOff, switchOn})
            if (bitmap)
                bitmap->forget();
        VSTGUI::SetResourceFolder(nullptr);
    }

    Window window() const { return static_cast<VSTGUI::X11View*>(panel->frame->getPlatformView())->getWindow(); }
    std::pair<int, int> root(CPoint pt) { return host.rootOf(window(), pt.x, pt.y); }
    void moveTo(CPoint pt)
    {
        const auto [x, y] = root(pt);
        host.moveTo(x, y);
    }
    // Lets the frame handle what has arrived (pointer, keys, exposes).
    void settle() { pump(*panel->frame, [] { return false; }, 150); }
    // A point at angle degrees clockwise from straight down, radius pixels from the centre.
    static CPoint onArc(double degrees, double radius = 20.0)
    {
        const double a = degrees * 3.14159265358979 / 180.0;
        return CPoint(kKnobCentre.x + int(std::lround(-radius * std::sin(a))),
                      kKnobCentre.y + int(std::lround(radius * std::cos(a))));
    }
    int knobFrameOnScreen()
    {
        settle();
        cairo_surface_t* shot = host.capture(window(), kWidth, kHeight);
        const int frame = bestFrame(shot, kKnobRect, knobStrip->getSurface(), kKnobFrames);
        cairo_surface_destroy(shot);
        return frame;
    }

    Host host;
    std::unique_ptr<Panel> panel;
    VSTGUI::CBitmap0* knobStrip = nullptr;
    VSTGUI::CBitmap0* switchOff = nullptr;
    VSTGUI::CBitmap0* switchOn = nullptr;
    VSTGUI::CFontDesc font{"Helvetica", 11, 0};
    CRect switchRect;
    CBitmapKnob knob;
    CBitmapSwitch button;
    CStaticTextDC display;
    CallbackLog knobLog, switchLog, displayLog;
};

} // namespace

TEST_F(ControlsXvfbTest, KnobFollowsADragAroundItsArc)
{
    EXPECT_EQ(knobFrameOnScreen(), 30);

    moveTo(onArc(180.0));
    settle();
    host.button(1, true);
    // Down the left side to the bottom, past the end stop into the dead zone.
    for (double degrees : {150.0, 120.0, 90.0, 60.0, 45.0, 15.0, 0.0}) {
        moveTo(onArc(degrees));
        settle();
    }
    EXPECT_EQ(knob.GetValue(), 0.0f);
    EXPECT_EQ(knobFrameOnScreen(), 0);
    // Back up and over to the right: the knob turns from its end stop by the pointer's
    // 270 degrees, to 300 degrees: 0.9, frame 54.
    for (double degrees : {90.0, 180.0, 270.0}) {
        moveTo(onArc(degrees));
        settle();
    }
    host.button(1, false);
    settle();
    EXPECT_FALSE(knob.IsTracking());
    EXPECT_NEAR(knob.GetValue(), 0.9, 0.01);
    EXPECT_EQ(knobFrameOnScreen(), 54);

    // Every turning move reported; the values fell and rose with the pointer.
    ASSERT_GE(knobLog.count(), 8u);
    for (const Report& report : knobLog.reports) {
        EXPECT_EQ(report.id, 4);
        EXPECT_EQ(report.kind, 0);
        EXPECT_GE(report.value, 0.0f);
        EXPECT_LE(report.value, 1.0f);
    }
    // The first moves: 150, 120 and 90 degrees (pixel rounding of the points moves them a little).
    EXPECT_NEAR(knobLog.reports[0].value, 0.4, 0.01);
    EXPECT_NEAR(knobLog.reports[1].value, 0.3, 0.01);
    EXPECT_NEAR(knobLog.reports[2].value, 0.2, 0.01);
    EXPECT_EQ(knobLog.last().value, knob.GetValue());

    // A drag that starts on the background and ends on the knob leaves it alone.
    const size_t before = knobLog.count();
    moveTo(kEmpty);
    settle();
    host.button(1, true);
    moveTo(onArc(90.0));
    settle();
    host.button(1, false);
    settle();
    EXPECT_EQ(knobLog.count(), before);
    EXPECT_NEAR(knob.GetValue(), 0.9, 0.01);
}

TEST_F(ControlsXvfbTest, SwitchTogglesOnClick)
{
    cairo_surface_t* shot = host.capture(window(), kWidth, kHeight);
    EXPECT_LT(difference(shot, switchRect, switchOff->getSurface(), 0), 2.0);
    cairo_surface_destroy(shot);

    const auto [x, y] = root(CPoint(switchRect.left + 10, switchRect.top + 5));
    host.click(x, y);
    settle();
    ASSERT_EQ(switchLog.count(), 1u);
    EXPECT_EQ(switchLog.last().id, 8);
    EXPECT_EQ(switchLog.last().value, 1.0f);
    EXPECT_FALSE(button.IsDown());

    shot = host.capture(window(), kWidth, kHeight);
    EXPECT_LT(difference(shot, switchRect, switchOn->getSurface(), 0), 2.0);
    EXPECT_GT(difference(shot, switchRect, switchOff->getSurface(), 0), 2.0);
    cairo_surface_destroy(shot);
}

TEST_F(ControlsXvfbTest, TypedValueCommitsOnReturnOnly)
{
    const CPoint inside(kDisplayRect.left + 20, kDisplayRect.top + 10);
    {
        const auto [x, y] = root(inside);
        host.click(x, y);
    }
    ASSERT_TRUE(pump(*panel->frame, [&] { return display.IsEditing(); }));
    EXPECT_EQ(panel->focus, &display);
    host.type("440");
    host.tap(XK_Return);
    ASSERT_TRUE(pump(*panel->frame, [&] { return displayLog.count() == 1; }));
    EXPECT_EQ(displayLog.last().id, kHpfFreq);
    EXPECT_EQ(displayLog.last().kind, 1);
    EXPECT_EQ(displayLog.last().value, 420.0f / 19980.0f);
    EXPECT_FALSE(display.IsEditing());
    EXPECT_EQ(panel->focus, nullptr);

    // Escape closes without committing.
    {
        const auto [x, y] = root(inside);
        host.click(x, y);
    }
    ASSERT_TRUE(pump(*panel->frame, [&] { return display.IsEditing(); }));
    host.type("999");
    host.tap(XK_Escape);
    ASSERT_TRUE(pump(*panel->frame, [&] { return !display.IsEditing(); }));

    // So does a click elsewhere on the panel.
    {
        const auto [x, y] = root(inside);
        host.click(x, y);
    }
    ASSERT_TRUE(pump(*panel->frame, [&] { return display.IsEditing(); }));
    host.type("777");
    {
        const auto [x, y] = root(kEmpty);
        host.click(x, y);
    }
    ASSERT_TRUE(pump(*panel->frame, [&] { return !display.IsEditing() && panel->focus == nullptr; }));
    settle();
    EXPECT_EQ(displayLog.count(), 1u);
    EXPECT_FALSE(panel->frame->isChild(display.GetEditField()));
}
