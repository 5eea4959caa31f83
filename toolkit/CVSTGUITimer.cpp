#include "toolkit/CVSTGUITimer.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace VSTGUI {

const char* const kMsgTimer = "timer fired";

namespace {

// Running timers; touched only on the user-interface thread.
std::vector<CVSTGUITimer*>& runningTimers()
{
    static std::vector<CVSTGUITimer*> timers;
    return timers;
}

bool isRegistered(CVSTGUITimer* timer)
{
    auto& timers = runningTimers();
    return std::find(timers.begin(), timers.end(), timer) != timers.end();
}

} // namespace

CVSTGUITimer::CVSTGUITimer(CBaseObject* timerTarget, int fireTimeMs)
    : target(timerTarget), fireTime(std::max(1, fireTimeMs))
{
}

CVSTGUITimer::~CVSTGUITimer() { stop(); }

int64_t CVSTGUITimer::nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool CVSTGUITimer::start()
{
    if (running)
        return true;
    running = true;
    nextFire = nowMs() + fireTime;
    runningTimers().push_back(this);
    return true;
}

bool CVSTGUITimer::stop()
{
    if (!running)
        return true;
    running = false;
    auto& timers = runningTimers();
    timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
    return true;
}

bool CVSTGUITimer::setFireTime(int ms)
{
    ms = std::max(1, ms);
    if (ms != fireTime) {
        const bool wasRunning = running;
        stop();
        fireTime = ms;
        if (wasRunning)
            start();
    }
    return true;
}

void CVSTGUITimer::fireDueTimers()
{
    const int64_t now = nowMs();
    // A target may stop or delete any timer while it is notified: work on a copy and skip
    // timers that left the list meanwhile.
    const std::vector<CVSTGUITimer*> snapshot = runningTimers();
    for (CVSTGUITimer* timer : snapshot) {
        if (!isRegistered(timer) || timer->nextFire > now)
            continue;
        // A late host idle fires once and starts counting again from now.
        timer->nextFire = std::max(timer->nextFire + timer->fireTime, now + 1);
        if (timer->target)
            timer->target->notify(timer, kMsgTimer);
    }
}

int CVSTGUITimer::msUntilNextTimer()
{
    const auto& timers = runningTimers();
    if (timers.empty())
        return -1;
    int64_t next = timers.front()->nextFire;
    for (const CVSTGUITimer* timer : timers)
        next = std::min(next, timer->nextFire);
    return int(std::max<int64_t>(0, next - nowMs()));
}

} // namespace VSTGUI
