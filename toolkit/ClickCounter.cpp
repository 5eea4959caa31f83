#include "toolkit/ClickCounter.h"

#include <cstdint>
#include <cstdlib>

namespace VSTGUI {

int ClickCounter::press(unsigned int button, unsigned long timeMs, int x, int y)
{
    const uint32_t elapsed = uint32_t(timeMs) - uint32_t(lastTime);
    const bool repeat = count > 0 && button == lastButton && elapsed <= kIntervalMs
                        && std::abs(x - lastX) <= kSlopPixels && std::abs(y - lastY) <= kSlopPixels;
    count = repeat ? count + 1 : 1;
    lastButton = button;
    lastTime = timeMs;
    lastX = x;
    lastY = y;
    return count;
}

} // namespace VSTGUI
