#pragma once
// X has no click count: a press counts as a repeat of the previous one when it comes with the
// same button within the double-click interval and a few pixels of it.
namespace VSTGUI {

class ClickCounter {
public:
    static constexpr unsigned long kIntervalMs = 400;
    static constexpr int kSlopPixels = 4;

    // The click count of this press: 1 for a single click, 2 for a double click and so on.
    // timeMs is the X server time, which wraps at 32 bits.
    int press(unsigned int button, unsigned long timeMs, int x, int y);
    void reset() { count = 0; }

private:
    int count = 0;
    unsigned int lastButton = 0;
    unsigned long lastTime = 0;
    int lastX = 0;
    int lastY = 0;
};

} // namespace VSTGUI
