// The panel at 100, 150 and 200 % in a host, under Xvfb: the size from the X resource Xft.dpi
// of the test server, the knob frames on screen against the 200 % strips, a drag and a typed
// value at 200 %, the size menu, the remembered choice and the host's resize answer.
// gtest first: X11's headers define None and Bool as macros.
#include <gtest/gtest.h>

#include "tests/editor/PanelHarness.h"
#include "tests/support/TempFolder.h"

#include <X11/Xatom.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

using namespace panel_test;

namespace {

// Panel points (units) the tests touch.
constexpr int kFeedbackTextX = 602, kFeedbackTextY = 112;
constexpr int kBackgroundX = 600, kBackgroundY = 60; // the header's empty right part
constexpr int kTimeKnobLeft = 112, kTimeKnobTop = 78, kTimeKnobSize = 113;
constexpr int kKnobFrames = 61;
// Pop-up menu rows: a 4-unit border and rows of 20 units.
constexpr int kMenuBorder = 4, kMenuRowUnits = 20;

std::string ScreenshotPath(const char* name)
{
    std::filesystem::create_directories(KESTRUNE_SCREENSHOT_DIR);
    return std::string(KESTRUNE_SCREENSHOT_DIR) + "/" + name;
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Sets the server's resource database (what xrdb does) to Xft.dpi of dpi.
void SetXftDpi(Display* display, const char* dpi)
{
    const std::string resources = std::string("Xft.dpi:\t") + dpi + "\n";
    XChangeProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(resources.c_str()), int(resources.size()));
    XSync(display, False);
}

// A right-click at a root point, then time for the menu to open.
void OpenSizeMenu(XDriver& d, std::pair<int, int> click)
{
    d.moveTo(click.first, click.second);
    std::this_thread::sleep_for(40ms);
    d.button(3, true);
    std::this_thread::sleep_for(40ms);
    d.button(3, false);
    std::this_thread::sleep_for(400ms);
}

class PanelScaleXvfbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(x.display, nullptr) << "needs an X server (run under xvfb-run)";
        ASSERT_TRUE(library.IsLoaded()) << library.Error();
    }
    void TearDown() override
    {
        session.reset();
        SetXftDpi(x.display, "96");
    }
    // A new instance and its panel on a screen of that dpi.
    void OpenAt(const char* dpi)
    {
        session.reset();
        SetXftDpi(x.display, dpi);
        session = std::make_unique<PanelSession>(library, x, 0, 0);
        ASSERT_TRUE(session->Open());
        session->StartAudio(0.0f);
        session->IdleFor(300ms);
    }
    double Scale() const { return session->width / 750.0; }
    // Root position of a panel unit point at the panel's size.
    std::pair<int, int> At(int unitX, int unitY)
    {
        return session->at(int(unitX * Scale()), int(unitY * Scale()));
    }
    std::pair<int, int> Rect()
    {
        ERect* rect = nullptr;
        session->fx.Dispatch(effEditGetRect, 0, 0, &rect);
        return rect ? std::make_pair(rect->right - rect->left, rect->bottom - rect->top) : std::make_pair(0, 0);
    }
    // The size of the panel's own window inside the host's.
    std::pair<int, int> PanelWindowSize()
    {
        const std::vector<Window> panel = x.children(session->host);
        if (panel.size() != 1) return {0, 0};
        XWindowAttributes attributes {};
        XGetWindowAttributes(x.display, panel[0], &attributes);
        return {attributes.width, attributes.height};
    }
    cairo_surface_t* Capture()
    {
        session->IdleFor(200ms);
        return x.capture(session->host, session->width, session->height);
    }
    void Screenshot(const char* name)
    {
        cairo_surface_t* shot = Capture();
        EXPECT_EQ(cairo_surface_write_to_png(shot, ScreenshotPath(name).c_str()), CAIRO_STATUS_SUCCESS);
        cairo_surface_destroy(shot);
    }
    // The feedback knob dragged along the same path in panel units at any size.
    float DragFeedback()
    {
        const double s = Scale();
        const auto root = session->at(0, 0);
        auto point = [&](int ux, int uy) { return std::make_pair(root.first + int(ux * s), root.second + int(uy * s)); };
        EXPECT_TRUE(session->Drive([&](XDriver& d) { DragThrough(d, point, 524, 111, 538, 76, 556, 90); },
            [&] { return !session->Events(audioMasterEndEdit).empty(); }));
        return session->fx.GetParameter(4);
    }
    // Right-clicks the background and picks menu item `item` (0: 100 %, 1: 150 %, 2: 200 %).
    void ChooseSize(int item)
    {
        const double s = Scale();
        const auto click = At(kBackgroundX, kBackgroundY);
        // The menu opens one pixel below and right of the click.
        const int itemX = click.first + 1 + int(30 * s);
        const int itemY = click.second + 1 + int((kMenuBorder + kMenuRowUnits * item + kMenuRowUnits / 2) * s);
        session->Drive(
            [&](XDriver& d) {
                OpenSizeMenu(d, click);
                d.click(itemX, itemY);
            },
            [&] { return !session->Events(audioMasterSizeWindow).empty(); });
        session->IdleFor(200ms);
    }
    std::string SettingsPath() const { return config.Path() + "Kestrune/Panel.conf"; }

    TempFolder config;
    ScopedEnv configHome {"XDG_CONFIG_HOME", config.Path().c_str()};
    ScopedEnv noGdk {"GDK_SCALE", nullptr};
    ScopedEnv noQt {"QT_SCALE_FACTOR", nullptr};
    XDriver x;
    VstLibrary library {KESTRUNE_BUNDLE};
    std::unique_ptr<PanelSession> session;
};

