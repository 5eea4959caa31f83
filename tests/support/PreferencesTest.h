#pragma once
// A test with its own preferences folder: a temporary XDG_CONFIG_HOME in force for the
// test, with Kestrune's folder made in it.
#include "effect/BankFile.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

class PreferencesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(::mkdir(Folder().c_str(), 0755), 0); }
    std::string Folder() const { return preferences.Path() + "Kestrune/"; }
    std::string BankPath() const { return Folder() + kDefaultBankName; }

    TempFolder preferences;
    ScopedEnv xdg {"XDG_CONFIG_HOME", preferences.Path().c_str()};
};
