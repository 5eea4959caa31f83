// A frame embedded in a host window under Xvfb: its own connection, exposes per rectangle,
// the button word, double clicks and the wheel. (Bitmaps on screen are compared pixel for
// pixel in the panel's own Xvfb tests.)
#include <gtest/gtest.h> // before X11, whose macros clash with its names

#include "XvfbHarness.h"
#include "toolkit/ButtonState.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/X11View.h"

using namespace VSTGUI;
using namespace toolkit_test;

namespace {

struct Recorder {
    std::vector<CRect0> draws;
    std::vector<CRect0> clips;
    std::vector<long> downs, ups, moves;
    std::vector<CPoint0> downPoints;
    std::vector<long> wheels;
    std::vector<long> sideways;
};

void onDraw(CDrawContext* context, void* user, long left, long top, long right, long bottom)
{
    auto* r = static_cast<Recorder*>(user);
    r->draws.emplace_back(left, top, right, bottom);
    CRect0 clip;
    r->clips.push_back(context->getClipRect(clip));
}
void onDown(CDrawContext*, CPoint0& where, long buttons, void* user)
{
    static_cast<Recorder*>(user)->downs.push_back(buttons);
    static_cast<Recorder*>(user)->downPoints.push_back(where);
}
void onUp(CDrawContext*, CPoint0&, long buttons, void* user) { static_cast<Recorder*>(user)->ups.push_back(buttons); }
void onMove(CDrawContext*, CPoint0&, long buttons, void* user) { static_cast<Recorder*>(user)->moves.push_back(buttons); }
void onWheel(CDrawContext* context, CPoint0&, long distance, long distance2, void* user)
{
    EXPECT_EQ(context, nullptr);
    static_cast<Recorder*>(user)->wheels.push_back(distance);
    static_cast<Recorder*>(user)->sideways.push_back(distance2);
}

class FrameTest : public ::testing::Test {
protected:
    Host host;
    Recorder recorder;
    CFrame0* frame = nullptr;

    void SetUp() override
    {
        ASSERT_NE(host.display, nullptr) << "no X display: run under xvfb-run";
        frame = new CFrame0(CRect0(0, 0, 300, 200), host.parent(), nullptr, nullptr);
        ASSERT_TRUE(frame->isOpen());
        frame->drawCallback = onDraw;
        frame->mouseDownCallback = onDown;
        frame->mouseUpCallback = onUp;
        frame->mouseMovedCallback = onMove;
        frame->wheelCallback = onWheel;
        frame->callbackUser = &recorder;
        pump(*frame, [&] { return !recorder.draws.empty(); });
        recorder.draws.clear();
        recorder.clips.clear();
    }
    void TearDown() override
    {
        if (frame)
            frame->forget();
    }
};

} // namespace

// The embedding itself (parent, _XEMBED_INFO, the window gone at close) is checked on the
// panel in a host under Xvfb.
TEST_F(FrameTest, EachFrameHasItsOwnConnectionAndADetachedOneNone)
{
    CFrame0* second = new CFrame0(CRect0(0, 0, 50, 50), host.parent(), nullptr, nullptr);
    ASSERT_TRUE(second->isOpen());
    EXPECT_NE(static_cast<X11View*>(second->getPlatformView())->getDisplay(),
              static_cast<X11View*>(frame->getPlatformView())->getDisplay());
    second->forget();

    CFrame0 detached(CRect0(0, 0, 10, 10), nullptr, nullptr, nullptr);
    EXPECT_FALSE(detached.isOpen());
    EXPECT_EQ(detached.getPlatformView(), nullptr);
    detached.invalidRect(CRect0(0, 0, 5, 5)); // ignored
    detached.remember(); // stack object: keep forget() from deleting it
}

