#pragma once
// Where the plug-in finds its files: the user's preferences folder and its own folder.
#include <string>

constexpr int kMaxPathBuffer = 2048;

// The preferences folder, ending in '/', or empty until a lookup succeeded.
extern char szGlobalMyApplicationDataPathName[kMaxPathBuffer];

// $XDG_CONFIG_HOME/Kestrune/ (default $HOME/.config/Kestrune/). The folder is not
// created here; the first write creates it. Leaves the buffer unchanged on failure.
void GetMy_SHFOLDER_PathName();

// Creates the folder (and its parents) when missing; true when it exists afterwards.
bool EnsureFolder(const std::string& folder);

// The folder holding the loaded Kestrune.so (or the executable it is linked into),
// ending in '/'.
std::string GetModuleFolder();
