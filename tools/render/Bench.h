#pragma once
#include "tools/render/RenderOptions.h"

// Processes generated noise through each plug-in and prints ns of the processing
// thread's CPU time per frame, the real-time factor, and each one's cost relative to
// the first plug-in's (ratio). Returns the exit code.
int RunBench(const RenderOptions& options);
