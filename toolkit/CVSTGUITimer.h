#pragma once
// A repeating timer on the user-interface thread. It fires from the toolkit's event
// dispatch (CFrame0::dispatchEvents and the modal loops), so its target runs on the thread
// that drives the editor.
#include "toolkit/CBaseObject.h"

#include <cstdint>

namespace VSTGUI {

extern const char* const kMsgTimer; // "timer fired"

class CVSTGUITimer : public CBaseObject {
public:
    CVSTGUITimer(CBaseObject* target, int fireTimeMs = 100);
    ~CVSTGUITimer() override;
    CVSTGUITimer(const CVSTGUITimer&) = delete;
    CVSTGUITimer& operator=(const CVSTGUITimer&) = delete;

    bool start();
    bool stop();
    bool setFireTime(int ms);
    int getFireTime() const { return fireTime; }
    bool isRunning() const { return running; }

    // Fires every running timer whose time has come, each at most once.
    static void fireDueTimers();
    // Milliseconds until the next timer is due (0 when overdue), or -1 without running timers.
    static int msUntilNextTimer();
    // A monotonic clock in milliseconds.
    static int64_t nowMs();

private:
    CBaseObject* target;
    int fireTime;
    bool running = false;
    int64_t nextFire = 0;
};

} // namespace VSTGUI
