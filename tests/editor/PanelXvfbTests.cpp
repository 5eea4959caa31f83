// The panel in a host, under Xvfb: Kestrune.so loaded by the test host, its editor opened in
// a window of ours and idled at 30 Hz while audio runs, driven with XTest.
// gtest first: X11's headers define None and Bool as macros.
#include <gtest/gtest.h>

#include "tests/editor/DisplayOpens.h"
#include "tests/editor/PanelHarness.h"
#include "tests/support/TempFolder.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

using namespace panel_test;

#define VSTGUI_ALERT_TITLE "Kestrune"

namespace {

// Panel points (frame pixels) of the controls the tests touch.
constexpr int kPowerX = 33, kPowerY = 27;
constexpr int kProgramX = 118, kProgramY = 27;
constexpr int kChangedX = 417, kChangedY = 27;
constexpr int kHpfX = 424, kHpfY = 310;
constexpr int kDelayTextX = 373, kDelayTextY = 107;
constexpr int kBpmTextX = 299, kBpmTextY = 153;
constexpr int kNoteTextX = 428, kNoteTextY = 153;
constexpr int kModeY = 193, kModeMsX = 295, kModeBpmX = 359, kModeHostX = 423;
constexpr int kFeedbackX = 539, kFeedbackY = 96;
constexpr int kSaveLowerHalfY = 12 + 36; // inside the save bitmap's undrawn lower half

constexpr int kBankHeader = 160;
constexpr int kRecordBytes = 88;
constexpr int kNameOffset = 60;

std::string ScreenshotPath(const char* name)
{
    std::filesystem::create_directories(KESTRUNE_SCREENSHOT_DIR);
    return std::string(KESTRUNE_SCREENSHOT_DIR) + "/" + name;
}

std::vector<unsigned char> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

std::string RecordName(const std::vector<unsigned char>& bank, int record)
{
    const size_t at = size_t(kBankHeader + record * kRecordBytes + kNameOffset);
    if (bank.size() < at + 24) return "<short file>";
    return std::string(reinterpret_cast<const char*>(&bank[at]), strnlen(reinterpret_cast<const char*>(&bank[at]), 24));
}

// Opcodes 43, 0 and 44 for one parameter, in the order the host received them.
std::vector<int32_t> Gestures(VstInstance& fx, int32_t index)
{
    std::vector<int32_t> sequence;
    for (const HostEvent& e : fx.Events())
        if ((e.opcode == audioMasterBeginEdit || e.opcode == audioMasterAutomate || e.opcode == audioMasterEndEdit)
            && e.index == index)
            sequence.push_back(e.opcode);
    return sequence;
}

// Begin, at least one automation, end; nothing else.
bool IsOneGesture(const std::vector<int32_t>& sequence)
{
    if (sequence.size() < 3 || sequence.front() != audioMasterBeginEdit || sequence.back() != audioMasterEndEdit)
        return false;
    return std::all_of(sequence.begin() + 1, sequence.end() - 1, [](int32_t op) { return op == audioMasterAutomate; });
}

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(x.display, nullptr) << "needs an X server (run under xvfb-run)";
        ASSERT_TRUE(library.IsLoaded()) << library.Error();
        session = std::make_unique<PanelSession>(library, x, 0, 0);
        ASSERT_TRUE(session->Open());
        session->StartAudio(0.0f);
        session->IdleFor(300ms);
    }
    void TearDown() override { session.reset(); }

    VstInstance& fx() { return session->fx; }
    bool ClickPanel(int px, int py, const std::function<bool()>& done)
    {
        const auto p = session->at(px, py);
        return session->Drive([p](XDriver& d) { d.click(p.first, p.second); }, done);
    }
    // Clicks a text display, types text and presses Return.
    bool TypeInto(int px, int py, const std::string& text, const std::function<bool()>& done)
    {
        const auto p = session->at(px, py);
        return session->Drive(
            [p, text](XDriver& d) {
                d.click(p.first, p.second);
                std::this_thread::sleep_for(300ms);
                d.type(text);
                d.tap(XK_Return);
            },
            done);
    }
    // Presses on the time knob and drags up and right: a change if the knob takes drags.
    void DragTimeKnob()
    {
        const auto knob = session->at(140, 170), knobEnd = session->at(200, 100);
        session->Drive(
            [&](XDriver& d) {
                d.moveTo(knob.first, knob.second);
                d.button(true);
                d.moveTo(knobEnd.first, knobEnd.second);
                std::this_thread::sleep_for(60ms);
                d.button(false);
            },
            [] { return true; });
    }
    void Screenshot(const char* name)
    {
        session->IdleFor(200ms);
        cairo_surface_t* shot = x.capture(session->host, session->width, session->height);
        EXPECT_EQ(cairo_surface_write_to_png(shot, ScreenshotPath(name).c_str()), CAIRO_STATUS_SUCCESS);
        cairo_surface_destroy(shot);
    }
    std::string BankPath() const { return config.Path() + "Kestrune/KestruneDef.fxb"; }

    TempFolder config;
    ScopedEnv configHome {"XDG_CONFIG_HOME", config.Path().c_str()};
    XDriver x;
    VstLibrary library {KESTRUNE_BUNDLE};
    std::unique_ptr<PanelSession> session;
};

} // namespace

