// The main view without a window: layout, time-mode switching, gestures reported to the
// host, and the painted panel compared with the bitmaps it is composed of.
#include "editor/CDelayEditor.h"
#include "editor/CPanelSnapshot.h"
#include "editor/CUIWindow.h"
#include "effect/AKestrune.h"
#include "toolkit/CPoint0.h"
#include "toolkit/ResourceFolder.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct Call {
    VstInt32 opcode;
    VstInt32 index;
};
std::mutex gCallsLock;
std::vector<Call> gCalls;

VstIntPtr RecordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float)
{
    if (opcode == audioMasterVersion) return 2400;
    std::lock_guard<std::mutex> lock(gCallsLock);
    gCalls.push_back({opcode, index});
    return 0;
}

std::vector<VstInt32> EditCalls(VstInt32 index)
{
    std::lock_guard<std::mutex> lock(gCallsLock);
    std::vector<VstInt32> opcodes;
    for (const Call& c : gCalls)
        if (c.index == index && (c.opcode == audioMasterBeginEdit || c.opcode == audioMasterAutomate
                                 || c.opcode == audioMasterEndEdit))
            opcodes.push_back(c.opcode);
    return opcodes;
}

uint32_t Pixel(cairo_surface_t* surface, int x, int y)
{
    const unsigned char* data = cairo_image_surface_get_data(surface);
    return reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(surface))[x];
}

class PanelViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        VSTGUI::SetResourceFolder(KESTRUNE_RESOURCES);
        {
            std::lock_guard<std::mutex> lock(gCallsLock);
            gCalls.clear();
        }
        effect = std::make_unique<AKestrune>(RecordingHost);
        effect->setSampleRate(48000.0f);
        effect->setBlockSize(64);
        editor = static_cast<CDelayEditor*>(effect->getEditor());
        panel = std::make_unique<CPanelSnapshot>(*editor);
    }
    void TearDown() override
    {
        panel.reset();
        effect.reset();
        VSTGUI::SetResourceFolder(nullptr);
    }
    CUIWindow& view() { return panel->View(); }
    void Process(float amplitude)
    {
        std::vector<float> in(64, amplitude), out[2] = {std::vector<float>(64), std::vector<float>(64)};
        float* inputs[2] = {in.data(), in.data()};
        float* outputs[2] = {out[0].data(), out[1].data()};
        effect->processReplacing(inputs, outputs, 64);
    }
    // The background with that bitmap region drawn over it, composed by cairo alone.
    cairo_surface_t* Expected(cairo_surface_t* painted, int number, int left, int top, int width, int height,
                              int sourceX, int sourceY)
    {
        const std::string folder = KESTRUNE_RESOURCES;
        cairo_surface_t* background = cairo_image_surface_create_from_png((folder + "/3005.png").c_str());
        cairo_surface_t* bitmap = cairo_image_surface_create_from_png((folder + "/" + std::to_string(number) + ".png").c_str());
        cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width(painted),
                                                          cairo_image_surface_get_height(painted));
        cairo_t* cr = cairo_create(out);
        cairo_set_source_surface(cr, background, 0, 0);
        cairo_paint(cr);
        cairo_rectangle(cr, left, top, width, height);
        cairo_clip(cr);
        cairo_set_source_surface(cr, bitmap, left - sourceX, top - sourceY);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_destroy(bitmap);
        cairo_surface_destroy(background);
        cairo_surface_flush(out);
        return out;
    }
    int Differences(cairo_surface_t* painted, int number, int left, int top, int width, int height, int sourceX = 0,
                    int sourceY = 0)
    {
        cairo_surface_t* expected = Expected(painted, number, left, top, width, height, sourceX, sourceY);
        int count = 0;
        for (int y = top; y < top + height; ++y)
            for (int x = left; x < left + width; ++x) count += Pixel(painted, x, y) != Pixel(expected, x, y);
        cairo_surface_destroy(expected);
        return count;
    }

    std::unique_ptr<AKestrune> effect;
    CDelayEditor* editor = nullptr;
    std::unique_ptr<CPanelSnapshot> panel;
};

} // namespace

TEST_F(PanelViewTest, LayoutFollowsTheTable)
{
    ERect* rect = nullptr;
    ASSERT_TRUE(editor->getRect(&rect));
    EXPECT_EQ(rect->right, 750);
    EXPECT_EQ(rect->bottom, 332);
    const std::vector<CControlBase*>& controls = view().Controls();
    ASSERT_EQ(controls.size(), 25u);
    const int ids[25] = {3, 3, 14, 13, 4, 4, 5, 5, 6, 6, 7, 7, 10, 10, 11, 11, 8, 9, 0, 140, 1001, 2, 1000, 1, 12};
    for (size_t i = 0; i < 25; ++i) EXPECT_EQ(controls[i]->m_id, unsigned(ids[i])) << i;
    EXPECT_EQ(controls[0]->GetRect(), CRect(112, 78, 225, 191));
    EXPECT_EQ(controls[16]->GetRect(), CRect(385, 302, 464, 318)); // HPF switch: one frame of 3010
    EXPECT_EQ(controls[18]->GetRect(), CRect(18, 12, 48, 42));
    EXPECT_EQ(controls[24]->GetRect(), CRect(263, 185, 455, 201)); // indicator: a third of 5019
    EXPECT_EQ(view().ChangedMarkRect(), CRect(383, 12, 451, 43));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(view().Meters().Level(i), -38.0f);
    EXPECT_TRUE(effect->IsEditorViewOpen());
}