TEST_F(PanelScaleXvfbTest, RectangleAndWindowFollowTheScreensDpi)
{
    struct Size {
        const char* dpi;
        int width, height;
        const char* shot;
    };
    for (const Size& size : {Size {"96", 750, 332, "scale-100.png"}, Size {"144", 1125, 498, "scale-150.png"},
                             Size {"192", 1500, 664, "scale-200.png"}}) {
        OpenAt(size.dpi);
        EXPECT_EQ(Rect(), std::make_pair(size.width, size.height)) << size.dpi;
        EXPECT_EQ(PanelWindowSize(), std::make_pair(size.width, size.height)) << size.dpi;
        Screenshot(size.shot);
    }
    EXPECT_FALSE(std::filesystem::exists(SettingsPath())); // the screen's size is not a choice
}

TEST_F(PanelScaleXvfbTest, KnobOnScreenIsA200PercentFrameAndADragMatches100Percent)
{
    cairo_surface_t* strip = cairo_image_surface_create_from_png(KESTRUNE_BUNDLE "/Resources/5020@2x.png");
    ASSERT_EQ(cairo_surface_status(strip), CAIRO_STATUS_SUCCESS);
    const int side = 2 * kTimeKnobSize;
    ASSERT_EQ(cairo_image_surface_get_height(strip), side * kKnobFrames);

    OpenAt("192");
    ASSERT_EQ(Scale(), 2.0);
    cairo_surface_t* shot = Capture();
    // Exactly one frame of the strip, pixel for pixel.
    int exact = -1;
    for (int frame = 0; frame < kKnobFrames && exact < 0; ++frame) {
        int differing = 0;
        for (int y = 0; y < side && differing == 0; ++y)
            for (int xx = 0; xx < side; ++xx)
                differing += pixelAt(shot, 2 * kTimeKnobLeft + xx, 2 * kTimeKnobTop + y)
                             != pixelAt(strip, xx, frame * side + y);
        if (differing == 0) exact = frame;
    }
    cairo_surface_destroy(shot);
    cairo_surface_destroy(strip);
    EXPECT_GE(exact, 0) << "the time knob on screen is no frame of the 200 % strip";

    const float at200 = DragFeedback();
    OpenAt("96");
    ASSERT_EQ(Scale(), 1.0);
    const float at100 = DragFeedback();
    EXPECT_GT(at100, 0.7f); // the drag turned the knob a long way
    EXPECT_EQ(at200, at100); // the same path in units gives the same value
}

TEST_F(PanelScaleXvfbTest, TypedValueAt200Percent)
{
    OpenAt("192");
    const auto field = At(kFeedbackTextX, kFeedbackTextY);
    std::atomic<int> fieldWidth {0};
    const Window panel = x.children(session->host).at(0);
    ASSERT_TRUE(session->Drive(
        [&](XDriver& d) {
            d.click(field.first, field.second);
            std::this_thread::sleep_for(300ms);
            // The field's own window lies over the value, at the panel's size.
            for (Window child : d.children(panel)) {
                XWindowAttributes attributes {};
                XGetWindowAttributes(d.display, child, &attributes);
                fieldWidth = attributes.width;
            }
            d.type("62.5");
            d.tap(XK_Return);
        },
        [&] { return session->fx.ParameterDisplay(4) == "62.5"; }));
    EXPECT_GT(fieldWidth.load(), 50); // 34 units wide, less its inset: more than 50 pixels only at 200 %
}

