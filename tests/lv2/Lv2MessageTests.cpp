// The LV2 edition's panel messages through our lilv host: program operations sent on the
// control input, done by the worker, and the Panel message the notify output answers with.
#include "effect/BankFile.h"
#include "effect/ParameterUnits.h"
#include "lv2/Lv2Messages.h"
#include "tests/lv2/Editions.h"
#include "tests/support/TempFolder.h"
#include "tools/factory-bank/FactoryPrograms.h"

#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <optional>
#include <string>

namespace {

struct Panel {
    int program = -1;
    bool changed = false;
    bool saveFailed = false;
    int done = -1;
    std::vector<float> values;
    std::vector<std::string> names;
};

class Lv2Messages : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(Lv2Plugin(), nullptr); }
    LV2_URID Map(const char* uri) { return BuiltLv2Bundle().Urids().Map(uri); }

    std::unique_ptr<Lv2Instance> Instance(bool withWorker = true)
    {
        auto fx = std::make_unique<Lv2Instance>(BuiltLv2Bundle(), Lv2Plugin(), kSampleRate, 256, withWorker);
        EXPECT_TRUE(fx->IsValid());
        return fx;
    }

    // One operation object, with a program and a name when given.
    void Send(Lv2Instance& fx, const char* type, int program = -1, const char* name = nullptr)
    {
        std::vector<uint64_t> buffer(64);
        LV2_Atom_Forge forge;
        lv2_atom_forge_init(&forge, BuiltLv2Bundle().Urids().MapFeatureData());
        lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(buffer.data()), buffer.size() * sizeof(uint64_t));
        LV2_Atom_Forge_Frame frame;
        lv2_atom_forge_object(&forge, &frame, 0, Map(type));
        if (program >= 0) {
            lv2_atom_forge_key(&forge, Map(kLv2Program));
            lv2_atom_forge_int(&forge, program);
        }
        if (name) {
            lv2_atom_forge_key(&forge, Map(kLv2Name));
            lv2_atom_forge_string(&forge, name, static_cast<uint32_t>(std::strlen(name)));
        }
        lv2_atom_forge_pop(&forge, &frame);
        fx.SendAtom(reinterpret_cast<const LV2_Atom*>(buffer.data()));
    }

    void Block(Lv2Instance& fx)
    {
        std::vector<float> left(256, 0.1f), right(256, -0.1f);
        fx.Run(left.data(), right.data(), left.data(), right.data(), 256);
    }

    // The last Panel message the plug-in sent since the last look, if any.
    std::optional<Panel> LastPanel(Lv2Instance& fx)
    {
        std::optional<Panel> last;
        for (const std::vector<uint8_t>& bytes : fx.TakeSent()) {
            const auto* object = reinterpret_cast<const LV2_Atom_Object*>(bytes.data());
            if (object->atom.type != Map(LV2_ATOM__Object) || object->body.otype != Map(kLv2Panel)) continue;
            const LV2_Atom *program = nullptr, *changed = nullptr, *failed = nullptr, *values = nullptr,
                           *names = nullptr, *done = nullptr;
            lv2_atom_object_get(object, Map(kLv2Program), &program, Map(kLv2Changed), &changed, Map(kLv2SaveFailed),
                                &failed, Map(kLv2Values), &values, Map(kLv2Names), &names, Map(kLv2Done), &done, 0);
            if (!program || !changed || !failed || !values || !names || !done) {
                ADD_FAILURE() << "a Panel message without all its properties";
                continue;
            }
            Panel panel;
            panel.program = reinterpret_cast<const LV2_Atom_Int*>(program)->body;
            panel.changed = reinterpret_cast<const LV2_Atom_Bool*>(changed)->body != 0;
            panel.saveFailed = reinterpret_cast<const LV2_Atom_Bool*>(failed)->body != 0;
            panel.done = reinterpret_cast<const LV2_Atom_Int*>(done)->body;
            const auto* vector = reinterpret_cast<const LV2_Atom_Vector*>(values);
            EXPECT_EQ(vector->body.child_type, Map(LV2_ATOM__Float));
            const auto* first = reinterpret_cast<const float*>(vector + 1);
            panel.values.assign(first, first + (vector->atom.size - sizeof vector->body) / sizeof(float));
            LV2_ATOM_TUPLE_FOREACH (reinterpret_cast<const LV2_Atom_Tuple*>(names), name)
                panel.names.emplace_back(static_cast<const char*>(LV2_ATOM_BODY_CONST(name)));
            last = panel;
        }
        return last;
    }

    // The factory program's values in port units.
    static std::vector<float> FactoryValues(int program)
    {
        const AKestruneProgram record = MakeProgram(kFactorySettings[program]);
        std::vector<float> values;
        for (int i = 0; i < kNumParams; ++i) values.push_back(static_cast<float>(UnitsFromNormalised(i, record.values[i])));
        return values;
    }

    TempFolder dir;
    ScopedEnv xdg {"XDG_CONFIG_HOME", dir.Path().c_str()};
    std::string BankPath() const { return dir.Path() + "Kestrune/KestruneDef.fxb"; }
};

} // namespace