TEST_F(PanelTest, RectangleBeforeOpenAndWindowLifetime)
{
    EXPECT_EQ(session->width, 750);
    EXPECT_EQ(session->height, 332);
    const std::vector<Window> panel = x.children(session->host);
    ASSERT_EQ(panel.size(), 1u); // the frame's child window
    Atom embed = XInternAtom(x.display, "_XEMBED_INFO", True);
    ASSERT_NE(embed, None);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(x.display, panel[0], embed, 0, 2, False, AnyPropertyType, &type, &format, &count, &after, &data);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(reinterpret_cast<long*>(data)[0], 0);     // protocol version
    EXPECT_EQ(reinterpret_cast<long*>(data)[1] & 1, 1); // mapped flag
    XFree(data);
    EXPECT_TRUE(session->Open()); // a second open leaves the panel as it is
    EXPECT_EQ(x.children(session->host), panel);
    session->Close();
    XSync(x.display, False);
    EXPECT_TRUE(x.children(session->host).empty()); // nothing of the editor outlives its close
}

TEST_F(PanelTest, KnobDragIsOneHostGesture)
{
    const float before = fx().GetParameter(4);
    fx().ClearEvents();
    ASSERT_TRUE(session->Drive(
        [&](XDriver& d) { DragThrough(d, [&](int px, int py) { return session->at(px, py); }, 524, 111, 538, 76, 556, 90); },
        [&] { return !fx().EventsOf(audioMasterEndEdit).empty(); }));
    const std::vector<int32_t> sequence = Gestures(fx(), 4);
    EXPECT_TRUE(IsOneGesture(sequence)) << "events: " << sequence.size();
    EXPECT_GT(sequence.size(), 5u); // an automation for each move
    EXPECT_GT(fx().GetParameter(4), before + 0.3f);
    EXPECT_EQ(fx().EventsOf(audioMasterBeginEdit).size(), 1u); // no other parameter took part

    // The changed mark returns the program to its stored values.
    ASSERT_TRUE(ClickPanel(kChangedX, kChangedY, [&] { return fx().GetParameter(4) == before; }));
}

TEST_F(PanelTest, SwitchClicksAreOneGestureEach)
{
    ASSERT_EQ(fx().GetParameter(0), 1.0f);
    fx().ClearEvents();
    ASSERT_TRUE(ClickPanel(kPowerX, kPowerY, [&] { return fx().GetParameter(0) == 0.0f; }));
    session->IdleFor(150ms);
    EXPECT_TRUE(IsOneGesture(Gestures(fx(), 0)));
    ASSERT_TRUE(ClickPanel(kPowerX, kPowerY, [&] { return fx().GetParameter(0) == 1.0f; }));

    ASSERT_EQ(fx().GetParameter(8), 0.0f);
    ASSERT_TRUE(ClickPanel(kHpfX, kHpfY, [&] { return fx().GetParameter(8) == 1.0f; }));
    session->IdleFor(150ms);
    EXPECT_TRUE(IsOneGesture(Gestures(fx(), 8)));
}

TEST_F(PanelTest, ShiftClickOnPowerRestoresTheFactoryProgram)
{
    const float factory = fx().GetParameter(4);
    fx().SetParameter(4, 0.9f);
    session->IdleFor(100ms);
    fx().ClearEvents();
    const auto power = session->at(kPowerX, kPowerY);
    ASSERT_TRUE(session->Drive(
        [&](XDriver& d) {
            d.clickWith(XK_Shift_L, power.first, power.second, 100ms);
        },
        [&] { return fx().GetParameter(4) == factory; }));
    session->IdleFor(100ms);
    EXPECT_EQ(fx().GetParameter(0), 1.0f); // the click itself switched nothing off
    EXPECT_TRUE(Gestures(fx(), 0).empty());
}

