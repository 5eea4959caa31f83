#include "tests/editor/DisplayOpens.h"

#include <X11/Xlib.h>
#include <atomic>
#include <dlfcn.h>
#include <thread>

namespace {
std::atomic<int> gCount {0};
std::atomic<std::thread::id> gWatched {};
} // namespace

namespace display_opens {

void WatchThisThread()
{
    gWatched = std::this_thread::get_id();
    gCount = 0;
}

int Count() { return gCount; }

} // namespace display_opens

extern "C" Display* XOpenDisplay(_Xconst char* name)
{
    using Open = Display* (*)(_Xconst char*);
    static const Open real = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "XOpenDisplay"));
    if (std::this_thread::get_id() == gWatched.load()) ++gCount;
    return real ? real(name) : nullptr;
}