TEST_F(FrameTest, EachInvalidRectangleIsDrawnOnItsOwnWithItsClip)
{
    frame->invalidRect(CRect0(10, 10, 40, 30));
    frame->invalidRect(CRect0(200, 100, 260, 180));
    InvalidateNSView(frame->getPlatformView(), 100, 5, 20, 20);
    ASSERT_TRUE(pump(*frame, [&] { return recorder.draws.size() >= 3; }));
    ASSERT_EQ(recorder.draws.size(), 3u);
    EXPECT_EQ(recorder.draws[0], CRect0(10, 10, 40, 30));
    EXPECT_EQ(recorder.draws[1], CRect0(200, 100, 260, 180));
    EXPECT_EQ(recorder.draws[2], CRect0(100, 5, 120, 25));
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(recorder.clips[i], recorder.draws[i]);

    recorder.draws.clear();
    frame->invalidRect(CRect0(290, 190, 400, 400)); // cut to the frame
    ASSERT_TRUE(pump(*frame, [&] { return !recorder.draws.empty(); }));
    EXPECT_EQ(recorder.draws[0], CRect0(290, 190, 300, 200));
}

TEST_F(FrameTest, ButtonsModifiersAndMovesArriveWithTheButtonWord)
{
    host.click(kHostX + 20, kHostY + 30, 1);
    ASSERT_TRUE(pump(*frame, [&] { return recorder.ups.size() == 1; }));
    EXPECT_EQ(recorder.downs.back(), kLButton);
    EXPECT_EQ(recorder.downPoints.back(), CPoint0(20, 30));
    EXPECT_EQ(recorder.ups.back(), kLButton);

    std::this_thread::sleep_for(std::chrono::milliseconds(450)); // no double click with the next
    host.click(kHostX + 60, kHostY + 30, 3);
    host.key(XK_Shift_L, true);
    host.click(kHostX + 90, kHostY + 30, 2);
    host.key(XK_Shift_L, false);
    ASSERT_TRUE(pump(*frame, [&] { return recorder.ups.size() == 3; }));
    EXPECT_EQ(recorder.downs[1], kRButton);
    EXPECT_EQ(recorder.downs[2], kMButton | kShift);

    recorder.moves.clear();
    host.moveTo(kHostX + 100, kHostY + 100);
    host.button(1, true);
    host.moveTo(kHostX + 120, kHostY + 110);
    host.button(1, false);
    ASSERT_TRUE(pump(*frame, [&] { return recorder.ups.size() == 4; }));
    ASSERT_FALSE(recorder.moves.empty());
    EXPECT_EQ(recorder.moves.back(), kLButton); // dragged with the left button held
}

TEST_F(FrameTest, SecondQuickClickCarriesTheDoubleClickFlag)
{
    host.click(kHostX + 50, kHostY + 50);
    host.click(kHostX + 51, kHostY + 50);
    ASSERT_TRUE(pump(*frame, [&] { return recorder.downs.size() == 2; }));
    EXPECT_EQ(recorder.downs[0], kLButton);
    EXPECT_EQ(recorder.downs[1], kLButton | kDoubleClick);
    std::this_thread::sleep_for(std::chrono::milliseconds(450));
    host.click(kHostX + 51, kHostY + 50);
    ASSERT_TRUE(pump(*frame, [&] { return recorder.downs.size() == 3; }));
    EXPECT_EQ(recorder.downs[2], kLButton);
}

TEST_F(FrameTest, WheelButtonsGoToTheWheelCallback)
{
    host.click(kHostX + 50, kHostY + 50, 4);
    host.click(kHostX + 50, kHostY + 50, 5);
    host.click(kHostX + 50, kHostY + 50, 6); // horizontal: left, then right
    host.click(kHostX + 50, kHostY + 50, 7);
    ASSERT_TRUE(pump(*frame, [&] { return recorder.wheels.size() == 4; }));
    EXPECT_EQ(recorder.wheels, (std::vector<long> {1, -1, 0, 0})); // only the vertical wheel in the first
    EXPECT_EQ(recorder.sideways, (std::vector<long> {1, -1, 1, -1}));
    EXPECT_TRUE(recorder.downs.empty());
}