TEST_F(PanelTest, ProgramMenuByPointerAndByKeys)
{
    const std::string fifth = fx().StringOf(effGetProgramNameIndexed, 5);
    const std::string second = fx().StringOf(effGetProgramNameIndexed, 2);
    ASSERT_NE(fifth, second);
    const auto button = session->at(kProgramX, kProgramY);
    ASSERT_TRUE(session->Drive(
        [&](XDriver& d) {
            d.click(button.first, button.second);
            std::this_thread::sleep_for(400ms);
            d.click(button.first + 1 + 40, button.second + 1 + 4 + 5 * kMenuRow + 10);
        },
        [&] { return fx().ProgramName() == fifth; }))
        << fx().ProgramName();
    EXPECT_EQ(RecordName(ReadFile(BankPath()), 0), fifth); // the default bank is rewritten

    ASSERT_TRUE(session->Drive(
        [&](XDriver& d) {
            d.click(button.first, button.second);
            std::this_thread::sleep_for(400ms);
            d.tap(XK_Down); // from the checked current program (0) to 2
            d.tap(XK_Down);
            d.tap(XK_Return);
        },
        [&] { return fx().ProgramName() == second; }))
        << fx().ProgramName();
    EXPECT_EQ(RecordName(ReadFile(BankPath()), 0), second);
}

TEST_F(PanelTest, SaveDialogProposesNamesSelectedAndWorksFromTheKeys)
{
    const auto save = session->at(kSaveX, kSaveY);
    // By pointer: a slot chosen from the list proposes its name selected; typing replaces it.
    ASSERT_TRUE(session->Drive(
        [&](XDriver& d) {
            d.click(save.first, save.second);
            const Window dialog = d.waitForWindow("Save Program");
            ASSERT_NE(dialog, 0u);
            const auto list = d.rootOf(dialog, 104 + 130, 16 + 13); // mList's centre
            d.click(list.first, list.second);
            std::this_thread::sleep_for(400ms);
            d.click(list.first, list.second + 13 + 4 + 7 * kMenuRow + 10); // item 7
            std::this_thread::sleep_for(300ms);
            d.type("tape7");
            d.tap(XK_Return);
        },
        [&] { return fx().Dispatch(effGetProgram) == 7; }, 10000ms));
    EXPECT_EQ(fx().ProgramName(), "tape7");
    EXPECT_EQ(RecordName(ReadFile(BankPath()), 7), "tape7");
    EXPECT_EQ(x.findWindow("Save Program"), 0u);

    // By keys alone: Shift-Tab to the list, two down, Tab to the name (selected), a name far
    // too long, Tab to Cancel, Tab to OK, Space.
    std::string counterShown;
    ASSERT_TRUE(session->Drive(
        [&](XDriver& d) {
            d.click(save.first, save.second);
            const Window dialog = d.waitForWindow("Save Program");
            ASSERT_NE(dialog, 0u);
            d.tapWith(XK_Shift_L, XK_Tab);
            d.tap(XK_Down);
            d.tap(XK_Down);
            d.tap(XK_Tab);
            d.type(std::string(40, 'w'));
            std::this_thread::sleep_for(200ms);
            cairo_surface_t* shot = d.capture(dialog, 380, 168);
            cairo_surface_write_to_png(shot, ScreenshotPath("save-dialog-full-name.png").c_str());
            cairo_surface_destroy(shot);
            d.tap(XK_Tab);
            d.tap(XK_Tab);
            d.tap(XK_space);
        },
        [&] { return fx().Dispatch(effGetProgram) == 9; }, 10000ms));
    EXPECT_EQ(fx().ProgramName(), std::string(23, 'w')); // the field took what a name holds
    EXPECT_EQ(RecordName(ReadFile(BankPath()), 9), std::string(23, 'w'));
}

TEST_F(PanelTest, ControlClickOnPowerAsksBeforeEveryProgramReturnsToFactory)
{
    const float factory = fx().GetParameter(4);
    fx().SetParameter(4, 0.9f);
    session->IdleFor(100ms);
    const auto power = session->at(kPowerX, kPowerY);
    auto controlClickThen = [&](const std::function<void(XDriver&, Window)>& answer) {
        std::atomic<bool> asked {false};
        session->Drive(
            [&](XDriver& d) {
                d.clickWith(XK_Control_L, power.first, power.second, 50ms);
                const Window question = d.waitForWindow(VSTGUI_ALERT_TITLE);
                asked = question != 0;
                if (question) answer(d, question);
            },
            [] { return true; }, 8000ms);
        session->IdleFor(200ms);
        return asked.load();
    };
    // Return takes the default, Cancel: nothing changes.
    ASSERT_TRUE(controlClickThen([](XDriver& d, Window) { d.tap(XK_Return); }));
    EXPECT_EQ(fx().GetParameter(4), 0.9f);
    EXPECT_EQ(fx().GetParameter(0), 1.0f);
    EXPECT_EQ(x.findWindow(VSTGUI_ALERT_TITLE), 0u);
    // The confirming button returns the programs to their factory values.
    ASSERT_TRUE(controlClickThen([&](XDriver& d, Window question) {
        XWindowAttributes attributes;
        XGetWindowAttributes(d.display, question, &attributes);
        cairo_surface_t* shot = d.capture(question, attributes.width, attributes.height);
        cairo_surface_write_to_png(shot, ScreenshotPath("confirm-factory.png").c_str());
        cairo_surface_destroy(shot);
        const auto confirm = d.rootOf(question, attributes.width - 20 - 40, attributes.height - 20 - 14);
        d.click(confirm.first, confirm.second);
    }));
    EXPECT_EQ(fx().GetParameter(4), factory);
}

