#pragma once
// The bundle's Resources folder, from which bitmaps and interface files are loaded by name.
#include <string>

namespace VSTGUI {

// Sets the folder (a trailing '/' is added when missing); null or "" clears it.
void SetResourceFolder(const char* folder);
// The folder with its trailing '/', or "" while none is set.
std::string GetResourceFolder();

} // namespace VSTGUI
