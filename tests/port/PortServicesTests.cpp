#include "port/CCriticalSection.h"
#include "port/CFile.h"
#include "port/CFileFind.h"
#include "port/CString.h"
#include "port/Folders.h"
#include "port/SjisText.h"
#include "port/WinCompat.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <thread>

namespace {

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(CFileTest, OpenModesFollowTheirFlags)
{
    TempFolder dir;
    const std::string path = dir.Path() + "bank.fxb";
    CFile file;
    EXPECT_FALSE(file.Open(path.c_str(), CFile::typeBinary)) << "reading a missing file must fail";
    EXPECT_EQ(file.Read(nullptr, 4), 0u);
    EXPECT_FALSE(file.Write("x", 1));
    EXPECT_EQ(file.Seek(10, CFile::begin), 0);

    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
    EXPECT_TRUE(file.Write("abcdef", 6));
    file.Close();
    EXPECT_EQ(ReadText(path), "abcdef");

    ASSERT_TRUE(file.Open(path.c_str(), CFile::typeBinary));
    char buffer[8] = {};
    EXPECT_EQ(file.Seek(2, CFile::current), 2);
    EXPECT_EQ(file.Read(buffer, 8), 4u);
    EXPECT_STREQ(buffer, "cdef");
    EXPECT_EQ(file.Seek(1, 7), 6) << "an unknown origin leaves the position";
    EXPECT_EQ(file.Seek(-1, CFile::end), 5);
    file.Close();

    // Read-write never keeps the old contents.
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeReadWrite));
    file.Close();
    EXPECT_EQ(ReadText(path), "");
}

TEST(CFileTest, AcceptsFileUrlsWithEscapesAndRefusesFolders)
{
    TempFolder dir;
    const std::string plain = dir.Path() + "my bank.fxb";
    WriteText(plain, "data");
    const std::string url = "file://" + dir.Path() + "my%20bank.fxb";
    CFile file;
    ASSERT_TRUE(file.Open(url.c_str(), CFile::typeBinary));
    char buffer[5] = {};
    EXPECT_EQ(file.Read(buffer, 4), 4u);
    EXPECT_STREQ(buffer, "data");
    file.Close();
    // A plain path is taken as it is, '%' included.
    WriteText(dir.Path() + "100%25", "x");
    EXPECT_TRUE(file.Open((dir.Path() + "100%25").c_str(), CFile::typeBinary));
    EXPECT_FALSE(file.Open(dir.Path().c_str(), CFile::typeBinary));
}

// Only regular files open, and nothing blocks: a FIFO with no writer (or no reader) fails
// at once instead of waiting for ever; devices are not files either.
TEST(CFileTest, RefusesFifosAndDevicesWithoutBlocking)
{
    TempFolder dir;
    const std::string fifo = dir.Path() + "KestruneDef.fxb";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    CFile file;
    EXPECT_FALSE(file.Open(fifo.c_str(), CFile::typeBinary));
    EXPECT_FALSE(file.Open(fifo.c_str(), CFile::modeWrite));
    EXPECT_FALSE(file.Open("/dev/zero", CFile::typeBinary));
    EXPECT_FALSE(file.Open("/dev/null", CFile::modeWrite));
    ASSERT_EQ(::symlink("/dev/zero", (dir.Path() + "zero").c_str()), 0);
    EXPECT_FALSE(file.Open((dir.Path() + "zero").c_str(), CFile::typeBinary));
    // Creating replaces the FIFO with a regular file.
    ASSERT_TRUE(file.Open(fifo.c_str(), CFile::modeCreate | CFile::modeWrite));
    EXPECT_TRUE(file.Write("bank", 4));
    file.Close();
    EXPECT_EQ(ReadText(fifo), "bank");
}

TEST(CFileFindTest, MatchesWholeNamesOrStarPatternsAndSkipsHiddenEntries)
{
    TempFolder dir;
    CFileFind find;
    EXPECT_FALSE(find.FindFile((dir.Path() + "*.fxb").c_str())) << "empty folder";
    WriteText(dir.Path() + ".hidden.fxb", "");
    EXPECT_FALSE(find.FindFile((dir.Path() + "*.fxb").c_str())) << "hidden entries do not count";
    WriteText(dir.Path() + "notes.txt", "");
    EXPECT_TRUE(find.FindFile((dir.Path() + "*.fxb").c_str())) << "a leading star matches any visible entry";
    EXPECT_FALSE(find.FindFile((dir.Path() + "KestruneDef.fxb").c_str()));
    // Without a star the name is matched whole, never as a prefix.
    WriteText(dir.Path() + "KestruneDef.fxb.tmp-1-0", "");
    WriteText(dir.Path() + "KestruneDef.fxb~", "");
    EXPECT_FALSE(find.FindFile((dir.Path() + "KestruneDef.fxb").c_str()));
    EXPECT_FALSE(find.FindFile((dir.Path() + "KestruneDef").c_str()));
    WriteText(dir.Path() + "KestruneDef.fxb", "");
    EXPECT_TRUE(find.FindFile((dir.Path() + "KestruneDef.fxb").c_str()));
    EXPECT_TRUE(find.FindFile((dir.Path() + "Kestrune.x*").c_str())) << "cut at the star, then at the dot";
    EXPECT_FALSE(find.FindFile("/no/such/folder/KestruneDef.fxb"));
}

