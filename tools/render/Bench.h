#pragma once
#include "tools/render/RenderOptions.h"

// Processes generated noise through each plug-in and prints ns per frame and the
// real-time factor. Returns the exit code.
int RunBench(const RenderOptions& options);
