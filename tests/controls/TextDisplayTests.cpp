// The text display: the effect's display text, the edit kind a descriptor gives it, what typed
// text commits, and the open and close of its field.
#include <gtest/gtest.h> // before X11, whose macros clash with its names

#include "ControlTestSupport.h"
#include "editor/CStaticEdit.h"
#include "editor/CStaticTextDC.h"
#include "effect/AKestrune.h"
#include "effect/CVstEditorEffect.h"
#include "toolkit/CFontDesc.h"

#include <string>

using namespace controls_test;

namespace {

// The effect's parameters used here: FeedBack 0..1000 with one decimal, HPF FREQ 20..20000,
// Note a list of ten note values, BPM 300..5000 with one decimal.

class TextDisplayTest : public ::testing::Test {
protected:
    TextDisplayTest()
    {
        owner.effect = &link;
        owner.frame = frame;
    }
    ~TextDisplayTest() override { frame->forget(); }
    void make(CStaticTextDC& display, int kind = 1)
    {
        CRect rect(20, 20, 80, 40);
        display.Make(7, rect, &owner, nullptr, 0x202020u, 0x00FEE065u, &font, kind, 0, CallbackLog::Record, &log,
                     nullptr, &owner);
    }
    // Types text into the open field and ends with Return.
    void commit(const char* text)
    {
        display.ShowEdit();
        display.GetEditField()->setText(text);
        display.OnTextEditReturn();
    }
    ParamData* param(int id) { return effect.GetParam(id); }

    AKestrune effect{nullptr};
    CVstEditorEffect link{effect};
    // A frame without a window: the field can be added and read, but shows nothing.
    VSTGUI::CFrame0* frame = new VSTGUI::CFrame0(VSTGUI::CRect0(0, 0, 300, 200), nullptr, nullptr, nullptr);
    VSTGUI::CFontDesc font{"Helvetica", 11, 0};
    TestOwner owner;
    CallbackLog log;
    CStaticTextDC display;
};

} // namespace

TEST_F(TextDisplayTest, BindingShowsTheEffectsTextAtOnce)
{
    make(display);
    param(kHpfFreq)->value = 0.0f;
    display.SetReferenceParam(param(kHpfFreq));
    EXPECT_STREQ(display.GetText(), "20");
    EXPECT_FALSE(owner.invalidated.empty());
    // The display holds half the value, so a zero value is already in step.
    EXPECT_FALSE(display.UpdateAtDirty(nullptr));

    param(kHpfFreq)->value = 1.0f;
    owner.invalidated.clear();
    EXPECT_TRUE(display.UpdateAtDirty(nullptr));
    EXPECT_STREQ(display.GetText(), "20000");
    ASSERT_EQ(owner.invalidated.size(), 1u);
    EXPECT_EQ(owner.invalidated[0], CRect(18, 16, 82, 42));
    EXPECT_FALSE(display.UpdateAtDirty(nullptr));
    EXPECT_EQ(log.count(), 0u);
}

TEST_F(TextDisplayTest, DescriptorDecidesTheEditKind)
{
    make(display);
    display.SetReferenceParam(param(kNote));
    EXPECT_EQ(display.m_editKind, 2);
    EXPECT_EQ(display.GetEditField(), nullptr);
    display.SetReferenceParam(param(kBpm));
    EXPECT_EQ(display.m_editKind, 1);
    EXPECT_NE(display.GetEditField(), nullptr);

    CStaticTextDC shown;
    make(shown, 0);
    shown.SetReferenceParam(param(kBpm));
    EXPECT_EQ(shown.m_editKind, 0);
    EXPECT_EQ(shown.GetEditField(), nullptr);
    shown.LButtonDown(nullptr);
    EXPECT_EQ(owner.focus, nullptr);
}

TEST_F(TextDisplayTest, TypedDecimalIsTruncatedAfterSinglePrecision)
{
    make(display);
    display.SetReferenceParam(param(kFeedBack));
    char typed[] = "2.3";
    display.SetEditText(typed); // 2.3f × 10 is 22.99999..., so 22
    ASSERT_EQ(log.count(), 1u);
    EXPECT_EQ(log.last().id, kFeedBack);
    EXPECT_EQ(log.last().value, 22.0f / 1000.0f);
    EXPECT_EQ(log.last().kind, 1);
    char half[] = "  1.5xyz";
    display.SetEditText(half);
    EXPECT_EQ(log.last().value, 15.0f / 1000.0f);
    char negative[] = "-4";
    display.SetEditText(negative);
    EXPECT_EQ(log.last().value, 0.0f);
    char huge[] = "1e30";
    display.SetEditText(huge);
    EXPECT_EQ(log.last().value, 1.0f);
    char comma[] = "2,7"; // the reading stops at the comma, whatever the locale
    display.SetEditText(comma);
    EXPECT_EQ(log.last().value, 20.0f / 1000.0f);
}

TEST_F(TextDisplayTest, TypedIntegerIsClampedIntoTheRange)
{
    make(display);
    display.SetReferenceParam(param(kHpfFreq));
    char over[] = "20001";
    display.SetEditText(over);
    EXPECT_EQ(log.last().value, 1.0f);
    EXPECT_EQ(log.last().id, kHpfFreq);
    char text[] = "abc";
    display.SetEditText(text); // no number: 0, clamped up to 20 Hz
    EXPECT_EQ(log.last().value, 0.0f);
    char decimal[] = "+1019.9";
    display.SetEditText(decimal);
    EXPECT_EQ(log.last().value, 999.0f / 19980.0f);
}

