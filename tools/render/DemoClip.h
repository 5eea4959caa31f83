#pragma once
#include "tools/render/RenderOptions.h"

// Writes a short dry stereo clip of plucked notes and clicks, made here from nothing.
int WriteDemoClip(const RenderOptions& options);