TEST(CStringTest, ValueSemanticsAndFind)
{
    CString a("Kestrune");
    CString b = a;
    b += " Delay";
    EXPECT_STREQ(a, "Kestrune");
    EXPECT_STREQ(b, "Kestrune Delay");
    EXPECT_EQ(b.Find("Delay"), 9);
    EXPECT_EQ(b.Find("Reverb"), -1);
    b.Empty();
    EXPECT_STREQ(b, "");
    a = static_cast<const char*>(nullptr);
    EXPECT_STREQ(a, "");
}

TEST(SjisTextTest, RoundTripsJapaneseAndRefusesWhatShiftJisCannotHold)
{
    const char* utf8 = "\xE3\x83\x86\xE3\x83\xBC\xE3\x83\x97\xE3\x82\xA8\xE3\x82\xB3\xE3\x83\xBC"; // テープエコー
    const char* sjis = UTF8ToSJSINS(utf8);
    ASSERT_NE(sjis, nullptr);
    EXPECT_EQ(std::strlen(sjis), 12u) << "six two-byte characters";
    const std::string sjisCopy = sjis;
    char back[64];
    EXPECT_STREQ(CheckSJISAndToUFT8(sjisCopy.c_str(), back), utf8);

    // Windows code page: the backslash and the NEC row survive the round trip.
    const char* mixed = "Dub\\Echo \xE2\x91\xA0"; // circled digit one
    const char* mixedSjis = UTF8ToSJSINS(mixed);
    ASSERT_NE(mixedSjis, nullptr);
    EXPECT_STREQ(CheckSJISAndToUFT8(std::string(mixedSjis).c_str(), back), mixed);

    EXPECT_STREQ(CheckSJISAndToUFT8("Slapback", back), "Slapback") << "valid UTF-8 is copied unchanged";
    EXPECT_EQ(UTF8ToSJSINS("\xF0\x9F\x8E\xB8"), nullptr) << "an emoji has no Shift-JIS form";
    EXPECT_EQ(UTF8ToSJSINS("\xC3"), nullptr) << "broken UTF-8";
    EXPECT_TRUE(IsDBCSLeadByte(0x80));
    EXPECT_FALSE(IsDBCSLeadByte(0x7F));
}

TEST(CCriticalSectionTest, IsRecursiveAndReleasedByMatchingUnlocks)
{
    CCriticalSection section;
    EXPECT_TRUE(section.Lock());
    EXPECT_TRUE(section.Lock());
    std::atomic<bool> acquired {false};
    std::thread other([&] {
        section.Lock();
        acquired = true;
        section.Unlock();
    });
    EXPECT_TRUE(section.Unlock());
    EXPECT_FALSE(acquired.load()) << "still held once";
    EXPECT_TRUE(section.Unlock());
    other.join();
    EXPECT_TRUE(acquired.load());
}

TEST(FoldersTest, PreferencesFolderFollowsXdgWithoutCreatingIt)
{
    TempFolder dir;
    ScopedEnv xdg("XDG_CONFIG_HOME", (dir.Path() + "config").c_str());
    GetMy_SHFOLDER_PathName();
    EXPECT_EQ(std::string(szGlobalMyApplicationDataPathName), dir.Path() + "config/Kestrune/");
    struct stat st {};
    EXPECT_NE(::stat(szGlobalMyApplicationDataPathName, &st), 0) << "lookup must not create the folder";
    EXPECT_TRUE(EnsureFolder(szGlobalMyApplicationDataPathName));
    EXPECT_EQ(::stat(szGlobalMyApplicationDataPathName, &st), 0);

    ScopedEnv relative("XDG_CONFIG_HOME", "relative/config");
    ScopedEnv home("HOME", dir.Path().c_str());
    GetMy_SHFOLDER_PathName();
    EXPECT_EQ(std::string(szGlobalMyApplicationDataPathName), dir.Path() + ".config/Kestrune/");
}

TEST(FoldersTest, ModuleFolderIsAnAbsoluteFolder)
{
    const std::string folder = GetModuleFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_EQ(folder.back(), '/');
}
