#pragma once
#include "tools/render/RenderOptions.h"

// Draws Kestrune's panel for the chosen program and settings into a PNG, without an X
// server: the plug-in is loaded as usual to take the settings, and the same state is then
// drawn by the editor code linked into this tool.
int WritePanelPicture(const RenderOptions& options);
