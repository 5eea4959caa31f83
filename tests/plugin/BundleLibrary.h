#pragma once
// The built bundle, loaded once per test program.
#include "tools/host/VstHost.h"

inline const VstLibrary& BundleLibrary()
{
    static VstLibrary library(KESTRUNE_BUNDLE_DIR);
    return library;
}
