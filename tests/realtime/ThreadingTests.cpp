// An audio thread processes while a user-interface thread automates, switches programs
// and moves state in and out: run under ThreadSanitizer, no race may be reported.
#include "tests/effect/EffectFixture.h"
#ifdef KESTRUNE_WITH_LV2
#include "effect/BankFile.h"
#include "effect/ParameterUnits.h"
#include "lv2/Lv2Effect.h"
#include "tests/realtime/Lv2Wiring.h"
#include "tools/lv2host/UridMap.h"

#include <lv2/atom/util.h>
#endif

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <random>
#include <thread>

TEST(Threading, ProcessingWhileTheHostChangesEverything)
{
    EffectRunner r;
    r.fx->open();
    std::atomic<bool> stop {false};
    std::atomic<bool> nonFinite {false};
    std::atomic<long> blocks {0};

    auto audio = [&](int block) {
        std::vector<float> left(static_cast<size_t>(block)), right(static_cast<size_t>(block));
        std::mt19937 random(1);
        std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
        while (!stop.load()) {
            for (int i = 0; i < block; ++i) left[i] = right[i] = noise(random);
            float* io[2] = {left.data(), right.data()};
            r.fx->processReplacing(io, io, block);
            for (int i = 0; i < block; ++i)
                if (!std::isfinite(left[i]) || !std::isfinite(right[i])) nonFinite = true;
            float peaks[4];
            r.fx->GetVU(&peaks[0], &peaks[1], &peaks[2], &peaks[3]);
            blocks.fetch_add(1);
        }
    };

    std::mt19937 random(2);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    for (int block : {64, 300, 1}) {
        // The host changes the block size only while processing is stopped.
        r.fx->dispatcher(effMainsChanged, 0, 0, nullptr, 0.0f);
        r.fx->setBlockSize(block);
        r.fx->dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
        stop = false;
        const long before = blocks.load();
        std::thread audioThread(audio, block);
        for (int step = 0; step < 3000 || blocks.load() - before < 50; ++step) {
            const int index = static_cast<int>(random() % kNumParams);
            r.fx->setParameter(index == kOnOff ? kFeedBack : index, value(random));
            r.fx->setParameterFromUI(kOutputGainId, value(random));
            char text[64];
            r.fx->getParameterDisplay(index, text);
            r.fx->getParameter(index);
            if (step % 25 == 0) r.fx->setProgram(static_cast<int>(random() % kNumPrograms));
            if (step % 40 == 0) {
                void* data = nullptr;
                const VstInt32 size = r.fx->getChunk(&data, step % 80 == 0);
                std::vector<unsigned char> copy(static_cast<unsigned char*>(data),
                                                static_cast<unsigned char*>(data) + size);
                r.fx->setChunk(copy.data(), size, step % 80 == 0);
            }
            if (step % 50 == 0) r.fx->IsProgramChanged();
            if (step % 100 == 0) std::this_thread::yield();
        }
        stop = true;
        audioThread.join();
    }
    EXPECT_FALSE(nonFinite.load());
    EXPECT_GT(blocks.load(), 150);
}

// A host saving its project during automation: one thread sets parameters and loads whole
// banks while another takes chunks and copies them at leisure. Each copy must be one
// consistent state (every program of one bank, never a mix) and no race may be reported.
TEST(Threading, ChunksTakenDuringAutomationAreConsistentSnapshots)
{
    EffectRunner r;
    r.fx->open();
    std::vector<AKestruneProgram> banks[2] = {std::vector<AKestruneProgram>(kNumPrograms),
                                              std::vector<AKestruneProgram>(kNumPrograms)};
    for (int b = 0; b < 2; ++b)
        for (AKestruneProgram& p : banks[b]) p.values[kBalance] = b == 0 ? 0.25f : 0.75f;
    std::atomic<bool> stop {false};

    std::thread automation([&] {
        std::mt19937 random(3);
        std::uniform_real_distribution<float> value(0.0f, 1.0f);
        for (int step = 0; !stop.load(); ++step) {
            r.fx->setParameter(random() % 2 ? kDepth : kRate, value(random));
            if (step % 8 == 0) r.fx->setChunk(banks[step / 8 % 2].data(), 2816, false);
        }
    });
    int torn = 0;
    std::vector<AKestruneProgram> copy(kNumPrograms);
    for (int i = 0; i < 4000; ++i) {
        void* data = nullptr;
        const bool preset = i % 4 == 0;
        const VstInt32 size = r.fx->getChunk(&data, preset);
        ASSERT_EQ(size, preset ? 88 : 2816);
        std::memcpy(copy.data(), data, static_cast<size_t>(size));
        for (int p = 1; !preset && p < kNumPrograms; ++p)
            if (copy[p].values[kBalance] != copy[0].values[kBalance]) ++torn;
    }
    stop = true;
    automation.join();
    EXPECT_EQ(torn, 0);
}

