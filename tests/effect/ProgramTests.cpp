// Programs, chunks and the default bank file, with real files in a temporary
// preferences folder.
#include "effect/BankFile.h"
#include "port/AtomicFile.h"
#include "port/CFile.h"
#include "port/Folders.h"
#include "tests/effect/EffectFixture.h"
#include "tests/support/TempFolder.h"
#include "tools/factory-bank/FactoryPrograms.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// Each test gets its own preferences folder; the instance is created after it is set.
class Programs : public ::testing::Test {
protected:
    TempFolder dir;
    ScopedEnv xdg {"XDG_CONFIG_HOME", dir.Path().c_str()};
    std::string BankPath() const { return dir.Path() + "Kestrune/KestruneDef.fxb"; }
    std::string Name(AKestrune& fx, int index)
    {
        char text[64] = {};
        fx.getProgramNameIndexed(0, index, text);
        return text;
    }
};

} // namespace

TEST_F(Programs, OpenWithoutAnyBankKeepsEmptyDefaults)
{
    EffectRunner r;
    r.fx->open();
    const AKestruneProgram fresh;
    for (int i = 0; i < kNumPrograms; ++i) {
        EXPECT_EQ(Name(*r.fx, i), "Empty");
        EXPECT_EQ(std::memcmp(r.fx->GetProgramRecord(i).values, fresh.values, sizeof fresh.values), 0);
    }
    EXPECT_FLOAT_EQ(fresh.values[kOutputLevel], 0.90811640f);
    EXPECT_FLOAT_EQ(fresh.values[kBpm], 0.19148937f);
    EXPECT_FALSE(r.fx->IsProgramChanged());
    char unused[24];
    EXPECT_FALSE(r.fx->getProgramNameIndexed(0, 32, unused));
    EXPECT_FALSE(r.fx->getProgramNameIndexed(0, -1, unused));
}

TEST_F(Programs, ChangedMarkFollowsValuesNotNames)
{
    EffectRunner r;
    r.fx->open();
    const float before = r.fx->getParameter(kFeedBack);
    r.fx->setParameter(kFeedBack, 0.4f);
    EXPECT_TRUE(r.fx->IsProgramChanged());
    r.fx->setParameter(kFeedBack, before);
    EXPECT_FALSE(r.fx->IsProgramChanged());
    char name[] = "A name of thirty bytes exactly";
    r.fx->setProgramName(name);
    EXPECT_FALSE(r.fx->IsProgramChanged());
    char back[64] = {};
    r.fx->getProgramName(back);
    EXPECT_EQ(std::string(back), std::string(name, 23));
}

