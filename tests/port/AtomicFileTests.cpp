// Whole-file replacement and its tidying: which temporaries count as leftovers, and how
// an entry is moved aside over an older one of another kind.
#include "port/AtomicFile.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::set<std::string> Entries(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

void Touch(const std::string& path, time_t ageSeconds = 0)
{
    std::ofstream(path) << "x";
    if (ageSeconds == 0) return;
    const timespec when[2] = {{time(nullptr) - ageSeconds, 0}, {time(nullptr) - ageSeconds, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), when, 0);
}

std::string EndedProcess()
{
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return std::to_string(child);
}

} // namespace

TEST(AtomicFile, LeftoversAreTemporariesOfGoneWritersOrADayOld)
{
    TempFolder dir;
    const std::string bank = dir.Path() + "bank.fxb";
    const std::string dead = EndedProcess();
    const std::string self = std::to_string(::getpid());
    const std::string parent = std::to_string(::getppid());
    Touch(bank + ".tmp-" + dead + "-0");
    Touch(bank + ".tmp-" + dead + "-12");
    Touch(bank + ".tmp-" + parent + "-3", 2 * 24 * 3600); // alive, but abandoned long ago
    const std::set<std::string> kept = {
        "bank.fxb.tmp-" + parent + "-4",  // a live writer, just now
        "bank.fxb.tmp-" + self + "-5",    // this process may be writing it
        "bank.fxb.tmp-" + dead + "-",     // not our naming
        "bank.fxb.tmp--1",
        "bank.fxb.tmp-" + dead + "-1-2",
        "bank.fxb.tmp-" + dead + "-7.old",
        "bank.fxb~",
        "other.fxb.tmp-" + dead + "-0",
        "bank.fxb",
    };
    for (const std::string& name : kept) Touch(dir.Path() + name);
    ASSERT_EQ(::mkdir((bank + ".tmp-" + dead + "-9").c_str(), 0755), 0); // not a file we wrote
    EXPECT_EQ(RemoveStaleTemporaries(bank), 3);
    std::set<std::string> expected = kept;
    expected.insert("bank.fxb.tmp-" + dead + "-9");
    EXPECT_EQ(Entries(dir.Path()), expected);
}

TEST(AtomicFile, MoveAsideReplacesAnOlderEntryOfAnyKind)
{
    TempFolder dir;
    const std::string path = dir.Path() + "bank.fxb";
    const std::string aside = path + ".damaged";
    EXPECT_FALSE(MoveAside(path, ".damaged")) << "nothing to move";

    Touch(path);
    ASSERT_TRUE(MoveAside(path, ".damaged"));
    EXPECT_TRUE(std::filesystem::is_regular_file(aside));

    ASSERT_EQ(::mkdir(path.c_str(), 0755), 0); // a folder over a file
    Touch(path + "/inside");
    ASSERT_TRUE(MoveAside(path, ".damaged"));
    EXPECT_TRUE(std::filesystem::exists(aside + "/inside"));

    ASSERT_EQ(::mkdir(path.c_str(), 0755), 0); // a folder over a folder with contents
    ASSERT_TRUE(MoveAside(path, ".damaged"));
    EXPECT_TRUE(std::filesystem::is_empty(aside));

    const std::string target = dir.Path() + "target";
    Touch(target);
    ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0); // a link over a folder
    ASSERT_TRUE(MoveAside(path, ".damaged"));
    EXPECT_TRUE(std::filesystem::is_symlink(aside));
    Touch(path);
    ASSERT_TRUE(MoveAside(path, ".damaged"));
    EXPECT_TRUE(std::filesystem::exists(target)) << "replacing a link never removes what it points to";
    EXPECT_FALSE(std::filesystem::exists(path));
}