TEST_F(PanelTest, FailedSaveAlertSitsOverThePanelInItsStyle)
{
    session->IdleFor(200ms);
    cairo_surface_t* before = x.capture(session->host, session->width, session->height);
    // The preferences folder cannot be made: a file stands where it would go.
    std::filesystem::remove_all(config.Path() + "Kestrune");
    std::ofstream(config.Path() + "Kestrune") << "in the way";
    const auto save = session->at(kSaveX, kSaveY);
    std::atomic<int> alertX {-1}, alertY {-1}, alertW {0}, alertH {0};
    std::atomic<bool> dialogGone {false};
    cairo_surface_t* during = nullptr;
    ASSERT_TRUE(session->Drive(
        [&](XDriver& d) {
            d.click(save.first, save.second);
            ASSERT_NE(d.waitForWindow("Save Program"), 0u);
            d.tap(XK_Return);
            const Window alert = d.waitForWindow(VSTGUI_ALERT_TITLE);
            ASSERT_NE(alert, 0u);
            std::this_thread::sleep_for(300ms);
            dialogGone = d.findWindow("Save Program") == 0;
            XWindowAttributes attributes;
            XGetWindowAttributes(d.display, alert, &attributes);
            const auto origin = d.rootOf(alert, 0, 0);
            alertX = origin.first;
            alertY = origin.second;
            alertW = attributes.width;
            alertH = attributes.height;
            during = d.capture(DefaultRootWindow(d.display), 750, 332);
            cairo_surface_write_to_png(during, ScreenshotPath("failed-to-save.png").c_str());
            d.tap(XK_Return);
        },
        [&] { return x.findWindow(VSTGUI_ALERT_TITLE) == 0; }, 12000ms));
    ASSERT_NE(during, nullptr);
    EXPECT_TRUE(dialogGone.load());
    // Centred over the panel (the host window sits at the root's origin).
    EXPECT_NEAR(alertX + alertW / 2, session->width / 2, 1);
    EXPECT_NEAR(alertY + alertH / 2, session->height / 2, 1);
    // Beside the alert, where the save dialog was, the panel shows again (meters aside).
    const int dialogTop = (session->height + PanelSession::kHostBand - 168) / 2;
    EXPECT_LT(differingPixels(before, during, 186, dialogTop, 560, alertY), 40);
    // The panel's dark metal, not a light system grey.
    const uint32_t back = pixelAt(during, alertX + 6, alertY + alertH / 2);
    EXPECT_LT(((back >> 16) & 0xFF) + ((back >> 8) & 0xFF) + (back & 0xFF), 3u * 90u);
    cairo_surface_destroy(during);
    cairo_surface_destroy(before);
}

// Summed brightness of a rectangle of a capture.
long Brightness(cairo_surface_t* shot, int left, int top, int right, int bottom)
{
    long sum = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            const uint32_t p = pixelAt(shot, x, y);
            sum += long((p >> 16) & 0xFF) + long((p >> 8) & 0xFF) + long(p & 0xFF);
        }
    return sum;
}

// Near-white pixels of a rectangle.
int BrightPixels(cairo_surface_t* shot, int left, int top, int right, int bottom)
{
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            const uint32_t p = pixelAt(shot, x, y);
            count += ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) > 600;
        }
    return count;
}