TEST_F(Programs, BankChunkRestoresProgramsAndCurrentProgram)
{
    std::vector<unsigned char> chunk;
    {
        EffectRunner r;
        r.fx->setProgram(5);
        r.fx->setParameter(kDelayTime, 0.125f);
        char name[] = "Five";
        r.fx->setProgramName(name);
        void* data = nullptr;
        const VstInt32 size = r.fx->getChunk(&data, false);
        ASSERT_EQ(size, 2816);
        chunk.assign(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
        void* one = nullptr;
        EXPECT_EQ(r.fx->getChunk(&one, true), 88);
    }
    EffectRunner fresh;
    fresh.fx->setChunk(chunk.data(), static_cast<VstInt32>(chunk.size()), false);
    EXPECT_EQ(fresh.fx->getProgram(), 5);
    EXPECT_EQ(fresh.fx->getParameter(kDelayTime), 0.125f);
    EXPECT_EQ(Name(*fresh.fx, 5), "Five");
}

TEST_F(Programs, ProgramChunkReplacesOnlyTheCurrentProgram)
{
    EffectRunner a, b;
    a.fx->setParameter(kFeedBack, 0.6f);
    char name[] = "Donor";
    a.fx->setProgramName(name);
    void* data = nullptr;
    ASSERT_EQ(a.fx->getChunk(&data, true), 88);
    b.fx->setProgram(3);
    b.fx->setChunk(data, 88, true);
    EXPECT_EQ(b.fx->getParameter(kFeedBack), 0.6f);
    EXPECT_EQ(Name(*b.fx, 3), "Donor");
    EXPECT_EQ(Name(*b.fx, 2), "Empty");
    EXPECT_EQ(b.fx->GetProgramRecord(2).values[kFeedBack], 0.0f);
}

TEST_F(Programs, DamagedChunksAreContainedAndSanitised)
{
    EffectRunner r;
    r.fx->setProgram(4);
    std::vector<AKestruneProgram> bank(40);
    for (auto& p : bank) {
        std::memset(p.name, 'x', sizeof p.name); // no terminator
        p.values[kFeedBack] = std::numeric_limits<float>::quiet_NaN();
        p.values[kDelayTime] = 7.0f;
    }
    bank[0].slot = 99;
    r.fx->setChunk(nullptr, 2816, false);
    r.fx->setChunk(bank.data(), 0, false);
    r.fx->setChunk(bank.data(), -5, false);
    EXPECT_EQ(Name(*r.fx, 0), "Empty") << "null or non-positive sizes are ignored";
    r.fx->setChunk(bank.data(), static_cast<VstInt32>(bank.size() * sizeof(AKestruneProgram)), false);
    EXPECT_EQ(r.fx->getProgram(), 4) << "a slot outside 0..31 is not applied";
    EXPECT_EQ(Name(*r.fx, 31), std::string(23, 'x'));
    EXPECT_EQ(r.fx->getParameter(kFeedBack), 0.0f);
    EXPECT_EQ(r.fx->getParameter(kDelayTime), 1.0f);
    // A short program chunk replaces only its length.
    const float values[2] = {0.0f, 0.25f};
    r.fx->setChunk(const_cast<float*>(values), sizeof values, true);
    EXPECT_EQ(r.fx->getParameter(kOutputLevel), 0.25f);
    EXPECT_EQ(r.fx->getParameter(kDelayTime), 1.0f);
}

TEST_F(Programs, SaveWritesTheDefaultBankAndReloadsAsReference)
{
    {
        EffectRunner r;
        r.fx->open();
        r.fx->setProgram(2);
        r.fx->setParameter(kFeedBack, 0.55f);
        r.fx->SaveProgram(7, "Dub7");
        EXPECT_EQ(r.fx->getProgram(), 7);
        EXPECT_EQ(Name(*r.fx, 7), "Dub7");
        EXPECT_FALSE(r.fx->IsProgramChanged());
        EXPECT_EQ(r.fx->GetProgramRecord(2).values[kFeedBack], 0.0f) << "slot 2 returns to its reference";
        EXPECT_EQ(r.fx->GetProgramRecord(7).values[kFeedBack], 0.55f);
    }
    const std::vector<unsigned char> file = ReadFile(BankPath());
    ASSERT_EQ(file.size(), 2976u);
    EXPECT_EQ(std::memcmp(file.data(), "CcnK", 4), 0);
    EXPECT_EQ(std::memcmp(file.data() + 4, "\0\0\0\0", 4), 0);
    EXPECT_EQ(std::memcmp(file.data() + 8, "FBCh", 4), 0);
    EXPECT_EQ(std::memcmp(file.data() + 16, "KSTR", 4), 0);
    EXPECT_EQ(std::memcmp(file.data() + 156, "\x00\x00\x0B\x00", 4), 0);
    int32_t slot = 0;
    std::memcpy(&slot, file.data() + 160 + 84, 4);
    EXPECT_EQ(slot, 7);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data()) + 160 + 7 * 88 + 60), "Dub7");
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path() + "Kestrune"))
        EXPECT_EQ(entry.path().filename(), "KestruneDef.fxb") << "no temporary file left behind";

    // The next instance loads it as its working and reference set.
    EffectRunner next;
    next.fx->open();
    EXPECT_EQ(next.fx->getProgram(), 7);
    EXPECT_EQ(next.fx->getParameter(kFeedBack), 0.55f);
    EXPECT_FALSE(next.fx->IsProgramChanged());
}

