// The user's default bank as a host opening Kestrune meets it: real files in a temporary
// preferences folder, read by the built bundle. Whatever is found damaged counts as absent:
// the factory bank loads and the damaged entry stays as it was.
#include "tests/support/DamagedBanks.h"
#include "tests/support/BundleLibrary.h"
#include "tests/support/PreferencesTest.h"
#include "tools/factory-bank/FactoryPrograms.h"

#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <unistd.h>

namespace {

class UserBank : public PreferencesTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(BundleLibrary().IsLoaded()) << BundleLibrary().Error();
        PreferencesTest::SetUp();
    }

    // Opens an instance; a read that blocks (a FIFO opened for reading waits for a writer)
    // is released by opening the FIFO for writing, so the test fails instead of hanging.
    ::testing::AssertionResult OpenWithin(VstInstance& fx, std::chrono::seconds limit)
    {
        auto opened = std::async(std::launch::async, [&fx] { fx.Dispatch(effOpen); });
        if (opened.wait_for(limit) == std::future_status::ready) return ::testing::AssertionSuccess();
        const int writer = ::open(BankPath().c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) ::close(writer); // the reader then finds the end of the file
        opened.wait();
        return ::testing::AssertionFailure() << "open blocked for more than " << limit.count() << " s";
    }
};

// The names of all 32 programs, joined.
std::string ProgramNames(VstInstance& fx)
{
    std::string names;
    for (int p = 0; p < kNumPrograms; ++p) {
        char name[64] = {};
        fx.Dispatch(effGetProgramNameIndexed, p, 0, name);
        names += std::string(name) + ";";
    }
    return names;
}

std::string FactoryNames()
{
    std::string names;
    for (const FactorySetting& s : kFactorySettings) names += std::string(s.name) + ";";
    return names;
}

} // namespace

TEST_F(UserBank, AnythingButAWholeValidBankCountsAsAbsent)
{
    for (const DamagedBank& damage : DamagedBanks()) {
        SCOPED_TRACE(damage.what);
        std::filesystem::remove_all(BankPath());
        damage.make(BankPath());
        const std::string before = DescribeEntry(BankPath());
        VstInstance fx(BundleLibrary());
        ASSERT_TRUE(fx.IsValid());
        ASSERT_TRUE(OpenWithin(fx, std::chrono::seconds(10)));
        EXPECT_EQ(ProgramNames(fx), FactoryNames()) << "the factory bank loads";
        EXPECT_EQ(fx.Dispatch(effGetProgram), 0);
        EXPECT_EQ(fx.ParameterDisplay(kDelayTime), std::to_string(static_cast<int>(kFactorySettings[0].delayMs)));
        EXPECT_EQ(DescribeEntry(BankPath()), before) << "opening leaves the damaged entry alone";
    }
}

TEST_F(UserBank, OnlyTheExactNameIsTheBank)
{
    const std::vector<unsigned char> user = UserBankImage();
    for (const char* near : {".tmp-1-0", "~", ".damaged", ".bak"}) WriteBytes(BankPath() + near, user);
    WriteBytes(Folder() + "kestrunedef.fxb", user);
    {
        VstInstance fx(BundleLibrary());
        fx.Dispatch(effOpen);
        EXPECT_EQ(ProgramNames(fx), FactoryNames()) << "names that merely begin like the bank are not it";
    }
    WriteBytes(BankPath(), user);
    VstInstance fx(BundleLibrary());
    fx.Dispatch(effOpen);
    EXPECT_EQ(fx.ProgramName(), "User 0") << "the bank itself loads";
    EXPECT_EQ(fx.ParameterDisplay(kFeedBack), "50.0");
}
