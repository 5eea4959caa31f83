#pragma once
#include "tools/render/RenderOptions.h"

// Renders options.input through the first plug-in into options.output. Returns the exit code.
int RenderFile(const RenderOptions& options);