TEST_F(PanelTest, TimeModesNoteMenuAndScreenshots)
{
    Screenshot("panel-ms.png");
    cairo_surface_t* ms = x.capture(session->host, session->width, session->height);
    ASSERT_TRUE(ClickPanel(kModeBpmX, kModeY, [&] { return fx().GetParameter(12) == 0.5f; }));
    session->IdleFor(150ms);
    cairo_surface_t* bpm = x.capture(session->host, session->width, session->height);
    // What does nothing in a mode looks it: the BPM and note fields are dimmed in MS mode.
    EXPECT_LT(Brightness(ms, 269, 140, 329, 167) * 10, Brightness(bpm, 269, 140, 329, 167) * 9);
    EXPECT_LT(Brightness(ms, 400, 140, 456, 167) * 10, Brightness(bpm, 400, 140, 456, 167) * 9);
    session->IdleFor(150ms);
    EXPECT_TRUE(IsOneGesture(Gestures(fx(), 12)));
    // BPM: the tempo field takes typing, the delay-time field does not.
    ASSERT_TRUE(TypeInto(kBpmTextX, kBpmTextY, "140", [&] { return fx().ParameterDisplay(14) == "140.0"; }))
        << fx().ParameterDisplay(14);
    const float delay = fx().GetParameter(3);
    fx().ClearEvents();
    TypeInto(kDelayTextX, kDelayTextY, "999", [] { return true; });
    session->IdleFor(200ms);
    EXPECT_EQ(fx().GetParameter(3), delay);
    EXPECT_TRUE(Gestures(fx(), 3).empty());
    Screenshot("panel-bpm.png");

    ASSERT_TRUE(ClickPanel(kModeHostX, kModeY, [&] { return fx().GetParameter(12) == 1.0f; }));
    session->IdleFor(150ms);
    cairo_surface_t* host = x.capture(session->host, session->width, session->height);
    // The time knob, which takes no drag in HOST mode, is dimmed there.
    // Its pointer and ticks lose their light: far fewer near-white pixels.
    EXPECT_LT(BrightPixels(host, 112, 78, 225, 191) * 3, BrightPixels(bpm, 112, 78, 225, 191));
    cairo_surface_destroy(host);
    cairo_surface_destroy(bpm);
    cairo_surface_destroy(ms);
    // HOST: the time knob refuses drags; the note menu is offered.
    fx().ClearEvents();
    DragTimeKnob();
    session->IdleFor(150ms);
    EXPECT_TRUE(Gestures(fx(), 3).empty());
    EXPECT_TRUE(Gestures(fx(), 14).empty());
    const auto note = session->at(kNoteTextX, kNoteTextY);
    fx().ClearEvents();
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const bool chosen = session->Drive(
        [&](XDriver& d) {
            d.click(note.first, note.second);
            std::this_thread::sleep_for(400ms);
            d.click(note.first + 1 + 40, note.second + 1 + 4 + 9 * kMenuRow + 10); // "1 Bar"
        },
        [&] { return fx().ParameterDisplay(13) == "1 Bar"; });
    std::fflush(stdout);
    // The host's terminal stays clean: menus log to the system log, if anywhere.
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_TRUE(chosen) << fx().ParameterDisplay(13);
    // A menu choice is a whole gesture at once: no end left waiting for a later release.
    EXPECT_TRUE(IsOneGesture(Gestures(fx(), 13)));
    Screenshot("panel-host.png");
    ASSERT_TRUE(ClickPanel(kModeMsX, kModeY, [&] { return fx().GetParameter(12) == 0.0f; }));
}

TEST_F(PanelTest, MetersFollowTheAudioAndFallBack)
{
    cairo_surface_t* meter = cairo_image_surface_create_from_png(KESTRUNE_BUNDLE "/Resources/3008.png");
    ASSERT_EQ(cairo_surface_status(meter), CAIRO_STATUS_SUCCESS);
    const int half = cairo_image_surface_get_width(meter) / 2;
    const int height = cairo_image_surface_get_height(meter);
    // Input left meter at (46, 82): a sine of amplitude 0.5 peaks at -6 dB, lit from row 38.
    auto shows = [&](cairo_surface_t* shot, int row, bool lit) {
        return pixelAt(shot, 46 + half / 2, 82 + row) == pixelAt(meter, (lit ? half : 0) + half / 2, row);
    };
    session->StartAudio(0.5f);
    session->IdleFor(600ms);
    cairo_surface_t* loud = x.capture(session->host, session->width, session->height);
    cairo_surface_write_to_png(loud, ScreenshotPath("panel-meters.png").c_str());
    EXPECT_TRUE(shows(loud, 36, false));
    EXPECT_TRUE(shows(loud, 40, true));
    EXPECT_TRUE(shows(loud, height - 2, true));
    session->StartAudio(0.0f); // silence: the peaks drop to the floor at once
    session->IdleFor(300ms);
    cairo_surface_t* quiet = x.capture(session->host, session->width, session->height);
    EXPECT_TRUE(shows(quiet, height - 2, false));
    session->StopAudio(); // no blocks: the meters would fall, and have nothing left to fall
    session->IdleFor(200ms);
    cairo_surface_destroy(quiet);
    cairo_surface_destroy(loud);
    cairo_surface_destroy(meter);
}

TEST_F(PanelTest, HostAutomationFromTheAudioThread)
{
    cairo_surface_t* before = x.capture(session->host, session->width, session->height);
    std::atomic<int> blocks {0};
    session->StartAudio(0.3f, [&](int block) {
        // Every parameter but power and the time mode, at block rate.
        const int index = 1 + block % 11;
        session->fx.SetParameter(index, float(block % 97) / 96.0f);
        ++blocks;
    });
    session->IdleFor(2500ms);
    session->StopAudio();
    EXPECT_GT(blocks.load(), 100);
    // A time-mode change from the audio thread reaches the panel at the next idle.
    std::thread([&] { session->fx.SetParameter(12, 1.0f); }).join();
    session->IdleFor(200ms);
    cairo_surface_t* after = x.capture(session->host, session->width, session->height);
    EXPECT_GT(differingPixels(before, after, 263, 185, 455, 201), 50); // the indicator moved to HOST
    cairo_surface_destroy(after);
    cairo_surface_destroy(before);
}