// The header following the host's program changes is checked on screen under Xvfb.
TEST_F(PanelViewTest, HeaderShowsAShiftJisNameAsUtf8)
{
    effect->SaveProgram(6, CString("\x83\x41 Echo"));
    view().idle(nullptr);
    EXPECT_STREQ(view().ShownProgramName(), "\xE3\x82\xA2 Echo");
}

TEST_F(PanelViewTest, TimeModeSwitchesTheKnobAndTheFields)
{
    EXPECT_EQ(view().TimeKnob().m_id, 3u);
    EXPECT_EQ(view().DelayTimeDisplay().m_editKind, 1);
    EXPECT_EQ(view().BpmDisplay().m_editKind, 0);
    EXPECT_FALSE(view().NoteDisplay().m_enabled);

    effect->setParameter(kTimeMode, 0.5f); // as a host would, from any thread: applied at idle
    EXPECT_EQ(view().TimeKnob().m_id, 3u);
    view().idle(nullptr);
    EXPECT_EQ(view().TimeKnob().m_id, 14u);
    EXPECT_EQ(view().TimeKnob().GetReferenceParam(), effect->GetParam(kBpm));
    EXPECT_EQ(view().TimeKnob().GetValue(), effect->GetParam(kBpm)->value); // followed at the same idle
    EXPECT_TRUE(view().TimeKnob().m_enabled);
    EXPECT_EQ(view().DelayTimeDisplay().m_editKind, 0);
    EXPECT_EQ(view().BpmDisplay().m_editKind, 1);
    EXPECT_TRUE(view().NoteDisplay().m_enabled);

    effect->setParameter(kTimeMode, 1.0f);
    view().idle(nullptr);
    EXPECT_EQ(view().TimeKnob().m_id, 3u);
    EXPECT_FALSE(view().TimeKnob().m_enabled);
    EXPECT_EQ(view().DelayTimeDisplay().m_editKind, 0);
    EXPECT_EQ(view().BpmDisplay().m_editKind, 0);
    EXPECT_TRUE(view().NoteDisplay().m_enabled);

    view().UpdateTimeMode(7); // no such mode: nothing changes
    EXPECT_FALSE(view().TimeKnob().m_enabled);
}

TEST_F(PanelViewTest, IndicatorThirdsAndNoteChoiceAreHostGestures)
{
    view().OnLButtonDown(nullptr, CPoint(263 + 70, 190));
    EXPECT_EQ(effect->GetParam(kTimeMode)->GetInt(), kTimeModeBpm);
    EXPECT_EQ(EditCalls(kTimeMode), (std::vector<VstInt32> {audioMasterBeginEdit, audioMasterAutomate}));
    view().OnLButtonUp(nullptr, CPoint(263 + 70, 190));
    EXPECT_EQ(EditCalls(kTimeMode).back(), audioMasterEndEdit);
    EXPECT_EQ(view().BpmDisplay().m_editKind, 1); // the view followed at once

    view().OnLButtonDown(nullptr, CPoint(263 + 191, 190));
    view().OnLButtonUp(nullptr, CPoint(600, 320));
    EXPECT_EQ(effect->GetParam(kTimeMode)->GetInt(), kTimeModeHost);
    view().OnLButtonDown(nullptr, CPoint(263 + 5, 190));
    view().OnLButtonUp(nullptr, CPoint(600, 320));
    EXPECT_EQ(effect->GetParam(kTimeMode)->GetInt(), kTimeModeMs);

    view().OnSelSyncNote(1200 + 9);
    char text[64];
    effect->getParameterDisplay(kNote, text);
    EXPECT_STREQ(text, "1 Bar");
    view().OnSelSyncNote(1200 + 40); // clamped to the last note
    EXPECT_EQ(effect->GetParam(kNote)->GetInt(), 9);
    view().OnSelSyncNote(1200 + 3);
    effect->getParameterDisplay(kNote, text);
    EXPECT_STREQ(text, "1/8 T");
    const std::vector<VstInt32> note = EditCalls(kNote);
    ASSERT_EQ(note.size(), 9u); // three choices, each begin, automate, end
    EXPECT_EQ(note[0], audioMasterBeginEdit);
    EXPECT_EQ(note[2], audioMasterEndEdit);
}

