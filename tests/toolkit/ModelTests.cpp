// The platform-free parts of the toolkit: text field editing, click counting, the button
// word, the dialog's interface file and timers.
#include <gtest/gtest.h> // before X11, whose macros clash with its names

#include "toolkit/ButtonState.h"
#include "toolkit/ClickCounter.h"
#include "toolkit/CVSTGUITimer.h"
#include "toolkit/InterfaceFile.h"
#include "toolkit/TextField.h"

#include <X11/X.h>
#include <fstream>
#include <thread>

using namespace VSTGUI;

TEST(TextField, TypingReplacesTheSelectionAndKeysMoveByCharacter)
{
    TextField field;
    field.setText("1250");
    field.selectAll();
    field.insert("q9");
    EXPECT_EQ(field.text(), "q9");
    field.setText("a\xC3\xA9z"); // aéz
    field.moveLeft(false);
    field.moveLeft(false);
    EXPECT_EQ(field.caret(), 1u);
    field.deleteForward();
    EXPECT_EQ(field.text(), "az");
    field.end(false);
    field.insert("\xE6\x97\xA5"); // 日
    field.backspace();
    EXPECT_EQ(field.text(), "az");
    field.home(true);
    EXPECT_TRUE(field.hasSelection());
    field.moveRight(false);
    EXPECT_EQ(field.caret(), 2u);
    EXPECT_FALSE(field.hasSelection());
    field.setCaret(1, false);
    field.setCaret(2, true);
    field.backspace();
    EXPECT_EQ(field.text(), "a");
}

TEST(TextField, InputIsCleanedAndLimitedTo255Characters)
{
    TextField field;
    field.insert("ab\ncd\t\x7F\xFF" "e");
    EXPECT_EQ(field.text(), "abcde");
    field.setText(std::string(300, 'x'));
    EXPECT_EQ(field.text().size(), TextField::kMaxCharacters);
    field.insert("y");
    EXPECT_EQ(field.text().size(), TextField::kMaxCharacters);
    std::string wide;
    for (int i = 0; i < 300; ++i)
        wide += "\xE3\x81\x82"; // あ
    field.setText(wide);
    EXPECT_EQ(TextField::countCharacters(field.text()), 255u);
    EXPECT_EQ(field.text().size(), 255u * 3);
}

TEST(ClickCounter, SecondPressNearbyWithinTheIntervalIsADoubleClick)
{
    ClickCounter clicks;
    EXPECT_EQ(clicks.press(1, 1000, 10, 10), 1);
    EXPECT_EQ(clicks.press(1, 1300, 12, 9), 2);
    EXPECT_EQ(clicks.press(1, 1500, 12, 9), 3);
    EXPECT_EQ(clicks.press(1, 2000, 12, 9), 1); // too late
    EXPECT_EQ(clicks.press(1, 2100, 30, 9), 1); // too far
    EXPECT_EQ(clicks.press(3, 2200, 30, 9), 1); // other button
    EXPECT_EQ(clicks.press(1, 0xFFFFFF00ul, 0, 0), 1);
    EXPECT_EQ(clicks.press(1, 0x00000010ul, 0, 0), 2); // server time wrapped
}

TEST(ButtonState, XButtonsAndModifiersMapToTheButtonWord)
{
    EXPECT_EQ(buttonFromX(1), kLButton);
    EXPECT_EQ(buttonFromX(2), kMButton);
    EXPECT_EQ(buttonFromX(3), kRButton);
    EXPECT_EQ(buttonFromX(8), kButton4);
    EXPECT_EQ(buttonFromX(9), kButton5);
    EXPECT_EQ(buttonFromX(4), 0);
    EXPECT_EQ(buttonsFromXState(Button1Mask | ShiftMask), kLButton | kShift);
    EXPECT_EQ(buttonsFromXState(Button3Mask | ControlMask | Mod1Mask | Mod4Mask), kRButton | kApple | kAlt | kControl);
    EXPECT_EQ(modifiersFromXState(Button1Mask), 0);
}