TEST_F(PanelTest, HostKeepsItsKeysUnlessAFieldIsOpen)
{
    // The host's window has the focus, as a host's has while the user works in its window.
    XSetInputFocus(x.display, session->host, RevertToParent, CurrentTime);
    session->HostKeyPresses();
    const auto onPanel = session->at(kFeedbackX, kFeedbackY);
    const auto beside = session->at(300, session->height + PanelSession::kHostBand / 2);
    auto threeSpaces = [&](std::pair<int, int> where) {
        session->Drive(
            [&](XDriver& d) {
                d.moveTo(where.first, where.second);
                std::this_thread::sleep_for(60ms);
                for (int i = 0; i < 3; ++i) d.tap(XK_space);
            },
            [] { return true; });
        session->IdleFor(100ms);
        return session->HostKeyPresses();
    };
    EXPECT_EQ(threeSpaces(beside), 3);
    EXPECT_EQ(threeSpaces(onPanel), 3); // the pointer over the panel takes nothing from the host

    // An open value field takes the keys typed into it, and only while it is open.
    ASSERT_TRUE(TypeInto(kDelayTextX, kDelayTextY, "420", [&] { return fx().ParameterDisplay(3) == "420"; }));
    EXPECT_EQ(session->HostKeyPresses(), 0);
    EXPECT_EQ(threeSpaces(onPanel), 3);
}

TEST_F(PanelTest, DragsEndingOnTheMarkOrTheSaveButtonLoseAndOpenNothing)
{
    const float before = fx().GetParameter(4);
    const auto knob = session->at(kFeedbackX, kFeedbackY + 15), mark = session->at(kChangedX, kChangedY);
    const auto header = session->at(250, 27), save = session->at(kSaveX, kSaveY);
    const auto saveLower = session->at(kSaveX, kSaveLowerHalfY);
    std::atomic<bool> opened {false};
    auto drag = [&](std::pair<int, int> from, std::pair<int, int> to) {
        session->Drive(
            [&](XDriver& d) {
                d.moveTo(from.first, from.second);
                std::this_thread::sleep_for(60ms);
                d.button(true);
                for (int i = 1; i <= 6; ++i) {
                    d.moveTo(from.first + (to.first - from.first) * i / 6, from.second + (to.second - from.second) * i / 6);
                    std::this_thread::sleep_for(30ms);
                }
                d.button(false);
                std::this_thread::sleep_for(400ms);
                if (d.findWindow("Save Program")) { // the fault: close it again so the test ends
                    opened = true;
                    d.tap(XK_Escape);
                }
            },
            [] { return true; });
        session->IdleFor(300ms);
    };
    drag(knob, mark);
    const float turned = fx().GetParameter(4);
    EXPECT_NE(turned, before); // the drag turned FeedBack ...
    session->IdleFor(200ms);
    EXPECT_EQ(fx().GetParameter(4), turned); // ... and the edit stays
    drag(header, save); // pressed elsewhere, released on SAVE
    EXPECT_FALSE(opened.load());
    session->Drive([&](XDriver& d) { d.click(saveLower.first, saveLower.second); }, [] { return true; });
    session->IdleFor(300ms);
    EXPECT_EQ(x.findWindow("Save Program"), 0u); // below the drawn button
    EXPECT_EQ(fx().GetParameter(4), turned);
}

TEST_F(PanelTest, WheelTurnsOnlyVerticallyAndModifiersUseThePanelsConnection)
{
    const auto knob = session->at(kFeedbackX, kFeedbackY);
    const float before = fx().GetParameter(4);
    display_opens::WatchThisThread();
    auto wheel = [&](unsigned int button, int notches) {
        session->Drive(
            [&](XDriver& d) {
                d.moveTo(knob.first, knob.second);
                std::this_thread::sleep_for(40ms);
                for (int i = 0; i < notches; ++i) {
                    d.button(button, true);
                    d.button(button, false);
                    std::this_thread::sleep_for(20ms);
                }
            },
            [] { return true; });
        session->IdleFor(150ms);
    };
    wheel(6, 4); // sideways on a touchpad: nothing turns
    wheel(7, 4);
    EXPECT_EQ(fx().GetParameter(4), before);
    wheel(4, 3);
    EXPECT_GT(fx().GetParameter(4), before);
    ASSERT_TRUE(ClickPanel(kPowerX, kPowerY, [&] { return fx().GetParameter(0) == 0.0f; }));
    // Wheel notches and power clicks read the modifiers on the panel's own connection.
    EXPECT_EQ(display_opens::Count(), 0);
}