#ifdef KESTRUNE_WITH_LV2
// An LV2 instance wired to one stereo buffer, activated for the test's length.
struct ActiveLv2 {
    ActiveLv2() { fx.Activate(); }
    ~ActiveLv2() { fx.Deactivate(); }
    // One block of steady input through the instance.
    void Block(bool throughWiring)
    {
        std::fill(left.begin(), left.end(), 0.25f);
        std::fill(right.begin(), right.end(), -0.25f);
        if (throughWiring) wiring.Run(256);
        else fx.Run(256);
    }

    UridMap urids;
    LV2_Feature map {LV2_URID__map, urids.MapFeatureData()};
    const LV2_Feature* features[2] = {&map, nullptr};
    KestruneLv2 fx {48000.0, features};
    std::vector<float> left = std::vector<float>(256), right = std::vector<float>(256);
    Lv2Wiring wiring {fx, left.data(), right.data(), left.data(), right.data()};
};

// LV2 hosts save state from another thread while the plug-in runs: each save is one whole,
// valid set of programs.
TEST(Threading, Lv2StateSavedWhileRunning)
{
    ActiveLv2 lv2;
    KestruneLv2& fx = lv2.fx;
    float* ports = lv2.wiring.ports;

    std::atomic<bool> stop {false};
    std::thread audio([&] {
        std::mt19937 random(3);
        std::uniform_real_distribution<double> where(0.0, 1.0);
        while (!stop.load()) {
            const int i = static_cast<int>(random() % kNumParams);
            ports[i] = static_cast<float>(UnitsMinimum(i) + where(random) * (UnitsMaximum(i) - UnitsMinimum(i)));
            lv2.Block(false);
        }
    });

    struct Saved {
        std::vector<unsigned char> bytes;
        int stores = 0;
    } saved;
    auto store = [](LV2_State_Handle handle, uint32_t, const void* value, size_t size, uint32_t, uint32_t) {
        auto* s = static_cast<Saved*>(handle);
        s->bytes.assign(static_cast<const unsigned char*>(value), static_cast<const unsigned char*>(value) + size);
        ++s->stores;
        return LV2_STATE_SUCCESS;
    };
    for (int n = 0; n < 300; ++n) {
        ASSERT_EQ(fx.Save(store, &saved), LV2_STATE_SUCCESS);
        ASSERT_EQ(saved.bytes.size(), static_cast<size_t>(kBankChunkSize));
        AKestruneProgram programs[kNumPrograms];
        std::memcpy(programs, saved.bytes.data(), sizeof programs);
        EXPECT_TRUE(programs[0].slot >= 0 && programs[0].slot < kNumPrograms);
        for (const AKestruneProgram& p : programs)
            for (float v : p.values) ASSERT_TRUE(v >= 0.0f && v <= 1.0f);
    }
    stop = true;
    audio.join();
    EXPECT_EQ(saved.stores, 300);
}

// The worker does the panel's program operations (writing the bank) while the plug-in runs
// and tells the panel the current program and the names each block.
TEST(Threading, Lv2ProgramOperationsWhileRunning)
{
    ActiveLv2 lv2;
    KestruneLv2& fx = lv2.fx;

    std::atomic<bool> stop {false};
    std::thread audio([&] {
        while (!stop.load()) lv2.Block(true);
    });

    auto respond = [](LV2_Worker_Respond_Handle done, uint32_t, const void*) {
        ++*static_cast<int*>(done);
        return LV2_WORKER_SUCCESS;
    };
    int done = 0;
    for (int n = 0; n < 60; ++n) {
        const Lv2ProgramRequest operations[] = {{Lv2ProgramOperation::save, n % kNumPrograms, "Saved"},
                                                {Lv2ProgramOperation::copy, (n * 7) % kNumPrograms, {}},
                                                {Lv2ProgramOperation::factory, -1, {}},
                                                {Lv2ProgramOperation::initial, -1, {}}};
        for (const Lv2ProgramRequest& operation : operations)
            ASSERT_EQ(fx.Work(respond, &done, sizeof operation, &operation), LV2_WORKER_SUCCESS);
    }
    stop = true;
    audio.join();
    EXPECT_EQ(done, 240);
    EXPECT_GT(lv2.wiring.messages, 0);
}
#endif