TEST_F(Lv2Messages, FirstBlockTellsThePanelEverythingThenOnlyChanges)
{
    auto fx = Instance();
    Block(*fx);
    const std::optional<Panel> first = LastPanel(*fx);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->program, 0);
    EXPECT_FALSE(first->saveFailed);
    // The ports' defaults went over program 0 before the block, as a host's values do.
    const Settings defaults = DefaultSettings();
    EXPECT_EQ(first->values, std::vector<float>(defaults.begin(), defaults.end()));
    EXPECT_TRUE(first->changed);
    ASSERT_EQ(first->names.size(), static_cast<size_t>(kNumPrograms));
    for (int p = 0; p < kNumPrograms; ++p) EXPECT_EQ(first->names[p], kFactorySettings[p].name) << p;

    Block(*fx);
    EXPECT_FALSE(LastPanel(*fx)) << "nothing changed, nothing sent";
    Send(*fx, kLv2Refresh);
    Block(*fx);
    EXPECT_TRUE(LastPanel(*fx)) << "a refresh is answered even without a change";

    // In BPM mode the panel learns the delay time the effect computed, which no port holds.
    fx->SetControl("time_mode", kTimeModeBpm);
    fx->SetControl("bpm", 100.0f);
    fx->SetControl("note", 6.0f); // 1/4
    fx->SetControl("feedback", 55.0f);
    Block(*fx);
    const std::optional<Panel> bpm = LastPanel(*fx);
    ASSERT_TRUE(bpm);
    EXPECT_EQ(bpm->values[kDelayTime], 600.0f);
    EXPECT_EQ(bpm->values[kBpm], 100.0f);
    EXPECT_EQ(bpm->values[kFeedBack], 55.0f);
    EXPECT_EQ(fx->Control("delay_time"), 0.0f) << "the port keeps the host's value";
}

TEST_F(Lv2Messages, ProgramChosenFromTheMenuReportsItsFifteenValues)
{
    auto fx = Instance();
    Block(*fx);
    LastPanel(*fx);
    Send(*fx, kLv2CopyProgram, 9);
    Block(*fx); // the worker copies after this block
    Block(*fx);
    const std::optional<Panel> panel = LastPanel(*fx);
    ASSERT_TRUE(panel);
    // The menu copies the chosen program into the current one, as in the VST edition.
    EXPECT_EQ(panel->program, 0);
    EXPECT_EQ(panel->done, 1);
    EXPECT_EQ(panel->values, FactoryValues(9));
    EXPECT_EQ(panel->names[0], kFactorySettings[9].name);
    EXPECT_TRUE(panel->changed);
    // The ports still hold program 0's values: they are not applied over the copy.
    Block(*fx);
    EXPECT_FALSE(LastPanel(*fx));

    // Back to what program 0 was; and out of range is ignored.
    Send(*fx, kLv2ProgramToInitial);
    Send(*fx, kLv2CopyProgram, kNumPrograms);
    Block(*fx);
    Block(*fx);
    const std::optional<Panel> initial = LastPanel(*fx);
    ASSERT_TRUE(initial);
    EXPECT_EQ(initial->values, FactoryValues(0));
    EXPECT_FALSE(initial->changed);
}

TEST_F(Lv2Messages, SaveByMessageWritesTheBankAndRenames)
{
    auto fx = Instance();
    fx->SetControl("feedback", 12.0f);
    Block(*fx);
    Send(*fx, kLv2SaveProgram, 3, "Mine");
    Block(*fx);
    Block(*fx);
    const std::optional<Panel> panel = LastPanel(*fx);
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->program, 3);
    EXPECT_EQ(panel->names[3], "Mine");
    EXPECT_EQ(panel->values[kFeedBack], 12.0f);
    EXPECT_FALSE(panel->changed);
    EXPECT_FALSE(panel->saveFailed);

    AKestruneProgram bank[kNumPrograms];
    ASSERT_EQ(ReadBankFile(BankPath(), FourCC('K', 'S', 'T', 'R'), bank), BankFileState::valid);
    EXPECT_STREQ(bank[3].name, "Mine");
    EXPECT_EQ(UnitsFromNormalised(kFeedBack, bank[3].values[kFeedBack]), 12.0);
    EXPECT_EQ(bank[0].slot, 3);
}