TEST_F(Programs, CopyAndRevertOperations)
{
    EffectRunner r;
    r.fx->open();
    r.fx->setProgram(1);
    r.fx->setParameter(kDepth, 0.3f);
    char name[] = "Source";
    r.fx->setProgramName(name);
    r.fx->setProgram(4);
    r.fx->CopyPgFrom(1);
    EXPECT_EQ(r.fx->getParameter(kDepth), 0.3f);
    EXPECT_EQ(Name(*r.fx, 4), "Source");
    EXPECT_TRUE(r.fx->IsProgramChanged()) << "the reference is not changed by a copy";
    EXPECT_EQ(ReadFile(BankPath()).size(), 2976u);
    r.fx->CopyPgFrom(40);
    r.fx->ProgramToInitial();
    EXPECT_FALSE(r.fx->IsProgramChanged());
    EXPECT_EQ(r.fx->getParameter(kDepth), 0.0f);
    r.fx->setProgram(1);
    r.fx->ProgramToAllInitial();
    EXPECT_EQ(r.fx->GetProgramRecord(1).values[kDepth], 0.0f);
}

TEST_F(Programs, FactoryProgramsComeFromThePluginFolderOnly)
{
    AKestruneProgram factory[kNumPrograms];
    for (int i = 0; i < kNumPrograms; ++i) {
        factory[i].values[kFeedBack] = 0.01f * static_cast<float>(i);
        std::snprintf(factory[i].name, sizeof factory[i].name, "Factory %d", i);
    }
    unsigned char image[kBankFileSize];
    BuildBankImage(factory, FourCC('K', 'S', 'T', 'R'), image);
    // The host names the plug-in folder.
    ASSERT_TRUE(EnsureFolder(dir.Path() + "plugin/"));
    ASSERT_TRUE(WriteFileAtomically(dir.Path() + "plugin/" + kDefaultBankName, image, sizeof image));
    {
        EffectRunner r(true);
        r.host.directory = dir.Path() + "plugin/";
        r.fx->open();
        EXPECT_EQ(Name(*r.fx, 3), "Factory 3") << "no user bank: the plug-in folder's bank is loaded";
        r.fx->setProgram(3);
        r.fx->setParameter(kFeedBack, 0.9f);
        r.fx->ProgramToFactory();
        EXPECT_FLOAT_EQ(r.fx->getParameter(kFeedBack), 0.03f);
        r.fx->setProgram(5);
        r.fx->setParameter(kFeedBack, 0.9f);
        r.fx->ProgramToAllFactory();
        EXPECT_FLOAT_EQ(r.fx->getParameter(kFeedBack), 0.05f);
    }
}

TEST_F(Programs, FailedSaveKeepsTheOldBank)
{
    EffectRunner r;
    r.fx->open();
    r.fx->SaveProgram(0, "First");
    const std::vector<unsigned char> before = ReadFile(BankPath());
    ASSERT_EQ(before.size(), 2976u);
    // A folder in the way of the new file: the rename fails.
    EXPECT_FALSE(WriteFileAtomically(dir.Path() + "Kestrune", before.data(), before.size()));
    EXPECT_EQ(ReadFile(BankPath()), before);
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().filename(), "Kestrune") << "no temporary file left behind";
}

// With the panel open a time-mode change stores the delay in force into the program: the
// factory programs must still come up unchanged, whatever mode the one before was in.
TEST_F(Programs, ChoosingAFactoryProgramWithThePanelOpenLeavesItUnchanged)
{
    AKestruneProgram factory[kNumPrograms];
    for (int i = 0; i < kNumPrograms; ++i) factory[i] = MakeProgram(kFactorySettings[i]);
    unsigned char image[kBankFileSize];
    BuildBankImage(factory, FourCC('K', 'S', 'T', 'R'), image);
    ASSERT_TRUE(EnsureFolder(dir.Path() + "plugin/"));
    ASSERT_TRUE(WriteFileAtomically(dir.Path() + "plugin/" + kDefaultBankName, image, sizeof image));
    for (double hostTempo : {0.0, 96.0}) {
        EffectRunner r(true);
        r.host.directory = dir.Path() + "plugin/";
        r.host.tempoAt = hostTempo;
        r.fx->open();
        r.fx->setBlockSize(64);
        r.fx->SetEditorViewOpen(true);
        std::vector<float> left(64), right(64);
        for (int from = 0; from < kNumPrograms; ++from) {
            for (int to = 0; to < kNumPrograms; ++to) {
                r.fx->setProgram(from);
                r.Run(left, right, 64);
                r.fx->setProgram(to);
                r.Run(left, right, 64);
                EXPECT_FALSE(r.fx->IsProgramChanged()) << kFactorySettings[to].name << " after "
                                                       << kFactorySettings[from].name << ", host tempo " << hostTempo;
            }
        }
    }
}