// A knob drag as one gesture runs under Xvfb; here the gain knob's gesture names the host's
// Input Level parameter, not the knob's own.
TEST_F(PanelViewTest, InputGainKnobGestureIsTheInputLevels)
{
    effect->setParameter(kInputLevel, 0.5f);
    view().idle(nullptr);
    view().OnLButtonDown(nullptr, CPoint(30, 300));
    view().OnMouseMove(nullptr, CPoint(60, 270));
    view().OnLButtonUp(nullptr, CPoint(60, 270));
    EXPECT_GT(effect->getParameter(kInputLevel), 0.5f);
    EXPECT_EQ(EditCalls(kInputLevel), (std::vector<VstInt32> {audioMasterBeginEdit, audioMasterAutomate,
                                                              audioMasterEndEdit}));
    EXPECT_TRUE(EditCalls(kInputGainId).empty());
}

TEST_F(PanelViewTest, PaintComposesBackgroundControlsMetersAndMarks)
{
    cairo_surface_t* painted = panel->Paint();
    ASSERT_NE(painted, nullptr);
    // Power is on: frame 0 of the on look; the meters unlit; save button's top half; mark frame 0.
    EXPECT_EQ(Differences(painted, 3003, 18, 12, 30, 30), 0);
    EXPECT_EQ(Differences(painted, 3008, 46, 82, 7, 132), 0);
    EXPECT_EQ(Differences(painted, 3008, 712, 82, 7, 132), 0);
    EXPECT_EQ(Differences(painted, 5016, 460, 12, 30, 30), 0);
    EXPECT_EQ(Differences(painted, 5017, 383, 12, 68, 31), 0);
    EXPECT_EQ(Differences(painted, 5019, 263, 185, 192, 16), 0); // MS
    // The unit label lies over the background.
    EXPECT_GT(Differences(painted, 3005, 422, 99, 30, 20), 20);
    cairo_surface_destroy(painted);

    // A change lights the mark (frame 1); a block at -6 dB lights the meters from row 38.
    effect->setParameter(kFeedBack, 0.9f);
    Process(0.5f);
    view().idle(nullptr);
    EXPECT_NEAR(view().Meters().Level(0), -6.0f, 0.001f); // the input gain of 0 dB is 1.00005
    painted = panel->Paint();
    EXPECT_EQ(Differences(painted, 5017, 383, 12, 68, 31, 0, 31), 0);
    EXPECT_EQ(Differences(painted, 3008, 46, 82, 7, 38), 0);
    EXPECT_EQ(Differences(painted, 3008, 46, 82 + 38, 7, 132 - 38, 7, 38), 0);
    cairo_surface_destroy(painted);
}

TEST_F(PanelViewTest, IdleFollowsParametersAndMetersWithoutRepaintingEverything)
{
    Process(1.0f);
    view().idle(nullptr);
    EXPECT_NEAR(view().Meters().Level(0), 0.0f, 0.001f);
    const float peak = view().Meters().Level(0);
    const uint16_t seen = view().Meters().LastBlockCount();
    EXPECT_EQ(seen, effect->GetProcessBlockCount());
    view().idle(nullptr); // no block: the reading falls with time, never rises
    EXPECT_LE(view().Meters().Level(0), peak);

    effect->setParameter(kBalance, 0.25f);
    CControlBase* balance = view().Controls()[6];
    EXPECT_NE(balance->GetValue(), 0.25f);
    view().idle(nullptr);
    EXPECT_EQ(balance->GetValue(), 0.25f);
}

TEST_F(PanelViewTest, WheelTurnsOnlyTheKnobUnderThePointer)
{
    const float before = effect->getParameter(kFeedBack);
    VSTGUI::CPoint0 overKnob(539, 96);
    view().mouseW(overKnob, 1);
    EXPECT_GT(effect->getParameter(kFeedBack), before);
    EXPECT_EQ(EditCalls(kFeedBack), (std::vector<VstInt32> {audioMasterBeginEdit, audioMasterAutomate,
                                                            audioMasterEndEdit}));
    const float after = effect->getParameter(kFeedBack);
    VSTGUI::CPoint0 overNothing(700, 20);
    view().mouseW(overNothing, 1);
    EXPECT_EQ(effect->getParameter(kFeedBack), after);
    std::lock_guard<std::mutex> lock(gCallsLock);
    EXPECT_EQ(std::count_if(gCalls.begin(), gCalls.end(), [](const Call& c) { return c.opcode == audioMasterAutomate; }),
              1);
}

TEST_F(PanelViewTest, OpeningInBpmModeShowsTheTempoOnTheTimeKnob)
{
    panel.reset();
    effect->setParameter(kTimeMode, 0.5f);
    panel = std::make_unique<CPanelSnapshot>(*editor);
    EXPECT_EQ(view().TimeKnob().m_id, 14u);
    EXPECT_EQ(view().TimeKnob().GetValue(), effect->getParameter(kBpm)); // after the first idle
    EXPECT_EQ(view().BpmDisplay().m_editKind, 1);
    EXPECT_EQ(view().DelayTimeDisplay().m_editKind, 0);
}
