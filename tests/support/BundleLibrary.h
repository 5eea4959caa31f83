#pragma once
// The built bundle, loaded once per test program and never unloaded: the drawing
// libraries it pulls in keep caches that would read as leaks once their code is gone.
#include "tools/host/VstHost.h"

#include <gtest/gtest.h>

inline const VstLibrary& BundleLibrary()
{
    static const VstLibrary* library = new VstLibrary(KESTRUNE_BUNDLE_DIR);
    return *library;
}

// Tests that need the bundle stop at once, with the loader's reason, when it is missing.
class BundleTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(BundleLibrary().IsLoaded()) << BundleLibrary().Error(); }
};