// Display text (the cyan of the value fields) in that column between top and bottom.
int TextPixelsInColumn(cairo_surface_t* shot, int column, int top, int bottom)
{
    int count = 0;
    for (int y = top; y < bottom; ++y) {
        const uint32_t p = pixelAt(shot, column, y);
        count += ((p >> 8) & 0xFF) > 110 && (p & 0xFF) > 130 && ((p >> 16) & 0xFF) < 200;
    }
    return count;
}

// Run twice by ctest: with the fonts installed here, and with DejaVu alone (fontconfig limited
// to it), Debian's default where the panel's Arial falls back to the wider DejaVu Sans.
TEST_F(PanelTest, WidestValuesFitTheirDisplaysWithEveryFace)
{
    ASSERT_TRUE(TypeInto(kDelayTextX, kDelayTextY, "8000", [&] { return fx().ParameterDisplay(3) == "8000"; }))
        << fx().ParameterDisplay(3);
    ASSERT_TRUE(TypeInto(621 - 18, 284, "20000", [&] { return fx().ParameterDisplay(11) == "20000"; }));
    session->IdleFor(200ms);
    const char* fonts = std::getenv("FONTCONFIG_FILE");
    Screenshot(fonts ? "panel-widest-dejavu.png" : "panel-widest.png");
    cairo_surface_t* shot = x.capture(session->host, session->width, session->height);
    // "8000" stays inside its display (330..416) and clear of "ms" at 422.
    int drawn = 0;
    for (int column = 335; column < 412; ++column) drawn += TextPixelsInColumn(shot, column, 92, 123);
    EXPECT_GT(drawn, 200); // the digits are there
    for (int column : {330, 331, 414, 415, 416, 417, 418, 419, 420})
        EXPECT_EQ(TextPixelsInColumn(shot, column, 92, 123), 0) << column;
    // "20000" inside the LPF display (603..639).
    for (int column : {603, 638}) EXPECT_EQ(TextPixelsInColumn(shot, column, 277, 291), 0) << column;
    cairo_surface_destroy(shot);
}

TEST_F(PanelTest, KnobsTurnFromWhereTheyAreGrabbedFineWithShiftAndAClickMovesNothing)
{
    // A quarter turn of the pointer around a knob's centre, optionally with Shift held.
    auto quarterTurn = [&](std::pair<int, int> from, std::pair<int, int> to, bool shift) {
        session->Drive(
            [&](XDriver& d) {
                if (shift) d.key(XK_Shift_L, true);
                d.moveTo(from.first, from.second);
                std::this_thread::sleep_for(60ms);
                d.button(true);
                std::this_thread::sleep_for(60ms);
                for (int i = 1; i <= 8; ++i) {
                    const double a = 3.141592653589793 / 2 * i / 8;
                    const int cx = (from.first + to.first) / 2 + (from.first - to.first) / 2;
                    const int cy = to.second;
                    const int r = to.first - cx;
                    d.moveTo(cx + int(std::lround(r * std::sin(a))), cy - int(std::lround(r * std::cos(a))));
                    std::this_thread::sleep_for(25ms);
                }
                d.button(false);
                if (shift) d.key(XK_Shift_L, false);
            },
            [] { return true; });
        session->IdleFor(150ms);
    };
    const auto above = session->at(kFeedbackX, kFeedbackY - 20), right = session->at(kFeedbackX + 20, kFeedbackY);
    const float start = fx().GetParameter(4);
    ASSERT_TRUE(ClickPanel(kFeedbackX + 18, kFeedbackY + 15, [] { return true; }));
    session->IdleFor(150ms);
    EXPECT_EQ(fx().GetParameter(4), start); // a click far from the knob's pointer moves nothing
    quarterTurn(above, right, true);
    const float fine = fx().GetParameter(4) - start;
    quarterTurn(above, right, false);
    const float coarse = fx().GetParameter(4) - start - fine;
    EXPECT_NEAR(coarse, 0.3f, 0.03f); // 90 of 300 degrees
    EXPECT_NEAR(fine, 0.03f, 0.01f);  // a tenth with Shift

    // The Input knob at its maximum, grabbed on its left half and turned back down.
    fx().SetParameter(2, 1.0f);
    session->IdleFor(150ms);
    const auto left = session->at(46 - 20, 286), below = session->at(46, 286 + 20);
    session->Drive(
        [&](XDriver& d) {
            d.moveTo(left.first, left.second);
            std::this_thread::sleep_for(60ms);
            d.button(true);
            for (int i = 1; i <= 6; ++i) {
                const double a = 3.141592653589793 / 2 * i / 6;
                d.moveTo(below.first - int(std::lround(20 * std::cos(a))), left.second + int(std::lround(20 * std::sin(a))));
                std::this_thread::sleep_for(25ms);
            }
            d.button(false);
        },
        [] { return true; });
    session->IdleFor(150ms);
    EXPECT_LT(fx().GetParameter(2), 0.95f);
}

