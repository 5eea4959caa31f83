// Saving over the user's default bank: whatever damaged entry was in its place is kept
// aside whole, a valid bank is simply replaced, and leftovers of interrupted saves go.
#include "effect/BankFile.h"
#include "tests/effect/EffectFixture.h"
#include "tests/support/DamagedBanks.h"
#include "tests/support/PreferencesTest.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <sys/wait.h>

namespace {

class BankSave : public PreferencesTest {
protected:
    std::string AsidePath() const { return BankPath() + ".damaged"; }

    // One instance opens the bank and saves program 0 under a name.
    void OpenAndSave(const char* name)
    {
        EffectRunner r;
        r.fx->open();
        r.fx->setParameter(kFeedBack, 0.25f);
        r.fx->SaveProgram(0, name);
    }
    // The saved bank is whole and valid, and holds the name saved.
    void ExpectSavedBank(const char* name)
    {
        AKestruneProgram programs[kNumPrograms];
        ASSERT_EQ(ReadBankFile(BankPath(), FourCC('K', 'S', 'T', 'R'), programs), BankFileState::valid);
        EXPECT_STREQ(programs[0].name, name);
        EXPECT_EQ(programs[0].values[kFeedBack], 0.25f);
    }
};

std::set<std::string> Entries(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

// The id of a process that has ended.
long EndedProcess()
{
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

} // namespace

TEST_F(BankSave, TheFirstSaveKeepsADamagedBankAsideWhole)
{
    for (const DamagedBank& damage : DamagedBanks()) {
        SCOPED_TRACE(damage.what);
        std::filesystem::remove_all(BankPath());
        std::filesystem::remove_all(AsidePath());
        damage.make(BankPath());
        const std::string damaged = DescribeEntry(BankPath());
        OpenAndSave("Saved");
        ExpectSavedBank("Saved");
        EXPECT_EQ(DescribeEntry(AsidePath()), damaged);
    }
}

TEST_F(BankSave, AnOlderDamagedCopyIsReplacedAndAValidBankIsNot)
{
    ASSERT_EQ(::mkdir(AsidePath().c_str(), 0755), 0);
    std::ofstream(AsidePath() + "/old.txt") << "older";
    std::ofstream(BankPath()) << "newer damage";
    OpenAndSave("First");
    EXPECT_EQ(DescribeEntry(AsidePath()), "file: newer damage") << "a folder of that name is replaced by a file";

    ASSERT_TRUE(std::filesystem::remove(BankPath()));
    ASSERT_EQ(::mkdir(BankPath().c_str(), 0755), 0);
    OpenAndSave("Second");
    EXPECT_EQ(DescribeEntry(AsidePath()), "folder:") << "and a file by a folder";
    ExpectSavedBank("Second");

    OpenAndSave("Third");
    ExpectSavedBank("Third");
    EXPECT_EQ(DescribeEntry(AsidePath()), "folder:") << "a valid bank is replaced, not kept aside";
}

// Which temporaries count as leftovers is the file service's rule (AtomicFile tests); here:
// a save is what removes them, and it touches nothing else.
TEST_F(BankSave, SavingRemovesLeftoversOfInterruptedSaves)
{
    const std::string dead = std::to_string(EndedProcess());
    for (int serial : {0, 1, 17}) std::ofstream(BankPath() + ".tmp-" + dead + "-" + std::to_string(serial)) << "torn";
    std::ofstream(BankPath() + "~") << "a user's own copy";
    OpenAndSave("Saved");
    EXPECT_EQ(Entries(Folder()), (std::set<std::string> {kDefaultBankName, std::string(kDefaultBankName) + "~"}));
}