TEST_F(TextDisplayTest, ReturnCommitsAndClosesTheField)
{
    make(display);
    display.SetReferenceParam(param(kBpm));
    param(kBpm)->value = param(kBpm)->NormFrom(1200);
    display.ShowEdit();
    EXPECT_EQ(owner.focus, &display);
    ASSERT_NE(display.GetEditField(), nullptr);
    EXPECT_TRUE(frame->isChild(display.GetEditField()));
    EXPECT_EQ(display.GetEditField()->getTextString(), "120.0"); // the real value, one decimal

    display.GetEditField()->setText("");
    display.OnTextEditReturn(); // an empty field commits the minimum
    ASSERT_EQ(log.count(), 1u);
    EXPECT_EQ(log.last().value, 0.0f);
    EXPECT_EQ(log.last().id, kBpm);
    EXPECT_EQ(owner.focus, nullptr);
    EXPECT_FALSE(frame->isChild(display.GetEditField()));

    commit("99.95");
    EXPECT_EQ(log.last().value, param(kBpm)->NormFrom(999));
}

TEST_F(TextDisplayTest, EscapeAndClickElsewhereChangeNothing)
{
    make(display);
    display.SetReferenceParam(param(kHpfFreq));
    const std::string before = display.GetText();
    display.LButtonDown(nullptr);
    EXPECT_EQ(owner.focus, &display);
    display.GetEditField()->setText("5000");
    display.OnTextEditEscape();
    EXPECT_EQ(log.count(), 0u);
    EXPECT_EQ(owner.focus, nullptr);
    EXPECT_FALSE(frame->isChild(display.GetEditField()));
    EXPECT_EQ(display.GetText(), before);

    // A click elsewhere: the main view closes every edit it did not hit.
    display.LButtonDown(nullptr);
    display.GetEditField()->setText("5000");
    display.HideEdit();
    EXPECT_EQ(log.count(), 0u);
    EXPECT_EQ(owner.focus, nullptr);
    // The owner's record closes it too, and a second close is harmless.
    display.LButtonDown(nullptr);
    owner.KillFocusEdit(nullptr);
    EXPECT_FALSE(frame->isChild(display.GetEditField()));
    display.HideEdit();
    EXPECT_EQ(log.count(), 0u);
}

TEST_F(TextDisplayTest, ListSelectionAndMissingDescriptor)
{
    make(display);
    char text[] = "12";
    display.SetEditText(text);
    display.SetListSel(3);
    EXPECT_EQ(log.count(), 0u); // nothing to commit to
    display.ShowEdit();
    EXPECT_EQ(display.GetEditField()->getTextString(), ""); // its own (empty) text
    display.HideEdit();

    display.SetReferenceParam(param(kNote));
    display.SetListSel(3);
    EXPECT_EQ(log.last().value, 3.0f / 9.0f);
    EXPECT_EQ(log.last().kind, 0);
    display.SetListSel(-1);
    EXPECT_EQ(log.last().value, 0.0f);
    display.SetListSel(40);
    EXPECT_EQ(log.last().value, 1.0f);
}

TEST_F(TextDisplayTest, FieldReplacedByTheCommitIsReleasedSafely)
{
    // The owner's reaction to a commit may change the display's edit kind, which replaces
    // the field while its own key handling is still on the stack.
    struct Switcher {
        CStaticTextDC* display;
        static signed char Callback(int, float, void* user, int)
        {
            static_cast<Switcher*>(user)->display->SetEditKind(0);
            return 1;
        }
    } switcher{&display};
    CRect rect(20, 20, 80, 40);
    display.Make(7, rect, &owner, nullptr, 0, 0, &font, 1, 0, Switcher::Callback, &switcher, nullptr, &owner);
    display.SetReferenceParam(param(kHpfFreq));
    display.ShowEdit();
    display.GetEditField()->setText("440");
    display.OnTextEditReturn();
    EXPECT_EQ(display.GetEditField(), nullptr);
    EXPECT_EQ(owner.focus, nullptr);
    display.SetEditKind(1);
    display.ShowEdit();
    EXPECT_EQ(owner.focus, &display);
}

TEST_F(TextDisplayTest, DrawsTheTextOverItsBackground)
{
    make(display);
    display.SetReferenceParam(param(kHpfFreq));
    Canvas canvas(100, 60);
    display.DrawControl(canvas.context);
    // The back colour fills the rectangle; the text colour appears inside it.
    EXPECT_EQ(rgbAt(canvas.surface(), 21, 21), 0x202020u);
    EXPECT_EQ(rgbAt(canvas.surface(), 10, 10), 0x000000u);
    int tinted = 0; // text pixels: blue well above red, unlike the grey back colour
    for (int y = 20; y < 40; ++y)
        for (int x = 20; x < 80; ++x) {
            const uint32_t pixel = rgbAt(canvas.surface(), x, y);
            tinted += (pixel & 0xFF) > ((pixel >> 16) & 0xFF) + 0x40 ? 1 : 0;
        }
    EXPECT_GT(tinted, 10);
    display.DrawControl(nullptr); // no context: nothing, and no crash
}