TEST_F(PanelTest, TabCommitsAndOpensTheNextFieldEscapeLeavesTheValue)
{
    fx().ClearEvents();
    const auto delay = session->at(kDelayTextX, kDelayTextY);
    ASSERT_TRUE(session->Drive(
        [&](XDriver& d) {
            d.click(delay.first, delay.second);
            std::this_thread::sleep_for(300ms);
            d.type("500");
            d.tap(XK_Tab); // commits; BPM takes no typing in MS mode: FeedBack opens
            std::this_thread::sleep_for(200ms);
            d.type("40");
            d.tapWith(XK_Shift_L, XK_Tab); // commits; back to the delay time
            std::this_thread::sleep_for(200ms);
            d.type("600");
            d.tap(XK_Escape);
        },
        [&] { return fx().ParameterDisplay(4) == "40.0"; }))
        << fx().ParameterDisplay(4);
    session->IdleFor(300ms);
    EXPECT_EQ(fx().ParameterDisplay(3), "500");
    EXPECT_EQ(Gestures(fx(), 3), (std::vector<int32_t> {audioMasterBeginEdit, audioMasterAutomate, audioMasterEndEdit}));
    EXPECT_TRUE(IsOneGesture(Gestures(fx(), 4)));
    // Escape closed the last field: the keys are the host's again.
    XSetInputFocus(x.display, session->host, RevertToParent, CurrentTime);
    session->HostKeyPresses();
    session->Drive([&](XDriver& d) { d.tap(XK_space); }, [] { return true; });
    session->IdleFor(100ms);
    EXPECT_EQ(session->HostKeyPresses(), 1);
}

TEST_F(PanelTest, HeaderNameFollowsHostProgramChanges)
{
    auto nameArea = [&] { return x.capture(session->host, 164, 20, 208, 17); };
    cairo_surface_t* first = nameArea();
    fx().Dispatch(effSetProgram, 0, 5);
    session->IdleFor(200ms);
    Screenshot("panel-program-5.png");
    cairo_surface_t* fifth = nameArea();
    EXPECT_GT(differingPixels(first, fifth, 0, 0, 164, 20), 30);
    fx().Dispatch(effSetProgram, 0, 0);
    session->IdleFor(200ms);
    cairo_surface_t* again = nameArea();
    EXPECT_EQ(differingPixels(first, again, 0, 0, 164, 20), 0);
    for (cairo_surface_t* shot : {first, fifth, again}) cairo_surface_destroy(shot);
}

TEST(PanelLifetime, OpenAndCloseFiftyTimesAndFourPanelsAtOnce)
{
    TempFolder config;
    ScopedEnv configHome("XDG_CONFIG_HOME", config.Path().c_str());
    XDriver x;
    ASSERT_NE(x.display, nullptr);
    VstLibrary library(KESTRUNE_BUNDLE);
    ASSERT_TRUE(library.IsLoaded()) << library.Error();
    {
        PanelSession one(library, x, 0, 0);
        for (int i = 0; i < 50; ++i) {
            ASSERT_TRUE(one.Open()) << i;
            one.Idle();
            one.Idle();
            one.Close();
            XSync(x.display, False);
            ASSERT_TRUE(x.children(one.host).empty()) << i;
        }
    }
    {
        // A host that closes the effect with its panel open: the panel goes with it.
        PanelSession rude(library, x, 0, 0);
        ASSERT_TRUE(rude.Open());
        rude.IdleFor(100ms);
        rude.fx.Close();
        XSync(x.display, False);
        EXPECT_TRUE(x.children(rude.host).empty());
    }
    std::vector<std::unique_ptr<PanelSession>> four;
    for (int i = 0; i < 4; ++i) {
        four.push_back(std::make_unique<PanelSession>(library, x, (i % 2) * 800, (i / 2) * 360));
        ASSERT_TRUE(four.back()->Open());
        four.back()->StartAudio(0.25f * float(i + 1));
    }
    for (int round = 0; round < 20; ++round)
        for (auto& panel : four) panel->Idle();
    // Power off on the third panel alone.
    const auto power = four[2]->at(kPowerX, kPowerY);
    std::thread([&] {
        XDriver d;
        d.click(power.first, power.second);
    }).join();
    for (int round = 0; round < 30 && four[2]->fx.GetParameter(0) != 0.0f; ++round) {
        for (auto& panel : four) panel->Idle();
        std::this_thread::sleep_for(33ms);
    }
    EXPECT_EQ(four[2]->fx.GetParameter(0), 0.0f);
    for (int i : {0, 1, 3}) EXPECT_EQ(four[size_t(i)]->fx.GetParameter(0), 1.0f) << i;
    four.clear();
}
