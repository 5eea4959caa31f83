#pragma once
// Counts the X connections opened on one thread (the test's user-interface thread, where the
// panel runs): the test executable's own XOpenDisplay stands in front of libX11's for every
// library the process loads, Kestrune.so included, and forwards to it.
namespace display_opens {

// Starts counting the opens made on the calling thread, from 0.
void WatchThisThread();
int Count();

} // namespace display_opens