TEST_F(PanelScaleXvfbTest, SizeMenuResizesWhenTheHostAgreesAndIsRemembered)
{
    OpenAt("96");
    session->fx.SetAcceptsResize(false);
    ChooseSize(2);
    std::vector<HostEvent> asked = session->Events(audioMasterSizeWindow);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].index, 1500);
    EXPECT_EQ(asked[0].value, 664);
    // Refused: the panel keeps its size and nothing is remembered.
    EXPECT_EQ(Rect(), std::make_pair(750, 332));
    EXPECT_EQ(PanelWindowSize(), std::make_pair(750, 332));
    EXPECT_FALSE(std::filesystem::exists(SettingsPath()));

    session->fx.ClearEvents();
    session->fx.SetAcceptsResize(true);
    ChooseSize(2);
    asked = session->Events(audioMasterSizeWindow);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(Rect(), std::make_pair(1500, 664));
    EXPECT_EQ(PanelWindowSize(), std::make_pair(1500, 664));
    EXPECT_EQ(ReadText(SettingsPath()), "# Kestrune panel\nsize=200\n");
    // The host grows its window; the panel draws itself whole at the new size.
    XResizeWindow(x.display, session->host, 1500, 664 + PanelSession::kHostBand);
    XSync(x.display, False);
    session->width = 1500;
    session->height = 664;
    Screenshot("scale-menu-200.png");

    // The next panel, in a new instance, opens at the chosen size on a 96 dpi screen, and
    // its menu goes back to 100 %.
    OpenAt("96");
    EXPECT_EQ(Rect(), std::make_pair(1500, 664));
    EXPECT_EQ(PanelWindowSize(), std::make_pair(1500, 664));
    session->fx.SetAcceptsResize(true);
    ChooseSize(0);
    EXPECT_EQ(Rect(), std::make_pair(750, 332));
    EXPECT_EQ(ReadText(SettingsPath()), "# Kestrune panel\nsize=100\n");
}

// The save dialog, the alert and the size menu at twice their 100 % size; screenshots.
TEST_F(PanelScaleXvfbTest, DialogAlertAndMenuScaleWithThePanel)
{
    constexpr int kPowerX = 33, kPowerY = 27;
    // Opens a window with a click (with Control held for the alert), measures it, shoots it
    // at 200 % and closes it with Escape.
    auto measure = [&](const char* title, int unitX, int unitY, bool control, const char* shotName) {
        const auto at = At(unitX, unitY);
        std::atomic<int> width {0}, height {0};
        session->Drive(
            [&](XDriver& d) {
                if (control)
                    d.clickWith(XK_Control_L, at.first, at.second, 50ms);
                else
                    d.click(at.first, at.second);
                const Window window = d.waitForWindow(title);
                if (!window) return;
                std::this_thread::sleep_for(300ms);
                XWindowAttributes attributes {};
                XGetWindowAttributes(d.display, window, &attributes);
                if (Scale() == 2.0) {
                    cairo_surface_t* shot = d.capture(window, attributes.width, attributes.height);
                    cairo_surface_write_to_png(shot, ScreenshotPath(shotName).c_str());
                    cairo_surface_destroy(shot);
                }
                height = attributes.height;
                width = attributes.width;
                d.tap(XK_Escape);
            },
            [&] { return width > 0; }, 8000ms);
        session->IdleFor(200ms);
        return std::make_pair(width.load(), height.load());
    };
    std::pair<int, int> dialog[2], alert[2];
    const char* dpis[2] = {"96", "192"};
    for (int k = 0; k < 2; ++k) {
        OpenAt(dpis[k]);
        dialog[k] = measure("Save Program", kSaveX, kSaveY, false, "scale-200-save-dialog.png");
        alert[k] = measure("Kestrune", kPowerX, kPowerY, true, "scale-200-alert.png");
    }
    EXPECT_GT(dialog[0].first, 100);
    EXPECT_EQ(dialog[1], std::make_pair(2 * dialog[0].first, 2 * dialog[0].second));
    EXPECT_GT(alert[0].first, 100);
    EXPECT_EQ(alert[1], std::make_pair(2 * alert[0].first, 2 * alert[0].second));
    EXPECT_EQ(session->fx.GetParameter(0), 1.0f); // Escape cancelled: power stays on

    // The size menu at 200 %: three rows of 40 pixels with their borders.
    const auto click = At(kBackgroundX, kBackgroundY);
    std::atomic<int> lightRows {0};
    session->Drive(
        [&](XDriver& d) {
            OpenSizeMenu(d, click);
            const int height = 2 * (2 * kMenuBorder + 3 * kMenuRowUnits);
            cairo_surface_t* shot = d.capture(DefaultRootWindow(d.display), 240, height + 20, click.first + 1,
                                              click.second + 1);
            cairo_surface_write_to_png(shot, ScreenshotPath("scale-200-size-menu.png").c_str());
            // The menu's light face covers the whole height at this size, and not beyond it.
            for (int y = 0; y < height + 20; ++y) lightRows += ((pixelAt(shot, 40, y) >> 8) & 0xFF) > 0xC0;
            cairo_surface_destroy(shot);
            d.tap(XK_Escape);
        },
        [] { return true; });
    EXPECT_GE(lightRows.load(), 2 * 2 * kMenuRowUnits); // two light rows (the checked one is highlighted)
    EXPECT_LE(lightRows.load(), 2 * (2 * kMenuBorder + 3 * kMenuRowUnits));
}

} // namespace
