// Modal parts under Xvfb: the save dialog, the alert, the pop-up menu's limits and the
// modifier state. (Typing into fields and menus by pointer and keys run in the panel's
// own Xvfb tests.)
#include <gtest/gtest.h> // before X11, whose macros clash with its names

#include "TestImages.h"
#include "XvfbHarness.h"
#include "port/UiServices.h"
#include "toolkit/PopupMenu.h"
#include "toolkit/PresetSave.h"
#include "toolkit/ResourceFolder.h"
#include "toolkit/X11View.h"

#include <cstring>

using namespace VSTGUI;
using namespace toolkit_test;
using toolkit_test::pixelAt;

namespace {

class ControlsTest : public ::testing::Test {
protected:
    Host host;
    CFrame0* frame = nullptr;
    void SetUp() override
    {
        ASSERT_NE(host.display, nullptr) << "no X display: run under xvfb-run";
        frame = new CFrame0(CRect0(0, 0, 300, 200), host.parent(), nullptr, nullptr);
        ASSERT_TRUE(frame->isOpen());
        frame->dispatchEvents();
    }
    void TearDown() override
    {
        if (frame)
            frame->forget();
    }
    X11View* view() const { return static_cast<X11View*>(frame->getPlatformView()); }
};

} // namespace

// Without an event to place it a menu opens nowhere; 32 programs fit a small screen.
TEST_F(ControlsTest, MenuWithoutEventAndRowsForSmallScreens)
{
    char* none = nullptr;
    EXPECT_EQ(DoPopupMenu(nullptr, view(), 0, &none, 1), -1);
    EXPECT_EQ(PopupMenu::rowHeightFor(32, 1024), 20);
    EXPECT_LE(PopupMenu::rowHeightFor(32, 480) * 32 + 8, 480);
}

namespace {

class DialogTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        SetResourceFolder(KESTRUNE_SOURCE_RESOURCES);
        for (int i = 0; i < 32; ++i)
            names.push_back("Program " + std::to_string(i));
        for (std::string& n : names)
            pointers.push_back(n.data());
    }
    void TearDown() override
    {
        SetResourceFolder(nullptr);
        ControlsTest::TearDown();
    }
    int run(std::vector<std::function<void()>> steps)
    {
        Script script(std::move(steps));
        std::memset(name, 'x', sizeof name);
        return DoModalPresetDialog(view(), name, sizeof name, 4, pointers.data(), 32);
    }
    // Root position of a dialog element's centre.
    std::pair<int, int> at(const char* element)
    {
        InterfaceFile file;
        std::string error;
        file.load(std::string(KESTRUNE_SOURCE_RESOURCES) + "/PresetSave", error);
        const InterfaceElement* e = file.outlet(element) ? file.outlet(element) : file.withAction(element);
        const Window dialog = host.findWindow("Save Program");
        EXPECT_NE(dialog, 0u);
        return host.rootOf(dialog, int(e->rect.left + e->rect.width() / 2), int(e->rect.top + e->rect.height() / 2));
    }
    std::vector<std::string> names;
    std::vector<char*> pointers;
    char name[256];
};

} // namespace

TEST_F(DialogTest, TypedNameAndReturnSaveTheCurrentProgram)
{
    uint32_t okFill = 0;
    int okCyan = 0, cancelCyan = 0;
    const int result = run({[&] { host.type("warm:lead"); },
                            [&] {
                                const Window dialog = host.findWindow("Save Program");
                                cairo_surface_t* shot = host.capture(dialog, 380, 168);
                                saveShot(shot, "save-dialog.png");
                                okFill = pixelAt(shot, 284, 128);
                                // The display colour of the panel's text, red 101 green 224 blue 254.
                                auto cyan = [&](int left) {
                                    int n = 0;
                                    for (int y = 124; y < 152; ++y)
                                        for (int x = left + 4; x < left + 80; ++x) {
                                            const uint32_t p = pixelAt(shot, x, y);
                                            n += (p & 0xFF) > 200 && ((p >> 8) & 0xFF) > 170 && ((p >> 16) & 0xFF) < 150;
                                        }
                                    return n;
                                };
                                okCyan = cyan(280);
                                cancelCyan = cyan(184);
                                cairo_surface_destroy(shot);
                            },
                            [&] { host.tap(XK_Return); }});
    EXPECT_EQ(okFill & 0xFFFFFF, 0x44484Eu); // the panel's button metal, not a system blue
    EXPECT_GT(okCyan, 10);                    // OK is the default: its caption in the display colour
    EXPECT_EQ(cancelCyan, 0);
    EXPECT_EQ(result, 4);
    EXPECT_STREQ(name, "lead"); // the part after the first colon
}

TEST_F(DialogTest, EscapeAndCancelButtonReturnMinusOne)
{
    EXPECT_EQ(run({[&] { host.type("zz"); }, [&] { host.tap(XK_Escape); }}), -1);
    EXPECT_EQ(run({[&] { auto p = at("OnCANCEL:"); host.click(p.first, p.second); }}), -1);
    EXPECT_EQ(host.findWindow("Save Program"), 0u); // the window is gone
}

TEST_F(DialogTest, OnlyOneDialogRunsAtATime)
{
    int nested = -2;
    const int result = run({[&] {
                                char inner[16];
                                nested = DoModalPresetDialog(view(), inner, sizeof inner, 0, pointers.data(), 32);
                            },
                            [&] { host.tap(XK_Return); }});
    EXPECT_EQ(nested, -1);
    EXPECT_EQ(result, 4);
    EXPECT_STREQ(name, "Program 4");
}

TEST_F(ControlsTest, KeyStateFollowsTheServerModifiers)
{
    EXPECT_EQ(GetKeyState(16), 0);
    host.key(XK_Shift_L, true);
    XSync(host.display, False);
    EXPECT_EQ(GetKeyState(16), short(-32768));
    EXPECT_EQ(GetKeyState(17), 0);
    host.key(XK_Shift_L, false);
    host.key(XK_Control_L, true);
    XSync(host.display, False);
    EXPECT_EQ(GetKeyState(17), short(-32768));
    EXPECT_EQ(GetKeyState(16), 0);
    host.key(XK_Control_L, false);
    XSync(host.display, False);
    EXPECT_EQ(GetKeyState(17), 0);
    EXPECT_EQ(GetKeyState(20), 0);
}

TEST_F(ControlsTest, AlertWaitsForOkAndReturns1000)
{
    // The alert runs its own loop: a helper thread with its own connection presses Return.
    std::thread presser([] {
        Display* display = XOpenDisplay(nullptr);
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, XK_Return), True, CurrentTime);
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, XK_Return), False, CurrentTime);
        XCloseDisplay(display);
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(AfxMessageBoxN("Failed to Save"), 1000);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300)); // it did wait
    presser.join();
}