TEST(InterfaceFile, ParsesWindowAndElements)
{
    InterfaceFile file;
    std::string error;
    ASSERT_TRUE(file.parse("# comment\nwindow \"Save Program\" 380 150\n"
                           "popup mList 104 16 260 26 \"\" OnSELECT:\n"
                           "button - 280 106 84 28 \"O K\" OnOK:\n",
                           error))
        << error;
    EXPECT_EQ(file.title(), "Save Program");
    EXPECT_EQ(file.width(), 380);
    ASSERT_EQ(file.elements().size(), 2u);
    EXPECT_EQ(file.outlet("mList")->rect, CRect0(104, 16, 364, 42));
    EXPECT_EQ(file.withAction("OnOK:")->title, "O K");
    EXPECT_EQ(file.withAction("OnOK:")->name, "");
    EXPECT_EQ(file.outlet("mName"), nullptr);
}

TEST(InterfaceFile, RejectsMalformedLinesWithTheirNumber)
{
    InterfaceFile file;
    std::string error;
    EXPECT_FALSE(file.parse("window \"x\" 10 10\nslider - 1 2 3 4 \"\" -\n", error));
    EXPECT_NE(error.find("line 2"), std::string::npos);
    EXPECT_FALSE(file.parse("window \"x 10 10\n", error));
    EXPECT_FALSE(file.parse("label - 1 2 3 4 \"a\" -\n", error)); // no window
    EXPECT_FALSE(file.parse("window \"x\" 10 99999999\n", error));
    EXPECT_FALSE(file.parse("window \"x\" 10 10\nbutton - 1 2 -3 4 \"a\" -\n", error));
}

TEST(InterfaceFile, TheShippedSaveDialogHasItsOutletsAndActions)
{
    InterfaceFile file;
    std::string error;
    ASSERT_TRUE(file.load(KESTRUNE_SOURCE_RESOURCES "/PresetSave", error)) << error;
    ASSERT_NE(file.outlet("mList"), nullptr);
    EXPECT_EQ(file.outlet("mList")->action, "OnSELECT:");
    ASSERT_NE(file.outlet("mName"), nullptr);
    EXPECT_EQ(file.outlet("mName")->kind, "field");
    EXPECT_NE(file.withAction("OnOK:"), nullptr);
    EXPECT_NE(file.withAction("OnCANCEL:"), nullptr);
    for (const InterfaceElement& element : file.elements())
        EXPECT_TRUE(element.rect.right <= file.width() && element.rect.bottom <= file.height()) << element.kind;
}

namespace {

struct Counter : CBaseObject {
    int fired = 0;
    std::string message;
    CVSTGUITimer* stopOnFire = nullptr;
    CMessageResult notify(CBaseObject* sender, const char* text) override
    {
        ++fired;
        message = text;
        if (stopOnFire && sender == stopOnFire)
            stopOnFire->stop();
        return kMessageNotified;
    }
};

} // namespace

TEST(Timer, FiresFromDispatchOnlyWhileRunning)
{
    Counter target;
    CVSTGUITimer timer(&target, 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    CVSTGUITimer::fireDueTimers();
    EXPECT_EQ(target.fired, 0); // not started
    EXPECT_EQ(CVSTGUITimer::msUntilNextTimer(), -1);
    timer.start();
    timer.start(); // no second registration
    EXPECT_TRUE(timer.isRunning());
    CVSTGUITimer::fireDueTimers();
    EXPECT_EQ(target.fired, 0); // first firing one interval after start
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    CVSTGUITimer::fireDueTimers();
    EXPECT_EQ(target.fired, 1);
    EXPECT_EQ(target.message, "timer fired");
    timer.setFireTime(1000);
    EXPECT_TRUE(timer.isRunning());
    EXPECT_GT(CVSTGUITimer::msUntilNextTimer(), 500);
    target.stopOnFire = &timer;
    timer.setFireTime(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    CVSTGUITimer::fireDueTimers();
    EXPECT_FALSE(timer.isRunning()); // a target may stop its timer while notified
    EXPECT_EQ(target.fired, 2);
}