TEST_F(Lv2Messages, FailedSaveIsReportedToThePanel)
{
    // The preferences folder cannot be made: a file stands where it should be.
    std::ofstream(dir.Path() + "Kestrune") << "not a folder";
    auto fx = Instance();
    Block(*fx);
    Send(*fx, kLv2SaveProgram, 2, "Lost");
    Block(*fx);
    Block(*fx);
    const std::optional<Panel> panel = LastPanel(*fx);
    ASSERT_TRUE(panel);
    EXPECT_TRUE(panel->saveFailed);
    // The programs in memory took the save; only the file did not.
    EXPECT_EQ(panel->names[2], "Lost");
    Block(*fx);
    EXPECT_FALSE(LastPanel(*fx)) << "a failure is told once";
}

TEST_F(Lv2Messages, WithoutAWorkerOperationsAreDropped)
{
    auto fx = Instance(false);
    Block(*fx);
    LastPanel(*fx);
    Send(*fx, kLv2SaveProgram, 4, "Nowhere");
    Send(*fx, kLv2CopyProgram, 7);
    Block(*fx);
    Block(*fx);
    EXPECT_FALSE(LastPanel(*fx));
    EXPECT_FALSE(std::ifstream(BankPath()).good());
}

TEST_F(Lv2Messages, PortsWrittenBackAfterAProgramChangeLeaveTheProgramExact)
{
    auto fx = Instance();
    Block(*fx);
    // A program holding a value between the steps the ports can express.
    std::vector<unsigned char> chunk = fx->SavedProperty(kLv2ProgramsKey);
    ASSERT_EQ(chunk.size(), static_cast<size_t>(kBankChunkSize));
    auto* programs = reinterpret_cast<AKestruneProgram*>(chunk.data());
    programs[4].values[kFeedBack] = 0.123456f;
    ASSERT_EQ(fx->RestoreProperty(kLv2ProgramsKey, chunk.data(), chunk.size(), LV2_ATOM__Chunk), LV2_STATE_SUCCESS);
    Block(*fx);
    LastPanel(*fx);

    Send(*fx, kLv2CopyProgram, 4);
    Block(*fx);
    Block(*fx);
    const std::optional<Panel> panel = LastPanel(*fx);
    ASSERT_TRUE(panel);
    // What a panel does on seeing the operation done: the ports take the reported values.
    for (int i = 0; i < kNumParams; ++i) fx->SetControl(kLv2ParameterPorts[i].symbol, panel->values[i]);
    Block(*fx);
    std::vector<unsigned char> after = fx->SavedProperty(kLv2ProgramsKey);
    ASSERT_EQ(after.size(), static_cast<size_t>(kBankChunkSize));
    EXPECT_EQ(reinterpret_cast<const AKestruneProgram*>(after.data())[0].values[kFeedBack], 0.123456f);
    // A port moved by the user afterwards still counts.
    fx->SetControl("feedback", 70.0f);
    Block(*fx);
    after = fx->SavedProperty(kLv2ProgramsKey);
    EXPECT_EQ(UnitsFromNormalised(kFeedBack, reinterpret_cast<const AKestruneProgram*>(after.data())[0].values[kFeedBack]),
              70.0);
}

TEST_F(Lv2Messages, WithAPanelOpenATempoModeTimesTheNoteAtOnce)
{
    // As the VST edition with its editor open: BPM mode times the note (1/4 at 120 BPM) at
    // once, not only when the note or the tempo moves next.
    auto fx = Instance();
    Send(*fx, kLv2Refresh);
    fx->SetControl("delay_time", 300.0f);
    Block(*fx);
    fx->SetControl("time_mode", kTimeModeBpm);
    Block(*fx);
    std::optional<Panel> panel = LastPanel(*fx);
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->values[kDelayTime], 500.0f);

    // Without one, the delay time stays until the note or the tempo moves.
    Send(*fx, kLv2PanelClosed);
    fx->SetControl("time_mode", kTimeModeMs);
    fx->SetControl("delay_time", 250.0f);
    Block(*fx);
    fx->SetControl("time_mode", kTimeModeBpm);
    Block(*fx);
    panel = LastPanel(*fx);
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->values[kDelayTime], 250.0f);
}
